#pragma once

#include "VeskBlock.h"

#include <juce_core/juce_core.h>

#include <array>

/**
    Another library to take patterns from, read whole and never written: a
    library file, or a .syx file, which may hold only some of the slots.
*/
struct VeskPatternSource
{
    std::array<juce::uint8, VeskImage::imageSize> image {};

    /** The pattern slots the file holds, by record; a library holds all. */
    std::array<bool, VeskImage::numPatternRecords> held {};

    juce::File file;

    bool holds (VeskBlock slot) const noexcept { return slot.isPattern() && held[(size_t) slot.record()]; }

    /** Reads a .syx file (by its extension) or a library file into source,
        which is left as it was when the file cannot be read or holds no
        pattern; the message then says why, starting with the file's name. */
    static juce::Result read (const juce::File& file, VeskPatternSource& source);
};
