#include "VeskSeed.h"

#include <limits>

VeskSeed::Value VeskSeed::make()
{
    return madeFrom ((std::uint64_t) juce::Random::getSystemRandom().nextInt64());
}

std::optional<VeskSeed::Value> VeskSeed::parse (const juce::String& text)
{
    if (text.isEmpty() || ! text.containsOnly ("0123456789"))
        return std::nullopt;

    std::uint64_t value = 0;

    // Stopped as soon as it is past 32 bits, long before 64 bits could wrap.
    for (auto c : text)
    {
        value = value * 10 + (std::uint64_t) (c - '0');

        if (value > std::numeric_limits<Value>::max())
            return std::nullopt;
    }

    return (Value) value;
}

juce::String VeskSeed::whyNot (const juce::String& text)
{
    return "'" + text + "' is not a seed: a whole number from 0 to " + juce::String (std::numeric_limits<Value>::max());
}
