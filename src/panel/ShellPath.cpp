#include "ShellPath.h"

#include <algorithm>

namespace
{
qsizetype lastSeparator(const QString &path)
{
    return std::max({path.lastIndexOf(u'\\'), path.lastIndexOf(u':'), path.lastIndexOf(u'/')});
}
}  // namespace

QString ShellPath::extension(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > lastSeparator(path) ? path.mid(dot) : QString();
}

QString ShellPath::folder(const QString &path)
{
    return path.left(lastSeparator(path) + 1);
}

bool ShellPath::changesFolder(const QString &path)
{
    return extension(path) == QLatin1String(".exe");
}
