#pragma once

#include <QImage>

// One frame of an animated GIF as shown: the whole screen, and how long it stays.
struct GifFrame
{
    QImage image;
    int delayMs = 100;
};
