#pragma once

#include <QString>

// How a button's path splits for the rule that runs a program from its own
// folder. Folder separators are "\", ":" and, on this platform, "/".
class ShellPath
{
public:
    // From the last "." after the last separator to the end, dot included;
    // empty when there is no such dot.
    static QString extension(const QString &path);
    // Everything up to and including the last separator; empty when none.
    static QString folder(const QString &path);
    // Only the exact lower-case ".exe" makes the folder current first.
    static bool changesFolder(const QString &path);
};
