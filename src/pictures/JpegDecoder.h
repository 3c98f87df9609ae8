#pragma once

#include <QByteArray>
#include <QImage>

// Reads JPEG data with libjpeg. Damaged or truncated data gives a null
// picture: libjpeg would fill a truncated picture with grey and call it a warning.
class JpegDecoder
{
public:
    static QImage decode(const QByteArray &data);
};
