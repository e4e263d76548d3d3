#pragma once

#include "model/VeskBlock.h"
#include "model/VeskImage.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <optional>

/**
    The unit's memory as what it is sent makes it: one-byte and bulk data sets
    are written where they address (a bad checksum is ignored), pattern data
    to area 01 into its temporary pattern, its edit buffer; controllers on its
    channel go into the controller-carried fields of the temporary pattern;
    bank select 85 and a program change load that user pattern into it. The
    virtual unit keeps its memory so, and the program a copy of what it sent.
*/
class VeskUnitMemory
{
public:
    /** The unit's defaults, as after a factory reset. */
    VeskUnitMemory();

    void reset();

    /** What a message did. */
    struct Taken
    {
        enum class Kind
        {
            nothing, // not for the unit, damaged, or ignored by its settings
            bytes, // written into block at offset, size bytes
            loaded, // the user pattern `from` loaded into the temporary pattern
            request // the unit was asked for block
        };

        Kind kind = Kind::nothing;
        VeskBlock block = VeskBlock::temporary();
        int offset = 0, size = 0;
        VeskBlock from = VeskBlock::temporary();

        bool isWholeBlock() const noexcept { return kind == Kind::bytes && offset == 0 && size == block.size(); }
    };

    Taken take (const juce::MidiMessage& message);

    /** The unit's channel is on (not "off"). */
    bool channelIsOn() const noexcept;

    juce::uint8 memory[VeskImage::imageSize] = {};

    /** The user pattern last chosen, if any. */
    std::optional<VeskBlock> selectedUserPattern;

private:
    Taken takeExclusive (const juce::uint8* body, int length);
    Taken takeChannelMessage (const juce::MidiMessage& message);

    int bankSelect = 0;
};
