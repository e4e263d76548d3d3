#pragma once

#include "VeskSession.h"

#include <array>

/**
    What the unit is known to hold in each pattern slot, so a page can mark
    the slots where the library differs from it. A slot becomes known when
    its record arrives in a Verify, and stays up to date with every Get All
    (the unit's record is then the library's) and every record sent whole
    (Send All, and the undo steps that send records); the comparison with the
    library is made when asked, so a slot made equal again loses its mark.
*/
class VeskUnitRecords : private VeskSession::Listener
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

    VeskSession& session;
    bool transferRunning = false;
    std::array<juce::uint8, VeskImage::imageSize> unit {}; // the known records, at their image offsets
    std::array<juce::uint8, VeskImage::imageSize> sentFrom {}; // the library as a transfer started
    std::array<bool, VeskImage::numPatternRecords> known {}; // by record

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskUnitRecords)
};
