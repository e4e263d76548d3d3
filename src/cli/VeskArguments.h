#pragma once

#include "VeskCommands.h"

#include <map>
#include <optional>

/**
    A command's arguments as its entry in the command table reads them: its
    words (what is not an option), the values of its options and the
    switches given. Every vesk command reads its arguments here, so each
    says the same of an unknown option, one given twice or one without its
    value, and "--" ends the options for all.
*/
struct VeskArguments
{
    enum class Outcome
    {
        run,
        help, // --help or -h: the command's help, nothing else
        wrong // problem says why, in one line
    };

    Outcome outcome = Outcome::run;
    juce::String problem;

    juce::StringArray words;
    std::map<juce::String, juce::String> values;
    juce::StringArray switches;

    bool has (const juce::String& option) const;
    std::optional<juce::String> value (const juce::String& option) const;

    /** Reads args (what follows the command's name) as command takes them. */
    static VeskArguments parse (const VeskCommand& command, const juce::StringArray& args);

    /** What is said of an option given without its value: "--from needs a file". */
    static juce::String missingValue (const VeskOption& option);

    /** A whole number as a command line writes it: "-1", "+3", "42". */
    static bool isNumber (const juce::String& text);
};
