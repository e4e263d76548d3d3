#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/**
    A number typed by the user ("12", "-5", "+3", "130.1", ".5"), read to the
    nearest double in every locale and on every system, so that what was typed
    is what is kept. (juce::String::getDoubleValue uses a parser of JUCE's own
    on some systems, which can miss the nearest double in the last digit.)
*/
struct DecimalNumber
{
    /** One optional sign, then digits with at most one '.'; anything else
        (spaces, exponents, a comma, no digit at all) is nothing. */
    static std::optional<double> read (const juce::String& text);
};
