#pragma once

#include "ArtNames.h"
#include "GifFrame.h"

#include <QImage>
#include <QList>

// Draws the larger pictures: the window background, the hint panels, the hint
// picture and its animation, and the splash picture.
class ScreenArtist
{
public:
    static QImage background();
    static QImage hintPanel(ArtNames::HintPanel panel);
    // The hint picture, idle or while a key is being learned.
    static QImage hintPicture(bool learning);
    // An original remote pointed at the universal remote while one of its keys
    // is pressed; shown in place of the hint picture, so it lines up with it.
    static QList<GifFrame> hintAnimation();
    static QImage splash();
};
