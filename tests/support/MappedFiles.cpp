#include "MappedFiles.h"

#include <QFile>

QStringList MappedFiles::endingWith(const QString &suffix)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly | QIODevice::Text))
        return {QStringLiteral("cannot read /proc/self/maps")};
    QStringList files;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const qsizetype slash = line.indexOf('/');
        const QString file = slash < 0 ? QString() : QString::fromLocal8Bit(line.mid(slash));
        if (file.endsWith(suffix) && !files.contains(file))
            files.append(file);
    }
    return files;
}
