#include "HandCursor.h"

#include <QEvent>
#include <QWidget>

void HandCursor::onMove(QWidget *widget)
{
    // Moves without a button held reach the widget only while it tracks the mouse.
    widget->setMouseTracking(true);
    widget->installEventFilter(new HandCursor(widget));
}

bool HandCursor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove)
        static_cast<QWidget *>(watched)->setCursor(Qt::PointingHandCursor);
    return false;
}
