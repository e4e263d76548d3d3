#pragma once

#include "VeskBlock.h"
#include "VeskPattern.h"

#include <juce_core/juce_core.h>

#include <array>
#include <vector>

/**
    Pattern records as text, for the clipboard: one line per record, the hex
    of the data set that writes it into the unit ("F0 41 10 00 4F 12 02 02 00
    00 ... F7"), as it would go out for its slot. Another running copy of the
    program pastes it back; a sysex tool can send a line as it stands.
*/
struct VeskPatternText
{
    /** Longer text is not read at all: 21 records take about 11 KiB. */
    static constexpr int maxTextSize = 64 * 1024;

    /** Why text over maxTextSize is refused, as parse says it. */
    static juce::String describeTooLarge();

    /** The lines for these pattern slots, in that order, each ending in a newline. */
    static juce::String fromSlots (const juce::uint8* image, const std::vector<VeskBlock>& slots);

    struct Record
    {
        VeskBlock slot = VeskBlock::temporary(); // the slot its address names
        VeskPattern::Record bytes {};
    };

    /** The records of text made by fromSlots (spaces, case and blank lines
        do not matter). Anything else fails, saying which line and why, and
        leaves records empty: a line must be one whole record of this unit,
        addressed at its start. */
    static juce::Result parse (const juce::String& text, std::vector<Record>& records);
};
