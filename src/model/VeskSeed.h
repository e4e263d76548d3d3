#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <optional>

/**
    The seeds of the tools that draw (VeskRandom): the tool windows', vesk's
    and the rounds of Variations. A seed is a whole number that fits 32 bits.
    Every new seed, whoever makes it, lies in 1 to highestMade, so any seed
    the program shows is as short to note down as another; a seed typed or
    given may be any that fits, 0 too, and makes the bytes it always made.
*/
struct VeskSeed
{
    using Value = std::uint32_t;

    static constexpr Value highestMade = 999999999;

    /** A new seed, from the system's randomness. */
    static Value make();

    /** A seed fixed by bits (a derived number): the same on every machine. */
    static constexpr Value madeFrom (std::uint64_t bits) noexcept
    {
        // The remainder's bias is below one in ten billion: no seed is noticeably likelier.
        return (Value) (1 + bits % highestMade);
    }

    /** Decimal digits only, 0 to 4294967295: no sign, space or wrap. */
    static std::optional<Value> parse (const juce::String& text);

    /** Why text is no seed, in one sentence without its end. */
    static juce::String whyNot (const juce::String& text);
};
