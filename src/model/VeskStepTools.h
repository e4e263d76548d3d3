#pragma once

#include "VeskToolResult.h"

#include <cstdint>
#include <optional>
#include <vector>

/**
    Tools over a pattern record's played steps (VeskImage::Pattern::playedSteps):
    each takes the 159 bytes and gives back new ones. Steps past the played
    ones and every field outside the step arrays stay byte for byte (Double
    alone also sets the length). Every tool refuses a Line In pattern
    (noSteps): it plays the input, not its steps. The seeded tools give the same bytes for the
    same seed everywhere (VeskRandom). A Rest is the step type that plays
    nothing: on a Rythm pattern the empty step, and a Normal step its closed
    hit (VeskStepTypes).
*/
struct VeskStepTools
{
    using Record = VeskToolResult::Record;

    /** Lanes a seeded tool can be kept off, as a bit mask. */
    enum Lane : int
    {
        noteLane = 1,
        levelLane = 2,
        gateLane = 4,
        typeLane = 8
    };

    enum class Scale
    {
        chromatic,
        major,
        minor,
        minorPentatonic
    };

    /** The pitch classes (0-11 above the root) of a scale, ascending. */
    static const std::vector<int>& degrees (Scale scale);

    /** Every step moves by steps (positive: later), wrapping over the played steps. */
    static VeskToolResult rotate (const std::uint8_t* record, int steps);

    /** The played steps in the opposite order. */
    static VeskToolResult reverse (const std::uint8_t* record);

    /** Every played step's note moved by semitones, stopped at 0 and 127;
        clamped says how many notes stopped there. */
    static VeskToolResult transpose (const std::uint8_t* record, int semitones);

    /** Bar 1 copied into bar 2 and the length set to 2 bars. A pattern that
        already has two bars is refused (alreadyTwoBars): its second bar would
        be lost for a pattern no longer than before. */
    static VeskToolResult doubleLength (const std::uint8_t* record);

    /** Every played step a Rest; notes, levels and gates stay. */
    static VeskToolResult clear (const std::uint8_t* record);

    /** Each played step's level and gate moved by a random amount from
        -amount to +amount (0-127), within their ranges. Locked lanes stay. */
    static VeskToolResult humanize (const std::uint8_t* record, int amount, std::uint64_t seed, int lockedLanes = 0);

    struct RandomizeOptions
    {
        Scale scale = Scale::chromatic;
        int root = 0; // pitch class 0 (C) to 11 (B)
        int lowestNote = 48, highestNote = 72; // notes are drawn from the scale within these, both included
        int density = 75; // percent of the played steps that sound; the rest become Rests
    };

    /** New notes (from the scale), levels, gates and types for every played
        step. With the type lane locked the density is ignored and every step
        keeps its type. */
    static VeskToolResult randomize (const std::uint8_t* record, const RandomizeOptions& options, std::uint64_t seed,
                                     int lockedLanes = 0);

    /** percent (0-100) of the played steps, rounded and at least one when
        percent is above 0, changed a little, each in one unlocked lane: the note one scale step up or down (the scale from the
        root), the level by up to 16, the gate by up to 12, or the type
        flipped (a Rest sounds as Normal, any other step becomes a Rest). */
    static VeskToolResult mutate (const std::uint8_t* record, int percent, std::uint64_t seed, int lockedLanes = 0,
                                  Scale scale = Scale::chromatic, int root = 0);

    /** hits spread as evenly as possible over a cycle of steps (as Bjorklund's
        algorithm spreads them), the first step a hit: true for a hit. Empty
        when steps < 1 or hits is outside 0-steps. */
    static std::vector<bool> euclideanCycle (int hits, int steps);

    /** The cycle rotated later by rotation and repeated over the played
        steps: hits Normal steps (with note, when given), the others Rests.
        Refused when steps is over the played steps (stepsOverPlayed), below 1
        (tooFewSteps), hits outside 0-steps (hitsOverSteps) or the note
        outside 0-127 (noteOutOfRange). */
    static VeskToolResult euclid (const std::uint8_t* record, int hits, int steps, int rotation = 0,
                                  std::optional<int> note = {});
};
