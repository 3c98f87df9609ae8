#pragma once

#include <optional>
#include <vector>

#include "OriginalKeys.h"

// Where the keys lie on the picture of the original remote, in pixels of a
// picture `width` x `height`. Round keys are circles inside their box.
class RemoteLayout
{
public:
    struct Place
    {
        OriginalKey key;
        int x, y, w, h;
        bool round;

        bool contains(int px, int py) const;
        int centerX() const { return x + w / 2; }
        int centerY() const { return y + h / 2; }
    };

    static constexpr int width = 250;
    static constexpr int height = 610;
    // The body's rounded outline.
    static constexpr int bodyMargin = 12;
    static constexpr int bodyRadius = 42;

    static const std::vector<Place> &places();
    static const Place &placeOf(OriginalKey key);
    static std::optional<OriginalKey> keyAt(int x, int y);
};
