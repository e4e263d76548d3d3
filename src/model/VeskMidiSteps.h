#pragma once

#include "VeskPattern.h"

#include <juce_core/juce_core.h>

#include <array>
#include <optional>
#include <vector>

/**
    The notes of a MIDI file cannot say everything a pattern's steps hold: a
    Tie after a Rest, level 0, a second bar of Rests, 12 steps whose notes all
    fall on sixteenths, the note of a Rest. So our own files carry the played
    steps as they are, in a sequencer-specific event (0x7D: the maker's ID kept
    for non-commercial use) that other programs skip or keep as it is.

    After the prefix comes a version: 1 from builds that played a Rythm
    pattern's step types as a Lead's (its notes were written so), 2 since
    they play as the step grid labels them (VeskStepTypes).
*/
struct VeskMidiSteps
{
    /** The bytes the event's data starts with, before the version. */
    static const std::vector<juce::uint8>& prefix();

    static constexpr juce::uint8 version = 2, leadMeaningVersion = 1;

    static constexpr int stepArrays[] = { VeskImage::Pattern::stepNote, VeskImage::Pattern::stepLevel,
                                          VeskImage::Pattern::stepGate, VeskImage::Pattern::stepType };

    /** Only values the fields can hold are carried and taken back. */
    static bool holdsOnlyValidSteps (const juce::uint8* record);

    /** The event's data for a record's played steps, the prefix first. */
    static std::vector<juce::uint8> write (const juce::uint8* record);

    struct Carried
    {
        VeskPattern::Record record;
        int version;
    };

    /** The steps an export carried (the data after the prefix), over a copy of
        the record they go into; nothing when the data is not what an export writes. */
    static std::optional<Carried> read (const std::vector<juce::uint8>& data, const juce::uint8* target);
};
