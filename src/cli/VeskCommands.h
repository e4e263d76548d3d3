#pragma once

#include <juce_core/juce_core.h>

#include <ostream>
#include <vector>

/** An option of vesk's: its name, and what its value is. */
struct VeskOption
{
    const char* name;
    /** What "--x needs ..." asks for; nullptr for a switch that takes no value. */
    const char* needs;
};

/** One vesk command as its arguments are read and its help is printed. */
struct VeskCommand
{
    const char* name; // "copy", "collection add"
    const char* usage;
    const char* summary;
    /** The options it takes, by name, space between; each is in the option table. */
    const char* options;
    /** How many words (what is not an option) it takes; maxWords -1: the command counts them. */
    int minWords, maxWords;
    /** What its words are called when their number is wrong: "file" or "argument". */
    const char* wordNoun;
    /** Whether "-1" is a word (a slot, a number) rather than an unknown option. */
    bool numbersAreWords;

    /** The option of that name if this command takes it, else nullptr. */
    const VeskOption* option (const juce::String& optionName) const;
    juce::StringArray optionNames() const;
    bool isCollection() const;
};

/** The one table of vesk's commands and options, and the help made of it. */
struct VeskCommands
{
    static const std::vector<VeskCommand>& all();
    static const std::vector<VeskOption>& options();

    /** The command of that name ("copy", "collection add"), or nullptr. */
    static const VeskCommand* find (const juce::String& name);

    /** vesk --help [NAME]: the overview, the collection's overview, or one command's help. */
    static void printHelp (std::ostream& stream, const juce::String& name);
    static void printHelp (std::ostream& stream, const VeskCommand& command);
    static void printCollectionOverview (std::ostream& stream);
};
