#pragma once

#include "VeskBlock.h"

/**
    Whole pattern records moved between the slots of an image: the temporary
    pattern and the user patterns (never the system block). Each operation writes
    the target record(s) and nothing else; it sends nothing, so the caller
    decides what reaches the unit and what goes on the undo history.

    The whole 159-byte record moves, its type included: a pattern copied onto
    a slot that held another type arrives with its own.
*/
struct VeskPatternSlots
{
    /** Record from onto record to, within one image. */
    static void copy (juce::uint8* image, VeskBlock from, VeskBlock to) noexcept;

    /** Record from of another image (another library) onto record to. */
    static void copy (juce::uint8* image, const juce::uint8* fromImage, VeskBlock from, VeskBlock to) noexcept;

    static void swap (juce::uint8* image, VeskBlock a, VeskBlock b) noexcept;

    /** Record slot to the pattern defaults, the bytes a new library holds there. */
    static void initialise (juce::uint8* image, VeskBlock slot);
};
