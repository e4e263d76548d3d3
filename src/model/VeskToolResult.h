#pragma once

#include "VeskPattern.h"

#include <array>
#include <cstdint>
#include <cstring>

/**
    What a pattern tool gives back: the whole new record (the old one where
    the tool refused) and what the window or vesk needs to word the outcome.
    Nothing outside the record is ever touched by a tool.
*/
struct VeskToolResult
{
    using Record = VeskPattern::Record;

    enum class Refusal
    {
        none,
        stepsOverPlayed, // Euclid: more steps in the cycle than the pattern plays
        hitsOverSteps, // Euclid: more hits than steps, or fewer than 0
        tooFewSteps, // Euclid: a cycle of less than one step
        alreadyTwoBars, // Double: the pattern already has two bars
        noteOutOfRange, // a note past 0-127 was asked for
        differentTypes, // Blend: the two patterns are of different types
        percentOutOfRange, // a percentage or amount outside 0-100 (or 0-127)
        noSteps // a step tool on a Line In pattern, whose steps are never heard
    };

    Record record {};
    Refusal refusal = Refusal::none;

    /** Transpose: the notes that stopped at 0 or 127. */
    int clamped = 0;

    /** The played steps (or, for the sound tools, fields) whose bytes changed. */
    int changed = 0;

    bool refused() const noexcept { return refusal != Refusal::none; }

    /** A result that so far leaves the record as it was. */
    static VeskToolResult of (const std::uint8_t* record)
    {
        VeskToolResult result;
        std::memcpy (result.record.data(), record, result.record.size());
        return result;
    }
};
