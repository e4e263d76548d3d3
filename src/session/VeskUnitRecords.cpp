#include "VeskUnitRecords.h"
#include "model/VeskDecoder.h"

#include <algorithm>

VeskUnitRecords::VeskUnitRecords (VeskSession& sessionToUse)
    : session (sessionToUse)
{
    session.addListener (this);
    session.getLink().addSentWatcher (this);
}

VeskUnitRecords::~VeskUnitRecords()
{
    session.getLink().removeSentWatcher (this);
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
    return ! std::equal (library, library + VeskImage::patternSize, unit.memory + offset);
}

void VeskUnitRecords::send (const juce::MidiMessage& message)
{
    using Kind = VeskUnitMemory::Taken::Kind;
    const auto temporary = (size_t) VeskBlock::temporary().record();

    // Whether the unit takes a controller or a program change depends on its
    // system settings: unknown, what it made of one is unknown too.
    if (! message.isSysEx() && ! systemKnown
        && (message.isProgramChange() || (message.isController() && VeskDecoder::patternOffsetForController (message.getControllerNumber()) >= 0)))
        known[temporary] = false;

    const auto taken = unit.take (message);

    if (taken.kind == Kind::loaded)
        known[temporary] = systemKnown && known[(size_t) taken.from.record()];
    else if (taken.isWholeBlock() && taken.block.isSystem())
        systemKnown = true;
    else if (taken.isWholeBlock())
        known[(size_t) taken.block.record()] = true;
}

void VeskUnitRecords::learn (VeskBlock block, const juce::uint8* image)
{
    const auto offset = block.imageOffset();
    std::copy (image + offset, image + offset + block.size(), unit.memory + offset);

    if (block.isSystem())
        systemKnown = true;
    else
        known[(size_t) block.record()] = true;
}

void VeskUnitRecords::dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary)
{
    if (intoLibrary && dump.applied() && dump.block.has_value())
        learn (*dump.block, session.getModel().image);
}

void VeskUnitRecords::controllerReceived (int controllerNumber)
{
    // The unit sends what it put into its temporary pattern; the library took it into the shown one.
    const int offset = VeskDecoder::patternOffsetForController (controllerNumber);

    if (offset >= 0)
        unit.memory[VeskImage::temporaryPatternOffset + offset] = session.getModel().currentPattern[offset];
}

void VeskUnitRecords::patternSelected (VeskBlock pattern)
{
    if (! pattern.isUser())
        return;

    const auto temporary = VeskBlock::temporary();
    std::copy (unit.memory + pattern.imageOffset(), unit.memory + pattern.imageOffset() + VeskImage::patternSize,
               unit.memory + temporary.imageOffset());
    known[(size_t) temporary.record()] = known[(size_t) pattern.record()];
}

void VeskUnitRecords::jobChanged()
{
    const bool running = session.getTransfer().isRunning();

    if (! running && transferRunning)
        transferEnded();

    transferRunning = running;
}

void VeskUnitRecords::transferEnded()
{
    // What a Send All sent was seen leaving; what arrived is learnt here.
    const auto& transfer = session.getTransfer();
    const auto& report = transfer.getReport();
    const bool arrived = report.kind != VeskTransfer::Kind::sendAll;
    const juce::uint8* source = report.kind == VeskTransfer::Kind::verify ? transfer.getUnitImage() : session.getModel().image;
    bool changed = false;

    for (const auto& block : report.blocks)
    {
        if (block.status == VeskTransfer::BlockResult::Status::done)
        {
            if (arrived)
                learn (block.block, source);

            changed = true;
        }
    }

    if (changed && onChange != nullptr)
        onChange();
}
