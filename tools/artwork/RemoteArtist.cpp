#include "RemoteArtist.h"

#include "ArtStyle.h"
#include "PanelLayout.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace
{
enum class Shape
{
    Oval,
    Rounded,
    Circle,
    RockerUp,
    RockerDown,
    RockerLeft,
    RockerRight,
    Ring,
    RingCentre
};
enum class Glyph
{
    Text,
    Power,
    Mute,
    Play,
    Pause,
    Stop,
    Record,
    SkipBack,
    SkipForward,
    Rewind,
    FastForward,
    Up,
    Down,
    Left,
    Right
};

struct Face
{
    Shape shape;
    Glyph glyph;
    QString label;
};

const QColor body(43, 48, 56);
const QColor bodyRaised(58, 65, 76);
// The navigation ring around the centre key.
const QPointF ringCentre(112.5, 448);
constexpr qreal ringOuter = 49;
constexpr qreal ringInner = 23;
constexpr qreal centreKey = 18;

const QHash<QString, Face> &faces()
{
    using enum Shape;
    using G = Glyph;
    static const QHash<QString, Face> table{
        {"00", {Oval, G::Text, "TV"}},
        {"01", {Oval, G::Text, "VCR"}},
        {"02", {Oval, G::Text, "CD"}},
        {"03", {Oval, G::Text, "DVD"}},
        {"04", {Oval, G::Text, "AMP"}},
        {"05", {Oval, G::Text, "AUX"}},
        {"06", {Oval, G::Text, "SAT"}},
        {"07", {Oval, G::Text, "CBL"}},
        {"10", {Oval, G::Power, ""}},
        {"12", {Rounded, G::Text, "1"}},
        {"13", {Rounded, G::Text, "2"}},
        {"14", {Rounded, G::Text, "3"}},
        {"15", {Rounded, G::Text, "4"}},
        {"16", {Rounded, G::Text, "5"}},
        {"17", {Rounded, G::Text, "6"}},
        {"20", {Rounded, G::Text, "7"}},
        {"21", {Rounded, G::Text, "8"}},
        {"22", {Rounded, G::Text, "9"}},
        {"23", {Rounded, G::Text, "-/--"}},
        {"24", {Rounded, G::Text, "0"}},
        {"25", {Rounded, G::Text, "ENTER"}},
        {"26", {RockerUp, G::Text, "VOL+"}},
        {"27", {Oval, G::Mute, ""}},
        {"30", {RockerUp, G::Text, "CH+"}},
        {"31", {RockerDown, G::Text, "VOL-"}},
        {"32", {Circle, G::Text, "AM/FM"}},
        {"33", {RockerDown, G::Text, "CH-"}},
        {"34", {Oval, G::Text, "TITLE"}},
        {"36", {Oval, G::Text, "MENU"}},
        {"37", {Oval, G::Text, "CC"}},
        {"40", {Ring, G::Up, ""}},
        {"41", {Oval, G::Text, "BACK"}},
        {"42", {Oval, G::Text, "LIST"}},
        {"43", {Ring, G::Left, ""}},
        {"44", {RingCentre, G::Text, "OK"}},
        {"45", {Ring, G::Right, ""}},
        {"46", {Oval, G::Text, "INFO"}},
        {"47", {Oval, G::Text, "EXIT"}},
        {"50", {Ring, G::Down, ""}},
        {"51", {Oval, G::Text, "TV/AV"}},
        {"52", {Oval, G::SkipBack, ""}},
        {"53", {Oval, G::Pause, ""}},
        {"54", {Oval, G::Play, ""}},
        {"55", {Oval, G::SkipForward, ""}},
        {"56", {Oval, G::Record, ""}},
        {"57", {RockerLeft, G::Rewind, ""}},
        {"60", {RockerRight, G::FastForward, ""}},
        {"61", {Oval, G::Stop, ""}},
        {"62", {Rounded, G::Text, "PIP"}},
        {"63", {Rounded, G::Text, "SWAP"}},
        {"64", {Rounded, G::Text, "INPUT"}},
        {"65", {Rounded, G::Text, "SLEEP"}},
        {"66", {Oval, G::Text, "F"}},
        {"67", {Oval, G::Text, "C"}},
        {"70", {Oval, G::Text, "R"}},
        {"71", {Oval, G::Text, "T"}},
    };
    return table;
}

// A rectangle with its own radius at each corner: top-left, top-right,
// bottom-right, bottom-left.
QPainterPath cornered(const QRectF &r, qreal tl, qreal tr, qreal br, qreal bl)
{
    QPainterPath path;
    path.moveTo(r.left() + tl, r.top());
    path.lineTo(r.right() - tr, r.top());
    path.arcTo(QRectF(r.right() - 2 * tr, r.top(), 2 * tr, 2 * tr), 90, -90);
    path.lineTo(r.right(), r.bottom() - br);
    path.arcTo(QRectF(r.right() - 2 * br, r.bottom() - 2 * br, 2 * br, 2 * br), 0, -90);
    path.lineTo(r.left() + bl, r.bottom());
    path.arcTo(QRectF(r.left(), r.bottom() - 2 * bl, 2 * bl, 2 * bl), 270, -90);
    path.lineTo(r.left(), r.top() + tl);
    path.arcTo(QRectF(r.left(), r.top(), 2 * tl, 2 * tl), 180, -90);
    path.closeSubpath();
    return path;
}

qreal ringAngle(Glyph direction)
{
    switch (direction) {
    case Glyph::Right:
        return 0;
    case Glyph::Up:
        return 90;
    case Glyph::Left:
        return 180;
    default:
        return 270;
    }
}

// The angles (counter-clockwise from the right) a ring key covers. The gaps
// between them lie over the corners where the buttons' rectangles overlap.
std::pair<qreal, qreal> ringSpan(Glyph direction)
{
    switch (direction) {
    case Glyph::Right:
        return {-27, 21};
    case Glyph::Up:
        return {48, 124};
    case Glyph::Left:
        return {154, 208};
    default:
        return {239, 311};
    }
}

// One key of the ring, cut to the key's button.
QPainterPath ringSegment(const QRectF &clip, Glyph direction)
{
    const auto [start, end] = ringSpan(direction);
    const qreal sweep = end - start;
    const QRectF outer(ringCentre - QPointF(ringOuter, ringOuter), QSizeF(2 * ringOuter, 2 * ringOuter));
    const QRectF inner(ringCentre - QPointF(ringInner, ringInner), QSizeF(2 * ringInner, 2 * ringInner));
    QPainterPath path;
    path.arcMoveTo(outer, start);
    path.arcTo(outer, start, sweep);
    path.arcTo(inner, start + sweep, -sweep);
    path.closeSubpath();
    QPainterPath box;
    box.addRect(clip);
    return path.intersected(box);
}

QPainterPath keyOutline(const QRectF &r, const Face &face)
{
    const qreal half = qMin(r.width(), r.height()) / 2;
    QPainterPath path;
    switch (face.shape) {
    case Shape::Oval:
        path.addRoundedRect(r, half, half);
        break;
    case Shape::Rounded:
        path.addRoundedRect(r, 5, 5);
        break;
    case Shape::Circle: {
        const QRectF square(r.center() - QPointF(half, half), QSizeF(2 * half, 2 * half));
        path.addEllipse(square);
        break;
    }
    case Shape::RockerUp:
        path = cornered(r, half, half, 4, 4);
        break;
    case Shape::RockerDown:
        path = cornered(r, 4, 4, half, half);
        break;
    case Shape::RockerLeft:
        path = cornered(r, half, 3, 3, half);
        break;
    case Shape::RockerRight:
        path = cornered(r, 3, half, half, 3);
        break;
    case Shape::Ring:
        path = ringSegment(r, face.glyph);
        break;
    case Shape::RingCentre:
        path.addEllipse(ringCentre, centreKey, centreKey);
        break;
    }
    return path;
}

// Where a key's symbol or label goes: the middle of its ring quarter, or of its box.
QPointF glyphCentre(const QRectF &r, const Face &face)
{
    if (face.shape == Shape::RingCentre)
        return ringCentre;
    if (face.shape != Shape::Ring)
        return r.center();
    const auto [start, end] = ringSpan(face.glyph);
    const qreal radians = qDegreesToRadians((start + end) / 2);
    const qreal radius = (ringOuter + ringInner) / 2;
    return ringCentre + QPointF(std::cos(radians) * radius, -std::sin(radians) * radius);
}

QPolygonF triangle(QPointF centre, qreal size, qreal angle)
{
    QPolygonF points;
    for (qreal corner : {0.0, 120.0, 240.0}) {
        const qreal radians = qDegreesToRadians(angle + corner);
        points << centre + QPointF(std::cos(radians) * size, -std::sin(radians) * size);
    }
    return points;
}

void drawGlyph(QPainter &painter, QPointF c, qreal s, const Face &face, const QColor &ink)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    const qreal t = s * 0.32;  // a triangle's reach from its centre
    switch (face.glyph) {
    case Glyph::Text:
        break;
    case Glyph::Power:
        painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(c - QPointF(s * 0.3, s * 0.27), QSizeF(s * 0.6, s * 0.6)), 120 * 16, -300 * 16);
        painter.drawLine(c + QPointF(0, -s * 0.38), c + QPointF(0, -s * 0.02));
        break;
    case Glyph::Mute: {
        const qreal u = s * 0.12;
        QPolygonF speaker;
        speaker << c + QPointF(-4 * u, -1.2 * u) << c + QPointF(-2.4 * u, -1.2 * u) << c + QPointF(-0.6 * u, -3 * u)
                << c + QPointF(-0.6 * u, 3 * u) << c + QPointF(-2.4 * u, 1.2 * u) << c + QPointF(-4 * u, 1.2 * u);
        painter.drawPolygon(speaker);
        painter.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(c + QPointF(1 * u, -1.6 * u), c + QPointF(4 * u, 1.6 * u));
        painter.drawLine(c + QPointF(1 * u, 1.6 * u), c + QPointF(4 * u, -1.6 * u));
        break;
    }
    case Glyph::Play:
        painter.drawPolygon(triangle(c, t, 0));
        break;
    case Glyph::Pause:
        painter.drawRect(QRectF(c + QPointF(-s * 0.2, -s * 0.24), QSizeF(s * 0.13, s * 0.48)));
        painter.drawRect(QRectF(c + QPointF(s * 0.07, -s * 0.24), QSizeF(s * 0.13, s * 0.48)));
        break;
    case Glyph::Stop:
        painter.drawRect(QRectF(c - QPointF(s * 0.2, s * 0.2), QSizeF(s * 0.4, s * 0.4)));
        break;
    case Glyph::Record:
        painter.setPen(QPen(ink, 1));
        painter.setBrush(QColor(190, 20, 20));
        painter.drawEllipse(c, s * 0.24, s * 0.24);
        break;
    case Glyph::SkipBack:
    case Glyph::Rewind: {
        const qreal shift = face.glyph == Glyph::SkipBack ? s * 0.1 : 0;
        painter.drawPolygon(triangle(c + QPointF(shift - t * 0.45, 0), t * 0.8, 180));
        painter.drawPolygon(triangle(c + QPointF(shift + t * 0.55, 0), t * 0.8, 180));
        if (face.glyph == Glyph::SkipBack)
            painter.drawRect(QRectF(c + QPointF(-t * 1.35, -t * 0.7), QSizeF(s * 0.07, t * 1.4)));
        break;
    }
    case Glyph::SkipForward:
    case Glyph::FastForward: {
        const qreal shift = face.glyph == Glyph::SkipForward ? -s * 0.1 : 0;
        painter.drawPolygon(triangle(c + QPointF(shift - t * 0.55, 0), t * 0.8, 0));
        painter.drawPolygon(triangle(c + QPointF(shift + t * 0.45, 0), t * 0.8, 0));
        if (face.glyph == Glyph::SkipForward)
            painter.drawRect(QRectF(c + QPointF(t * 1.35 - s * 0.07, -t * 0.7), QSizeF(s * 0.07, t * 1.4)));
        break;
    }
    case Glyph::Up:
    case Glyph::Down:
    case Glyph::Left:
    case Glyph::Right:
        painter.drawPolygon(triangle(c, s * 0.3, ringAngle(face.glyph)));
        break;
    }
}

