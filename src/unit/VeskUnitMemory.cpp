#include "VeskUnitMemory.h"
#include "model/VeskDecoder.h"
#include "model/VeskModel.h"
#include "model/VeskProtocol.h"

#include <cstring>

VeskUnitMemory::VeskUnitMemory()
{
    reset();
}

void VeskUnitMemory::reset()
{
    VeskModel::writeDefaults (memory);
    selectedUserPattern.reset();
    bankSelect = 0;
}

bool VeskUnitMemory::channelIsOn() const noexcept
{
    return memory[VeskImage::System::midiChannel] < VeskImage::System::channelOff;
}

VeskUnitMemory::Taken VeskUnitMemory::take (const juce::MidiMessage& message)
{
    if (! message.isSysEx())
        return takeChannelMessage (message);

    const auto* body = message.getSysExData();
    const int length = message.getSysExDataSize();

    // Another maker's or model's message, or damaged: not for this unit.
    if (length < VeskProtocol::dataOffset + 2 || body[0] != VeskProtocol::maker || body[1] != VeskProtocol::deviceId
        || body[2] != VeskProtocol::modelHigh || body[3] != VeskProtocol::modelLow
        || VeskProtocol::computeChecksum (body, length) != body[length - 1])
        return {};

    for (int i = 0; i < length; ++i)
        if (body[i] > 0x7F)
            return {};

    return takeExclusive (body, length);
}

VeskUnitMemory::Taken VeskUnitMemory::takeExclusive (const juce::uint8* body, int length)
{
    // For the edit buffer the number in a1 plays no part: there is one.
    const auto block = VeskBlock::fromAddress (body[5], body[6]);

    if (! block.has_value())
        return {};

    Taken taken;
    taken.block = *block;

    if (body[4] == VeskProtocol::commandDataRequest && length == VeskProtocol::requestBodySize)
    {
        taken.kind = Taken::Kind::request;
        return taken;
    }

    const int offset = (body[7] << 7) | body[8];
    const int dataSize = length - VeskProtocol::dataOffset - 1;

    // Data that would run past the block it addresses is not taken at all.
    if (body[4] != VeskProtocol::commandDataSet || offset + dataSize > block->size())
        return {};

    std::memcpy (memory + block->imageOffset() + offset, body + VeskProtocol::dataOffset, (size_t) dataSize);
    taken.kind = Taken::Kind::bytes;
    taken.offset = offset;
    taken.size = dataSize;
    return taken;
}

VeskUnitMemory::Taken VeskUnitMemory::takeChannelMessage (const juce::MidiMessage& message)
{
    using namespace VeskImage;

    if (! channelIsOn() || message.getChannel() != memory[System::midiChannel] + 1)
        return {};

    Taken taken;

    if (message.isController() && memory[System::receiveControlChange] != 0)
    {
        const int number = message.getControllerNumber();

        if (number == 0)
        {
            bankSelect = message.getControllerValue();
        }
        else if (const int offset = VeskDecoder::patternOffsetForController (number); offset >= 0)
        {
            memory[temporaryPatternOffset + offset] = (juce::uint8) message.getControllerValue();
            taken.kind = Taken::Kind::bytes;
            taken.offset = offset;
            taken.size = 1;
        }
    }
    else if (message.isProgramChange() && memory[System::receiveProgramChange] != 0)
    {
        const auto chosen = VeskBlock::fromProgram (message.getProgramChangeNumber());

        if (bankSelect == VeskDecoder::userPatternBank && chosen.has_value())
        {
            selectedUserPattern = chosen;
            std::memcpy (memory + temporaryPatternOffset, memory + chosen->imageOffset(), (size_t) patternSize);
            taken.kind = Taken::Kind::loaded;
            taken.from = *chosen;
        }
    }

    return taken;
}
