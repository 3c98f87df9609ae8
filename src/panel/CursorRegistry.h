#pragma once

#include <QCursor>

// Screen cursors registered by number, as the image buttons refer to them.
// A number nobody registered shows the default arrow.
class CursorRegistry
{
public:
    static void set(int number, const QCursor &cursor);
    static void remove(int number);
    static QCursor cursor(int number);
};
