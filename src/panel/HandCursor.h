#pragma once

#include <QObject>

// Gives a widget the hand-point cursor from the first time the pointer moves
// over it; until then it keeps the cursor it has.
class HandCursor : public QObject
{
    Q_OBJECT

public:
    // The filter is a child of `widget` and goes with it.
    static void onMove(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit HandCursor(QObject *parent)
        : QObject(parent)
    { }
};
