#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and writes for tests.
class TestFiles
{
public:
    // Empty when the file cannot be read.
    static QByteArray contents(const QString &path);
    static bool write(const QString &path, const QByteArray &data);
};
