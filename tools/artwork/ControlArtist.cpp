#include "ControlArtist.h"

#include "ArtStyle.h"
#include "PanelLayout.h"

#include <QPainter>

namespace
{
struct Colours
{
    QColor top;
    QColor bottom;
    QColor border;
    QColor text;
};

Colours coloursOf(ControlArtist::Style style)
{
    switch (style) {
    case ControlArtist::Style::Go:
        return {{84, 196, 112}, {38, 136, 68}, {26, 96, 48}, Qt::white};
    case ControlArtist::Style::Halt:
        return {{236, 96, 80}, {176, 44, 34}, {122, 26, 18}, Qt::white};
    case ControlArtist::Style::Light:
        return {{255, 255, 255}, {210, 223, 233}, {31, 79, 115}, {22, 60, 92}};
    case ControlArtist::Style::Alert:
        return {{255, 182, 82}, {236, 118, 16}, {163, 78, 0}, Qt::white};
    case ControlArtist::Style::Greyed:
        return {{190, 198, 206}, {176, 184, 192}, {140, 150, 160}, {118, 128, 138}};
    }
    return {};
}

// The rounded face of a button on the window's colour.
void drawFace(QPainter &painter, QSize size, const Colours &colours, qreal radius)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(QPoint(0, 0), size), ArtStyle::window());
    const QRectF box = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient shade(box.topLeft(), box.bottomLeft());
    shade.setColorAt(0, colours.top);
    shade.setColorAt(1, colours.bottom);
    painter.setPen(QPen(colours.border, 1));
    painter.setBrush(shade);
    painter.drawRoundedRect(box, radius, radius);
    painter.setPen(QPen(QColor(255, 255, 255, 90), 1));
    painter.drawLine(QPointF(box.left() + radius, box.top() + 1.5), QPointF(box.right() - radius, box.top() + 1.5));
}
}  // namespace

QImage ControlArtist::button(QSize size, const QString &text, Style style)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const Colours colours = coloursOf(style);
    drawFace(painter, size, colours, qMin(10.0, size.height() / 4.0));
    const QSizeF room(size.width() - 12, size.height() - 4);
    ArtStyle::drawCentred(painter, QRectF(QPointF(0, 0), QSizeF(size)), text,
                          ArtStyle::fittedFont(text, room, qMin(17.0, size.height() * 0.55)), colours.text);
    return image;
}

QImage ControlArtist::modeButton(const ModeButtonPlace &place, bool highlighted)
{
    return button(place.rect.size(), PanelLayout::modeName(place.mode), highlighted ? Style::Alert : Style::Light);
}

QImage ControlArtist::closeButton()
{
    const QSize size(38, 27);
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    drawFace(painter, size, coloursOf(Style::Halt), 5);
    painter.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre(size.width() / 2.0, size.height() / 2.0);
    const qreal arm = 6;
    painter.drawLine(centre + QPointF(-arm, -arm), centre + QPointF(arm, arm));
    painter.drawLine(centre + QPointF(-arm, arm), centre + QPointF(arm, -arm));
    return image;
}
