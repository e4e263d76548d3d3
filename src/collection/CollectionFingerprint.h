#pragma once

#include "CollectionTypes.h"

#include <array>
#include <cstdint>

/**
    What identifies a pattern: the hash of its 159 bytes (its ID), and a
    fingerprint of what it plays, equal for patterns that differ only in
    bytes nobody hears.

    Heard: the tempo, the played length and steps per bar, the loop control,
    the type and level, and the fields the type's editor sets (Line In none
    more; Rythm the kit and offsets 10-14; Lead, Bass and the types without an
    editor all of offsets 6-30, as nothing says what the unit ignores there).
    Of each played step what its type lets sound (VeskStepTypes): a Rest or
    an empty Rythm step only its type, a Tie step no note (it holds the one
    before); steps past the played length not at all.
*/
struct CollectionFingerprint
{
    using Hash = std::array<std::uint8_t, 32>;

    static Hash hash (const CollectionBytes& bytes);

    /** 64 lower-case hex digits. */
    static juce::String id (const CollectionBytes& bytes);
    static juce::String toHex (const Hash& hash);

    /** The first 8 bytes of the SHA-256 of the heard bytes, as a signed 64-bit number (SQLite's integer). */
    static juce::int64 play (const CollectionBytes& bytes);
    static juce::String playHex (juce::int64 play);

    /** Bit s is set when played step s starts a note (not a Rest or an empty Rythm step, not a Tie). */
    static std::uint32_t onsets (const CollectionBytes& bytes);

    /** Steps the pattern plays (12 to 32). */
    static int playedSteps (const CollectionBytes& bytes);

    /** How many steps differ between two onset masks over length steps, at the
        rotation of b that matches best (stored in rotation). */
    static int onsetDistance (std::uint32_t a, std::uint32_t b, int length, int& rotation);
};
