#pragma once

#include "VeskImage.h"

#include <juce_core/juce_core.h>

#include <array>

/**
    Another library to take patterns from, read whole and never written: a
    library file, or a .syx file, which may hold only some of the slots.
*/
struct VeskPatternSource
{
    std::array<juce::uint8, VeskImage::imageSize> image {};

    /** The slots (0 temporary, 1-20 user) the file holds; a library holds all. */
    std::array<bool, VeskImage::numPatternRecords> held {};

    juce::File file;

    bool holds (int slot) const noexcept { return juce::isPositiveAndBelow (slot, (int) held.size()) && held[(size_t) slot]; }

    /** Reads a .syx file (by its extension) or a library file into source,
        which is left as it was when the file cannot be read or holds no
        pattern; the message then says why, starting with the file's name. */
    static juce::Result read (const juce::File& file, VeskPatternSource& source);
};
