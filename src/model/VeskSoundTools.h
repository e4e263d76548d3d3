#pragma once

#include "VeskToolResult.h"

#include <cstdint>
#include <vector>

/**
    Tools over a pattern's sound: the fields its type's part editor shows,
    grouped by the panel that shows them, each kept within its range as
    VeskFieldTable has it. Fields the type does not show, the tempo, the
    length and the steps stay byte for byte (Blend aside).

    Panels as the editors draw them: Lead and Bass have LFO, oscillator
    (wave, tone; the Bass's tune), filter (the Bass's env mod), amplifier (the
    Bass's accent) and output (level, pan); the Lead's effect panel holds the
    effect type and its three knobs, the Bass's vintage switch counts as its
    effect. Rythm: the kit is its oscillator, the drum levels its amplifier,
    level and pan its output. Line In shows only the level (output); Filter,
    Isolator, Phaser and Slicer have no sound fields.
*/
struct VeskSoundTools
{
    /** Panels a tool can be kept off, as a bit mask. */
    enum Panel : int
    {
        lfoPanel = 1,
        oscillatorPanel = 2,
        filterPanel = 4,
        amplifierPanel = 8,
        effectPanel = 16,
        outputPanel = 32
    };

    /** The record offsets partType's editor shows in the panels of the mask, ascending. */
    static std::vector<int> shownFields (int partType, int panels = 63);

    /** The panel that shows offset on partType, or 0 when none does. */
    static int panelOf (int offset, int partType);

    /** Every shown field of an unlocked panel a random value of its range
        (a list: any of its items). */
    static VeskToolResult randomize (const std::uint8_t* record, std::uint64_t seed, int lockedPanels = 0);

    /** percent (0-100) of the unlocked shown fields, rounded and at least one
        when percent is above 0, changed a little (refused past 100):
        a knob by up to a tenth of its range, a list item to its neighbour, a
        switch flipped. */
    static VeskToolResult mutate (const std::uint8_t* record, int percent, std::uint64_t seed, int lockedPanels = 0);

    /** Patterns a and b (of the same type, else refused: differentTypes)
        mixed at percent (0 gives a, 100 gives b): every shown field, the
        tempo and all 32 steps' notes, levels and gates lie between A and B,
        rounded to the nearest; what is chosen rather than turned (list items,
        switches, the step types, the length, steps per bar, the loop mode) is
        A's below 50 % and B's from 50 %. Bytes the type does not show are A's. */
    static VeskToolResult blend (const std::uint8_t* a, const std::uint8_t* b, int percent);
};
