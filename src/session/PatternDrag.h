#pragma once

#include "model/VeskBlock.h"
#include "model/VeskPattern.h"

#include <array>

/**
    What a drag of patterns carries, in one of two forms, both written and
    read only here:
    - rows of a library list: their slot numbers, read from that list's
      library when they are dropped;
    - whole records from outside the library (rows of the Collection page):
      their bytes and a name for the undo step, so a Library page slot can
      take them without knowing where they came from.
*/
struct PatternDrag
{
    using Record = VeskPattern::Record;

    struct Contents
    {
        std::vector<Record> records;
        juce::String name; // "Bass line", or "3 patterns"
    };

    static juce::var describe (const Contents& contents);

    /** The records a description carries; none for any other drag. */
    static Contents read (const juce::var& description);

    static bool isPatternDrag (const juce::var& description) { return ! read (description).records.empty(); }

    /** Rows of a library list. */
    static juce::var describeSlots (const std::vector<VeskBlock>& slots);

    /** The slots rows of a library list carry; none for any other drag. */
    static std::vector<VeskBlock> readSlots (const juce::var& description);

    /** Whether a library slot takes the drag: rows from a library list, or records from elsewhere. */
    static bool canDrop (const juce::var& description, bool fromLibraryList)
    {
        return (fromLibraryList && description.isArray()) || isPatternDrag (description);
    }
};
