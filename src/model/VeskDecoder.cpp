#include "VeskDecoder.h"
#include "VeskFieldTable.h"
#include "VeskImage.h"
#include "VeskProtocol.h"

#include <cstring>

VeskDecoder::Dump VeskDecoder::applyDump (juce::uint8* image, const juce::uint8* body, int length, Check check)
{
    Dump dump;

    if (length < VeskProtocol::dataOffset
        || body[0] != VeskProtocol::maker
        || body[2] != VeskProtocol::modelHigh
        || body[3] != VeskProtocol::modelLow
        || body[4] != VeskProtocol::commandDataSet)
        return dump;

    if (check == Check::wholeRecord && body[1] != VeskProtocol::deviceId)
        return { DumpResult::otherDevice, std::nullopt };

    const int area = body[5];
    dump.block = VeskBlock::fromAddress (area, body[6]);

    if (! dump.block.has_value())
        return { DumpResult::unknownAddress, std::nullopt };

    const auto block = *dump.block;
    dump.result = block.isSystem() ? DumpResult::systemBlock : (block.isTemporary() ? DumpResult::temporaryPattern : DumpResult::userPattern);
    const int dataSize = block.size();
    const int destination = block.imageOffset();

    auto refused = [&dump] (DumpResult why)
    {
        return Dump { why, dump.block };
    };

    if (length < VeskProtocol::dataOffset + dataSize + 1)
        return refused (DumpResult::truncated);

    // Only the user area holds more than one record: a second address byte
    // elsewhere, or an offset, writes somewhere inside a record.
    if (check == Check::wholeRecord && ((area != VeskImage::Area::userPattern && body[6] != 0) || body[7] != 0 || body[8] != 0))
        return refused (DumpResult::notRecordStart);

    for (int i = 0; i < length; ++i)
        if (body[i] > 0x7F)
            return refused (DumpResult::notSevenBit);

    if (VeskProtocol::computeChecksum (body, length) != body[length - 1])
        return refused (DumpResult::badChecksum);

    std::memcpy (image + destination, body + VeskProtocol::dataOffset, (size_t) dataSize);
    return dump;
}

juce::String VeskDecoder::describe (DumpResult result)
{
    switch (result)
    {
        case DumpResult::systemBlock: return "system block";
        case DumpResult::temporaryPattern: return "temporary pattern";
        case DumpResult::userPattern: return "user pattern";
        case DumpResult::notThisUnit: return "not this unit's";
        case DumpResult::unknownAddress: return "unknown address";
        case DumpResult::truncated: return "truncated";
        case DumpResult::badChecksum: return "bad checksum";
        case DumpResult::notSevenBit: return "not 7-bit data";
        case DumpResult::otherDevice: return "another device's";
        case DumpResult::notRecordStart: return "not at a record's start";
    }

    return {};
}

int VeskDecoder::patternOffsetForController (int controllerNumber) noexcept
{
    return VeskFieldTable::offsetForController (controllerNumber);
}

VeskDecoder::ChannelAction VeskDecoder::applyChannelMessage (const juce::uint8* systemBlock,
                                                             juce::uint8* currentPattern,
                                                             const juce::MidiMessage& message,
                                                             int& bankSelect)
{
    using Kind = ChannelAction::Kind;
    ChannelAction action;

    const bool isController = message.isController();

    if (! isController && ! message.isProgramChange())
        return action;

    // Stored channel 16 means off; anything above it is damaged and counts as off.
    const int unitChannel = systemBlock[VeskImage::System::midiChannel];

    if (unitChannel >= VeskImage::System::channelOff || message.getChannel() != unitChannel + 1)
        return action;

    if (isController)
    {
        const int number = message.getControllerNumber();
        const int value = message.getControllerValue() & 0x7F;

        if (number == 0)
        {
            bankSelect = value;
            action.kind = Kind::bankSelect;
            return action;
        }

        const int offset = patternOffsetForController (number);

        if (offset < 0)
            return action;

        currentPattern[offset] = (juce::uint8) value;
        action.kind = Kind::controllerStored;
        action.controller = number;
        return action;
    }

    const int program = message.getProgramChangeNumber();
    action.kind = Kind::selectPattern;
    const auto user = bankSelect == userPatternBank ? VeskBlock::fromProgram (program) : std::nullopt;
    action.pattern = user.value_or (VeskBlock::temporary());
    return action;
}