void drawKey(QPainter &painter, const KeyPlace &key, const QColor &fill)
{
    const Face &face = faces().value(key.code);
    const QRectF box = QRectF(key.rect).adjusted(1.5, 1.5, -1.5, -2);
    // Where buttons overlap, either one may lie on top; showing only the body
    // there keeps every key picture true to the face whatever its neighbour's state.
    QPainterPath others;
    for (const KeyPlace &other : PanelLayout::keys()) {
        if (other.code != key.code && other.rect.intersects(key.rect))
            others.addRect(other.rect);
    }
    const QPainterPath outline = keyOutline(box, face).subtracted(others);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(18, 20, 24));
    painter.drawPath(outline.translated(0, 1.2).subtracted(others));
    QLinearGradient shade(box.topLeft(), box.bottomLeft());
    shade.setColorAt(0, fill.lighter(122));
    shade.setColorAt(1, fill.darker(110));
    painter.setPen(QPen(fill.darker(160), 1));
    painter.setBrush(shade);
    painter.drawPath(outline);
    const QColor ink = ArtStyle::inkOn(fill);
    const QPointF centre = glyphCentre(box, face);
    if (face.glyph == Glyph::Text) {
        const QSizeF room = box.size() - QSizeF(face.shape == Shape::Oval ? 6 : 4, 2);
        const QFont font = ArtStyle::fittedFont(face.label, room, qMin(11.0, box.height() * 0.62));
        ArtStyle::drawCentred(painter, QRectF(centre - QPointF(box.width() / 2, box.height() / 2), box.size()),
                              face.label, font, ink);
    } else {
        drawGlyph(painter, centre, qMin(box.width(), box.height()), face, ink);
    }
}

