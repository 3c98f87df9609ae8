#include "CursorRegistry.h"

#include <QHash>

namespace
{
QHash<int, QCursor> &registry()
{
    static QHash<int, QCursor> cursors;
    return cursors;
}
}  // namespace

void CursorRegistry::set(int number, const QCursor &cursor)
{
    registry().insert(number, cursor);
}

void CursorRegistry::remove(int number)
{
    registry().remove(number);
}

QCursor CursorRegistry::cursor(int number)
{
    return registry().value(number, QCursor(Qt::ArrowCursor));
}
