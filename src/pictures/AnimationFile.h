#pragma once

#include <QByteArray>
#include <QString>

// The hint animation as a file, for the player that plays movies from files.
// It lives in a directory only the user can reach: $XDG_RUNTIME_DIR/qlr-learn,
// or qlr-learn in the user's cache directory when there is no runtime
// directory. The directory is refused unless it is a real directory owned by
// the user, and the file is never followed through a link: another local user
// cannot make the tool delete or write anything else.
class AnimationFile
{
public:
    static QString fileName();
    // The file's full name; empty when no private directory can be had.
    static QString path();
    // Deletes the old file, if any, and writes `data` as a new file.
    static bool replace(const QByteArray &data);
    // Deletes the file; true when it is gone.
    static bool remove();
};
