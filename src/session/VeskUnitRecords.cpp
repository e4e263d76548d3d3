#include "VeskUnitRecords.h"

#include <algorithm>

VeskUnitRecords::VeskUnitRecords (VeskSession& sessionToUse)
    : session (sessionToUse)
{
    session.addListener (this);
}

VeskUnitRecords::~VeskUnitRecords()
{
    session.removeListener (this);
}

bool VeskUnitRecords::isKnown (VeskBlock slot) const noexcept
{
    return slot.isPattern() && known[(size_t) slot.record()];
}

bool VeskUnitRecords::differsFromUnit (VeskBlock slot) const noexcept
{
    if (! isKnown (slot))
        return false;

    const auto offset = slot.imageOffset();
    const auto* library = session.getModel().image + offset;
    return ! std::equal (library, library + VeskImage::patternSize, unit.begin() + offset);
}

void VeskUnitRecords::jobChanged()
{
    const bool running = session.getTransfer().isRunning();

    // A Send All sends the records as they were when it started.
    if (running && ! transferRunning)
        std::copy (session.getModel().image, session.getModel().image + VeskImage::imageSize, sentFrom.begin());

    if (! running && transferRunning)
        transferEnded();

    transferRunning = running;
}

void VeskUnitRecords::transferEnded()
{
    const auto& transfer = session.getTransfer();
    const auto& report = transfer.getReport();
    const juce::uint8* source = report.kind == VeskTransfer::Kind::verify    ? transfer.getUnitImage()
                                : report.kind == VeskTransfer::Kind::sendAll ? sentFrom.data()
                                                                             : session.getModel().image;
    bool changed = false;

    for (const auto& block : report.blocks)
    {
        if (block.status != VeskTransfer::BlockResult::Status::done || ! block.block.isPattern())
            continue;

        const auto offset = block.block.imageOffset();
        std::copy (source + offset, source + offset + VeskImage::patternSize, unit.begin() + offset);
        known[(size_t) block.block.record()] = true;
        changed = true;
    }

    if (changed && onChange != nullptr)
        onChange();
}
