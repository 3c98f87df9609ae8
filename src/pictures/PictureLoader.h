#pragma once

#include "Pictures.h"

#include <optional>

// Loads the key picture sets and single pictures from the five resource packs
// and writes the hint animation to its file. Every pack is unloaded again
// before the loader returns, whether it succeeds or fails.
class PictureLoader
{
public:
    // Nothing when a pack is missing or any picture is missing or damaged;
    // `whyNot` then says which.
    static std::optional<Pictures> load(QString *whyNot = nullptr);
};
