#include "RemotePicture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "RemoteLayout.h"

namespace
{
const QColor bodyTop(0x44, 0x49, 0x51);
const QColor bodyBottom(0x25, 0x28, 0x2d);
const QColor keyFace(0x5d, 0x63, 0x6d);
const QColor keyShade(0x44, 0x48, 0x50);
const QColor padRing(0x30, 0x34, 0x3a);
const QColor powerFace(0xc8, 0x3a, 0x2e);
const QColor okFace(0x2f, 0x7f, 0xd0);
const QColor labelColor(0xf2, 0xf2, 0xf2);
const QColor printColor(0xb8, 0xbd, 0xc4);

QColor faceOf(OriginalKey key)
{
    if (key == OriginalKey::Power)
        return powerFace;
    if (key == OriginalKey::Ok)
        return okFace;
    return keyFace;
}

bool isDigit(OriginalKey key)
{
    return key >= OriginalKey::Digit1 && key <= OriginalKey::Digit0;
}

void drawKey(QPainter &painter, const RemoteLayout::Place &place, bool held)
{
    const QRectF box(place.x, place.y, place.w, place.h);
    const QColor face = faceOf(place.key);
    // A shadow under the key, gone while it is held down.
    painter.setPen(Qt::NoPen);
    if (!held) {
        painter.setBrush(QColor(0, 0, 0, 90));
        if (place.round)
            painter.drawEllipse(box.translated(0, 2));
        else
            painter.drawRoundedRect(box.translated(0, 2), 8, 8);
    }
    QLinearGradient gradient(box.topLeft(), box.bottomLeft());
    gradient.setColorAt(0, held ? face.darker(125) : face.lighter(112));
    gradient.setColorAt(1, held ? face.darker(140) : face == keyFace ? keyShade : face.darker(120));
    painter.setBrush(gradient);
    painter.setPen(QPen(QColor(0, 0, 0, 120), 1));
    const QRectF drawn = held ? box.translated(0, 1) : box;
    if (place.round)
        painter.drawEllipse(drawn);
    else
        painter.drawRoundedRect(drawn, 8, 8);

    QFont font = painter.font();
    const bool word = OriginalKeys::label(place.key).size() > 3;
    font.setPixelSize(isDigit(place.key) ? 15 : word ? 9 : 13);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(labelColor);
    painter.drawText(drawn, Qt::AlignCenter, QString::fromUtf8(OriginalKeys::label(place.key)));
}
}  // namespace

RemotePicture::RemotePicture(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(RemoteLayout::width, RemoteLayout::height);
    setCursor(Qt::PointingHandCursor);
}

void RemotePicture::setBrand(const QString &brand)
{
    m_brand = brand;
    update();
}

QSize RemotePicture::sizeHint() const
{
    return {RemoteLayout::width, RemoteLayout::height};
}

void RemotePicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    constexpr int m = RemoteLayout::bodyMargin;
    const QRectF body(m, 4, RemoteLayout::width - 2 * m, RemoteLayout::height - 8);
    QLinearGradient shine(body.topLeft(), body.topRight());
    shine.setColorAt(0, bodyBottom);
    shine.setColorAt(0.35, bodyTop);
    shine.setColorAt(1, bodyBottom);
    painter.setPen(QPen(QColor(0x15, 0x17, 0x1a), 2));
    painter.setBrush(shine);
    painter.drawRoundedRect(body, RemoteLayout::bodyRadius, RemoteLayout::bodyRadius);

    // The infrared window at the front end.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x5a, 0x12, 0x16));
    painter.drawRoundedRect(QRectF(RemoteLayout::width / 2.0 - 22, 14, 44, 9), 4, 4);

    const RemoteLayout::Place &ok = RemoteLayout::placeOf(OriginalKey::Ok);
    painter.setBrush(padRing);
    painter.drawEllipse(QPointF(ok.centerX(), ok.centerY()), 76, 76);

    QFont print = font();
    print.setPixelSize(10);
    print.setBold(true);
    painter.setFont(print);
    painter.setPen(printColor);
    const RemoteLayout::Place &power = RemoteLayout::placeOf(OriginalKey::Power);
    const QRectF brandBox(power.x + power.w + 4, power.y, RemoteLayout::width - 2 * (power.x + power.w + 4), power.h);
    painter.drawText(brandBox, Qt::AlignCenter | Qt::TextWordWrap, m_brand);

    for (const RemoteLayout::Place &place : RemoteLayout::places())
        drawKey(painter, place, m_held == place.key);
}

void RemotePicture::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    m_held = RemoteLayout::keyAt(at.x(), at.y());
    if (!m_held)
        return;
    update();
    // Like a real key: the code goes out as it is pressed.
    emit keyPressed(*m_held);
}

void RemotePicture::mouseReleaseEvent(QMouseEvent *)
{
    m_held.reset();
    update();
}
