#pragma once

#include "GifFrame.h"

#include <QByteArray>
#include <QList>

// Reads GIF data with giflib. Damaged or truncated data gives nothing, never a
// partial picture.
class GifDecoder
{
public:
    // The first frame; null on failure.
    static QImage firstFrame(const QByteArray &data);
    // Every frame as shown, each composed over the ones before; empty on failure.
    static QList<GifFrame> frames(const QByteArray &data);
};
