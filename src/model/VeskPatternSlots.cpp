#include "VeskPatternSlots.h"
#include "VeskBlock.h"
#include "VeskModel.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace
{
    juce::uint8* record (juce::uint8* image, int slot) noexcept
    {
        jassert (VeskPatternSlots::isSlot (slot));
        return image + VeskImage::patternRecordOffset (slot);
    }

    const juce::uint8* record (const juce::uint8* image, int slot) noexcept
    {
        jassert (VeskPatternSlots::isSlot (slot));
        return image + VeskImage::patternRecordOffset (slot);
    }
}

std::optional<int> VeskPatternSlots::parseSlot (const juce::String& text)
{
    if (const auto block = VeskBlock::fromName (text))
        return block->record();

    return std::nullopt;
}

void VeskPatternSlots::copy (juce::uint8* image, int from, int to) noexcept
{
    copy (image, image, from, to);
}

void VeskPatternSlots::copy (juce::uint8* image, const juce::uint8* fromImage, int from, int to) noexcept
{
    // memmove: the source may be this very record.
    std::memmove (record (image, to), record (fromImage, from), (size_t) VeskImage::patternSize);
}

void VeskPatternSlots::swap (juce::uint8* image, int a, int b) noexcept
{
    if (a != b)
        std::swap_ranges (record (image, a), record (image, a) + VeskImage::patternSize, record (image, b));
}

void VeskPatternSlots::initialise (juce::uint8* image, int slot)
{
    // The reset is the one definition of the pattern defaults; it runs once.
    static const auto defaults = []
    {
        std::array<juce::uint8, VeskImage::imageSize> bytes {};
        VeskModel::writeDefaults (bytes.data());
        return bytes;
    }();

    copy (image, defaults.data(), slot, slot);
}
