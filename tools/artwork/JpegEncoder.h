#pragma once

#include <QByteArray>
#include <QImage>

// Writes pictures as JPEG with libjpeg, without chroma subsampling so that the
// text on buttons and panels stays sharp.
class JpegEncoder
{
public:
    static QByteArray encode(const QImage &image, int quality = 92);
};
