#include "ScreenArtist.h"

#include "ArtStyle.h"
#include "PanelLayout.h"
#include "RemoteArtist.h"

#include <QPainter>

namespace
{
const QSize hintSize(409, 72);
const QSize animationSize(413, 72);
// The player sits this far left of and above the hint picture.
const QPoint animationOffset(2, 3);

struct Scene
{
    bool pressed = false;
    int waves = 0;
    bool received = false;
    QString caption;
};

// A remote seen from above: its body and two rows of small keys.
void drawRemoteBody(QPainter &painter, const QRectF &body, const QColor &border, const QColor &fill, QPointF firstKey,
                    int columns, qreal step, const QColor &keys)
{
    painter.setPen(QPen(border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(body, 10, 10);
    painter.setPen(Qt::NoPen);
    painter.setBrush(keys);
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < 2; ++row)
            painter.drawEllipse(firstKey + QPointF(column * step, row * 11), 2.6, 2.6);
    }
}

void drawOriginalRemote(QPainter &painter, bool pressed)
{
    drawRemoteBody(painter, QRectF(10.5, 12.5, 118, 28), QColor(20, 22, 26), QColor(52, 58, 68), QPointF(24, 21), 4, 10,
                   QColor(140, 148, 160));
    painter.setBrush(QColor(150, 30, 30));
    painter.drawEllipse(QPointF(129, 26.5), 3, 5);
    painter.setPen(QPen(QColor(20, 22, 26), 1));
    painter.setBrush(pressed ? ArtStyle::chosen() : ArtStyle::noCode());
    painter.drawRoundedRect(QRectF(76, pressed ? 20 : 19, 26, 14), 7, 7);
}

void drawUniversalRemote(QPainter &painter, bool received)
{
    drawRemoteBody(painter, QRectF(280.5, 12.5, 118, 28), QColor(110, 120, 132), QColor(218, 223, 229),
                   QPointF(318, 21), 6, 12, QColor(160, 168, 178));
    painter.setBrush(QColor(40, 44, 52));
    painter.drawRoundedRect(QRectF(282, 19, 8, 15), 3, 3);
    painter.setBrush(received ? QColor(40, 200, 80) : QColor(120, 130, 140));
    painter.drawEllipse(QPointF(300, 26.5), 3, 3);
    ArtStyle::drawCentred(painter, QRectF(306, 2, 90, 10), QStringLiteral("QLR-815"), ArtStyle::font(8, true),
                          ArtStyle::ink());
}

void drawScene(QPainter &painter, const Scene &scene)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(QPoint(0, 0), hintSize), ArtStyle::panel());
    drawOriginalRemote(painter, scene.pressed);
    drawUniversalRemote(painter, scene.received);
    const QPointF emitter(134, 26.5);
    for (int wave = 0; wave < scene.waves; ++wave) {
        const qreal radius = 14 + wave * 20;
        QColor colour = ArtStyle::learned();
        colour.setAlpha(255 - wave * 25);
        painter.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(emitter - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)), -30 * 16, 60 * 16);
    }
    const QRectF line(0, 46, hintSize.width(), 22);
    ArtStyle::drawCentred(painter, line, scene.caption,
                          ArtStyle::fittedFont(scene.caption, line.size() - QSizeF(16, 0), 11.5), ArtStyle::ink());
}

QImage sceneImage(const Scene &scene)
{
    QImage image(hintSize, QImage::Format_RGB32);
    QPainter painter(&image);
    drawScene(painter, scene);
    return image;
}

void drawLegendRow(QPainter &painter, int top, const QColor &colour, const QString &text)
{
    painter.setPen(QPen(colour.darker(160), 1));
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(452.5, top + 0.5, 30, 17), 8, 8);
    painter.setFont(ArtStyle::font(12.5));
    painter.setPen(ArtStyle::ink());
    painter.drawText(QRectF(492, top - 1, 190, 20), Qt::AlignLeft | Qt::AlignVCenter, text);
}

void drawFieldLabel(QPainter &painter, int top, const QString &text)
{
    painter.setFont(ArtStyle::fittedFont(text, QSizeF(106, 18), 12.5, false));
    painter.setPen(ArtStyle::ink());
    painter.drawText(QRectF(700, top - 1, 106, 20), Qt::AlignRight | Qt::AlignVCenter, text);
}

struct HintText
{
    QString title;
    QColor colour;
    QStringList lines;
};

HintText hintText(ArtNames::HintPanel panel)
{
    switch (panel) {
    case ArtNames::HintPanel::Idle:
        return {"What you can do",
                QColor(31, 96, 150),
                {"1. Choose a device mode with a mode button or a device key on the remote picture.",
                 "2. Click \"Start to learn\" to teach keys the codes of an original remote.",
                 "3. Click \"Delete a key\" to remove one learned code, or \"Clear all keys\" to remove "
                 "every learned code of this mode."}};
    case ArtNames::HintPanel::LearnOnly:
        return {"Getting started",
                QColor(31, 96, 150),
                {"1. Choose a device mode with a mode button or a device key on the remote picture.",
                 "2. Click \"Start to learn\".",
                 "3. Click a key on the remote picture, then press the same key on the original remote.",
                 "Red keys hold learned codes, green keys downloaded codes."}};
    case ArtNames::HintPanel::Learning:
        return {"Learning is on",
                QColor(30, 130, 60),
                {"1. Click the key to teach on the remote picture; it turns yellow and waits about "
                 "6 seconds.",
                 "2. Within that time point the original remote at the universal remote, 2 to 5 cm "
                 "apart, and press its key; the key on the picture turns red once its code is stored.",
                 "3. Click \"Stop learning\" when you are done."}};
    case ArtNames::HintPanel::Deleting:
        return {"Delete mode is on",
                QColor(200, 100, 0),
                {"1. Click a red key on the remote picture to delete its learned code.",
                 "2. Click \"Stop deleting\" to leave delete mode.",
                 "Grey and green keys hold no learned code to delete."}};
    }
    return {};
}
}  // namespace