void drawBody(QPainter &painter)
{
    // Flat colours: a key picture then needs few colours, and its GIF keeps
    // them exactly, so it cannot differ from the face around it.
    const QRectF outline(12, 16, 204, 724);
    painter.setPen(QPen(QColor(96, 106, 122), 1.5));
    painter.setBrush(body);
    painter.drawRoundedRect(outline, 30, 30);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(96, 22, 22));
    painter.drawRoundedRect(QRectF(94, 24, 40, 11), 5, 5);
    painter.setBrush(bodyRaised.darker(115));
    painter.drawRoundedRect(QRectF(24, 58, 182, 80), 12, 12);
    painter.setBrush(bodyRaised);
    painter.drawRoundedRect(QRectF(38, 282, 47, 85), 22, 22);
    painter.drawRoundedRect(QRectF(150, 286, 46, 83), 22, 22);
    painter.drawEllipse(ringCentre, ringOuter + 4, ringOuter + 4);

    ArtStyle::drawCentred(painter, QRectF(12, 670, 204, 22), QStringLiteral("QLR-815"), ArtStyle::font(14, true),
                          QColor(178, 186, 198));
    ArtStyle::drawCentred(painter, QRectF(12, 692, 204, 14), QStringLiteral("UNIVERSAL LEARNING REMOTE"),
                          ArtStyle::font(7.5), QColor(130, 138, 150));
}
}  // namespace

