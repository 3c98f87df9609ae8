#pragma once

#include "GifFrame.h"

#include <QByteArray>
#include <QList>

// Writes pictures as GIF with giflib. Flat artwork keeps its exact colours;
// a picture of more than 256 colours is reduced by median cut.
class GifEncoder
{
public:
    // Empty on failure.
    static QByteArray encode(const QImage &image);
    // All frames must have the size of the first; the animation loops forever.
    static QByteArray encodeAnimation(const QList<GifFrame> &frames);
};