QImage ScreenArtist::background()
{
    QImage image(1016, 729, QImage::Format_RGB32);
    image.fill(ArtStyle::window());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The remote's outline; the panel lies over it.
    painter.drawImage(QRectF(PanelLayout::remotePanel), RemoteArtist::face());

    painter.setFont(ArtStyle::font(22, true));
    painter.setPen(Qt::white);
    painter.drawText(QRectF(445, 10, 500, 34), Qt::AlignLeft | Qt::AlignVCenter, "QLR-815 Self-Learning");

    ArtStyle::drawPanel(painter, QRectF(436, 56, 566, 108));
    drawLegendRow(painter, 68, ArtStyle::noCode(), "Grey: no code");
    drawLegendRow(painter, 104, ArtStyle::downloaded(), "Green: downloaded code");
    drawLegendRow(painter, 136, ArtStyle::learned(), "Red: learned code");
    painter.setPen(QPen(ArtStyle::panelBorder(), 1));
    painter.drawLine(QPointF(688.5, 66), QPointF(688.5, 154));
    drawFieldLabel(painter, 68, "Remote type:");
    drawFieldLabel(painter, 104, "Software version:");
    drawFieldLabel(painter, 136, "Firmware version:");

    ArtStyle::drawPanel(painter, QRectF(436, 178, 412, 94));
    painter.setFont(ArtStyle::font(12.5, true));
    painter.setPen(ArtStyle::ink());
    painter.drawText(QRectF(448, 184, 300, 20), Qt::AlignLeft | Qt::AlignVCenter, "Device mode");

    ArtStyle::drawPanel(painter, QRectF(432, 279, 424, 284));
    return image;
}

QImage ScreenArtist::hintPanel(ArtNames::HintPanel panel)
{
    const HintText text = hintText(panel);
    QImage image(409, 166, QImage::Format_RGB32);
    image.fill(ArtStyle::panel());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ArtStyle::panelBorder(), 1));
    painter.drawLine(QPointF(8, 0.5), QPointF(401, 0.5));
    painter.setFont(ArtStyle::font(14, true));
    painter.setPen(text.colour);
    painter.drawText(QRectF(12, 6, 385, 22), Qt::AlignLeft | Qt::AlignVCenter, text.title);
    painter.setFont(ArtStyle::font(12));
    painter.setPen(ArtStyle::ink());
    qreal top = 32;
    for (const QString &line : text.lines) {
        const QRectF room(12, top, 385, 166 - top);
        const QRectF used = painter.boundingRect(room, Qt::TextWordWrap, line);
        painter.drawText(room, Qt::TextWordWrap, line);
        top = used.bottom() + 5;
    }
    return image;
}

QImage ScreenArtist::hintPicture(bool learning)
{
    if (learning)
        return sceneImage({true, 4, false, "Click a key on the picture, then press it on the original remote"});
    // Shown when idle, in delete mode and after each stored key while learning goes on.
    return sceneImage({false, 0, false, "The universal remote learns the codes of an original remote"});
}

QList<GifFrame> ScreenArtist::hintAnimation()
{
    const QString caption = "Point the original remote at the universal remote and hold its key";
    QList<GifFrame> frames;
    const auto add = [&](const Scene &scene, int delayMs) {
        QImage image(animationSize, QImage::Format_RGB32);
        image.fill(ArtStyle::panel());
        QPainter painter(&image);
        painter.translate(animationOffset);
        drawScene(painter, scene);
        frames.append({image, delayMs});
    };
    add({false, 0, false, caption}, 500);
    for (int waves = 1; waves <= 7; ++waves)
        add({true, waves, waves >= 6, caption}, 130);
    add({false, 0, true, caption}, 600);
    return frames;
}

QImage ScreenArtist::splash()
{
    QImage image(462, 258, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QLinearGradient sky(0, 0, 0, 258);
    sky.setColorAt(0, ArtStyle::window().lighter(115));
    sky.setColorAt(1, ArtStyle::window().darker(135));
    painter.fillRect(image.rect(), sky);
    painter.setPen(QPen(QColor(255, 255, 255, 120), 1));
    painter.drawRect(QRectF(0.5, 0.5, 461, 257));
    const QImage face = RemoteArtist::face();
    const qreal height = 226;
    const QRectF faceBox(28, 16, face.width() * height / face.height(), height);
    painter.drawImage(faceBox, face);

    painter.setPen(Qt::white);
    painter.setFont(ArtStyle::font(40, true));
    painter.drawText(QRectF(120, 46, 330, 52), Qt::AlignLeft | Qt::AlignVCenter, "QLR-815");
    painter.setFont(ArtStyle::font(20, true));
    painter.drawText(QRectF(122, 100, 330, 30), Qt::AlignLeft | Qt::AlignVCenter, "Self-Learning Tool");
    painter.setFont(ArtStyle::font(14));
    painter.drawText(QRectF(122, 132, 330, 22), Qt::AlignLeft | Qt::AlignVCenter, "Version 2.2");
    painter.setFont(ArtStyle::font(12));
    painter.setPen(QColor(226, 238, 246));
    painter.drawText(QRectF(122, 190, 320, 44), Qt::TextWordWrap,
                     "Teach the universal remote the infrared codes of your original remotes.");
    return image;
}