void RemoteArtist::drawPanel(QPainter &painter, const FillOf &fillOf, const QString &front)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF visible =
        painter.hasClipping() ? painter.clipBoundingRect() : QRectF(QPointF(0, 0), PanelLayout::remotePanel.size());
    painter.fillRect(visible, ArtStyle::window());
    drawBody(painter);
    for (const KeyPlace &key : PanelLayout::keys()) {
        if (key.code != front && visible.intersects(key.rect))
            drawKey(painter, key, fillOf(key));
    }
    if (const KeyPlace *key = PanelLayout::key(front))
        drawKey(painter, *key, fillOf(*key));
}

QImage RemoteArtist::face()
{
    QImage image(PanelLayout::faceSize, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.scale(qreal(PanelLayout::faceSize.width()) / PanelLayout::remotePanel.width(),
                  qreal(PanelLayout::faceSize.height()) / PanelLayout::remotePanel.height());
    drawPanel(painter, [](const KeyPlace &) { return ArtStyle::noCode(); });
    return image;
}

QImage RemoteArtist::key(const KeyPlace &key, const QColor &fill)
{
    QImage image(key.rect.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    painter.translate(-key.rect.topLeft());
    painter.setClipRect(key.rect);
    // Neighbours that reach into the button are drawn in their no-code look.
    drawPanel(
        painter, [&](const KeyPlace &other) { return other.code == key.code ? fill : ArtStyle::noCode(); }, key.code);
    return image;
}

QImage RemoteArtist::placeholder()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(body);
    return image;
}
