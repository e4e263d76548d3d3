#pragma once

#include "VeskSession.h"
#include "unit/VeskUnitMemory.h"

#include <array>

/**
    What the unit is known to hold in each pattern slot, so a page can mark
    the slots where the library differs from it. Only what is known counts:
    a record that arrived (a Verify, a Get All, a dump the unit sent), and
    what was sent while a unit could hear it (a port chosen, or the virtual
    unit in use): a record sent whole becomes known, an edit changes a known
    record as it changes the unit's, and choosing a user pattern loads it
    into the temporary one. A knob turned on the unit changes its temporary
    pattern, and a pattern chosen there is loaded into it, as here. What went
    nowhere tells nothing. The comparison with the library is made
    when asked, so a slot made equal again loses its mark.
*/
class VeskUnitRecords : private VeskSession::Listener,
                        private MidiOut
{
public:
    explicit VeskUnitRecords (VeskSession& sessionToUse);
    ~VeskUnitRecords() override;

    bool isKnown (VeskBlock slot) const noexcept;

    /** The slot is known and the library's record is not what the unit holds. */
    bool differsFromUnit (VeskBlock slot) const noexcept;

    /** After a transfer ended and changed what is known. */
    std::function<void()> onChange;

private:
    void jobChanged() override;
    void transferEnded();

    /** What left for the unit. */
    void send (const juce::MidiMessage& message) override;
    void learn (VeskBlock block, const juce::uint8* image);

    /** What the unit sent, applied to the library. */
    void dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary) override;
    void controllerReceived (int controllerNumber) override;
    void patternSelected (VeskBlock pattern) override;

    VeskSession& session;
    bool transferRunning = false;
    VeskUnitMemory unit; // what the unit is believed to hold, where known
    std::array<bool, VeskImage::numPatternRecords> known {}; // by record
    bool systemKnown = false; // which channel messages the unit takes

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskUnitRecords)
};
