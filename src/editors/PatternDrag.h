#pragma once

#include "session/VeskSlotSteps.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    What a drag of whole pattern records from outside the library carries (a
    row of the Collection page): their bytes and a name for the undo step, so
    a Library page slot can take them without knowing where they came from.
*/
struct PatternDrag
{
    using Record = VeskSlotSteps::Record;

    struct Contents
    {
        std::vector<Record> records;
        juce::String name; // "Bass line", or "3 patterns"
    };

    static juce::var describe (const Contents& contents);

    /** The records a description carries; none for any other drag. */
    static Contents read (const juce::var& description);

    static bool isPatternDrag (const juce::var& description) { return ! read (description).records.empty(); }
};
