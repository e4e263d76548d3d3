#pragma once

#include "VeskImage.h"

#include <juce_core/juce_core.h>

#include <optional>

/**
    Whole pattern records moved between the slots of an image: slot 0 is the
    temporary pattern, slots 1 to 20 the user patterns. Each operation writes
    the target record(s) and nothing else; it sends nothing, so the caller
    decides what reaches the unit and what goes on the undo history.

    The whole 159-byte record moves, its type included: a pattern copied onto
    a slot that held another type arrives with its own.
*/
struct VeskPatternSlots
{
    static constexpr int temporarySlot = 0;
    static constexpr int numSlots = VeskImage::numPatternRecords;

    static constexpr bool isSlot (int slot) noexcept { return slot >= 0 && slot < numSlots; }

    /** "temp" is the temporary pattern; "1" to "20" (also "01") the user patterns. */
    static std::optional<int> parseSlot (const juce::String& text);

    /** Record from onto record to, within one image. */
    static void copy (juce::uint8* image, int from, int to) noexcept;

    /** Record from of another image (another library) onto record to. */
    static void copy (juce::uint8* image, const juce::uint8* fromImage, int from, int to) noexcept;

    static void swap (juce::uint8* image, int a, int b) noexcept;

    /** Record slot to the pattern defaults, the bytes a new library holds there. */
    static void initialise (juce::uint8* image, int slot);
};
