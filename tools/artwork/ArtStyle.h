#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

// The colours and lettering shared by all the artwork.
class ArtStyle
{
public:
    // The window's own colour, behind the remote panel and the buttons.
    static QColor window() { return {53, 124, 168}; }
    static QColor panel() { return {244, 248, 251}; }
    static QColor panelBorder() { return {160, 190, 212}; }
    static QColor ink() { return {31, 52, 70}; }
    static QColor statusRed() { return {200, 30, 30}; }

    // The three key states, and the look of a key chosen for learning.
    static QColor noCode() { return {201, 206, 214}; }
    static QColor learned() { return {214, 52, 44}; }
    static QColor downloaded() { return {52, 160, 84}; }
    static QColor chosen() { return {245, 196, 48}; }

    static QFont font(qreal pixelSize, bool bold = false);
    // The largest size up to `pixelSize`, down to `minimum`, at which `text`
    // fits `box` on one line.
    static QFont fittedFont(const QString &text, const QSizeF &box, qreal pixelSize, bool bold = true,
                            qreal minimum = 6);
    static void drawCentred(QPainter &painter, const QRectF &box, const QString &text, const QFont &font,
                            const QColor &colour);
    // A rounded panel of the light colour with a thin border.
    static void drawPanel(QPainter &painter, const QRectF &box, qreal radius = 8);
    // Dark text on light keys, white text on dark ones.
    static QColor inkOn(const QColor &fill);
};
