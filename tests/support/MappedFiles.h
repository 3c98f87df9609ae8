#pragma once

#include <QStringList>

// The files this process has mapped into memory, as the kernel lists them.
class MappedFiles
{
public:
    static QStringList endingWith(const QString &suffix);
};
