#include "ArtStyle.h"

#include <QFontMetricsF>
#include <QPainter>

QFont ArtStyle::font(qreal pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QFont ArtStyle::fittedFont(const QString &text, const QSizeF &box, qreal pixelSize, bool bold, qreal minimum)
{
    for (qreal size = pixelSize; size > minimum; size -= 0.5) {
        const QFont candidate = font(size, bold);
        const QFontMetricsF metrics(candidate);
        if (metrics.horizontalAdvance(text) <= box.width() && metrics.height() <= box.height() + 2)
            return candidate;
    }
    return font(minimum, bold);
}

void ArtStyle::drawCentred(QPainter &painter, const QRectF &box, const QString &text, const QFont &font,
                           const QColor &colour)
{
    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, text);
    painter.restore();
}

void ArtStyle::drawPanel(QPainter &painter, const QRectF &box, qreal radius)
{
    painter.save();
    painter.setPen(QPen(panelBorder(), 1));
    painter.setBrush(panel());
    painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.restore();
}

QColor ArtStyle::inkOn(const QColor &fill)
{
    const qreal luminance = 0.299 * fill.red() + 0.587 * fill.green() + 0.114 * fill.blue();
    return luminance > 150 ? QColor(30, 34, 40) : QColor(Qt::white);
}
