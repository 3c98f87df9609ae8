#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <functional>

struct KeyPlace;
class QPainter;

// Draws the remote: its face, and each key's button picture. Both come from one
// drawing in the remote panel's pixels, so a key picture matches the face under
// its button exactly.
class RemoteArtist
{
public:
    // The face as stored, 190 x 730; the panel shows it stretched to 228 x 745.
    static QImage face();
    // The picture of one key's button, at the button's size, with the key in `fill`.
    static QImage key(const KeyPlace &key, const QColor &fill);
    // The picture of a set entry that belongs to no key.
    static QImage placeholder();

private:
    using FillOf = std::function<QColor(const KeyPlace &)>;
    // Draws the body and the keys; the key with code `front` comes last, on top
    // of any neighbour that reaches into its button.
    static void drawPanel(QPainter &painter, const FillOf &fillOf, const QString &front = {});
};
