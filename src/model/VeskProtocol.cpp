#include "VeskProtocol.h"
#include "VeskImage.h"

#include <cstring>

namespace
{
    juce::uint8 data7 (int value) noexcept { return (juce::uint8) (value & 0x7F); }

    void writeHeader (juce::uint8* body, juce::uint8 command, int a0, int a1, int a2, int a3) noexcept
    {
        body[0] = VeskProtocol::maker;
        body[1] = VeskProtocol::deviceId;
        body[2] = VeskProtocol::modelHigh;
        body[3] = VeskProtocol::modelLow;
        body[4] = command;
        body[5] = data7 (a0);
        body[6] = data7 (a1);
        body[7] = data7 (a2);
        body[8] = data7 (a3);
    }

    void writeSize (juce::uint8* dest, int size) noexcept
    {
        dest[0] = data7 (size >> 21);
        dest[1] = data7 (size >> 14);
        dest[2] = data7 (size >> 7);
        dest[3] = data7 (size);
    }
}

juce::uint8 VeskProtocol::computeChecksum (const juce::uint8* body, int length) noexcept
{
    int sum = 0;

    for (int i = headerSize; i < length - 1; ++i)
        sum = (sum + body[i]) & 0x7F;

    return (juce::uint8) ((128 - sum) & 0x7F);
}

juce::MidiMessage VeskProtocol::finish (juce::uint8* body, int length)
{
    body[length - 1] = computeChecksum (body, length);
    return juce::MidiMessage::createSysExMessage (body, length);
}

juce::MidiMessage VeskProtocol::dataSet (int a0, int a2, int a3, int value)
{
    juce::uint8 body[dataSetBodySize];
    writeHeader (body, commandDataSet, a0, 0, a2, a3);
    body[dataOffset] = data7 (value);
    return finish (body, dataSetBodySize);
}

juce::MidiMessage VeskProtocol::dataSetAtOffset (int a0, int offset, int value)
{
    return dataSet (a0, offset >> 7, offset & 0x7F, value);
}

juce::MidiMessage VeskProtocol::systemBulk (const juce::uint8* systemBlock)
{
    juce::uint8 body[systemBulkBodySize];
    writeHeader (body, commandDataSet, VeskImage::Area::system, 0, 0, 0);
    std::memcpy (body + dataOffset, systemBlock, (size_t) VeskImage::systemBlockSize);
    return finish (body, systemBulkBodySize);
}

juce::MidiMessage VeskProtocol::patternBulk (int a0, int a1, const juce::uint8* record)
{
    juce::uint8 body[patternBulkBodySize];
    writeHeader (body, commandDataSet, a0, a1, 0, 0);
    std::memcpy (body + dataOffset, record, (size_t) VeskImage::patternSize);
    return finish (body, patternBulkBodySize);
}

juce::MidiMessage VeskProtocol::systemRequest()
{
    juce::uint8 body[requestBodySize];
    writeHeader (body, commandDataRequest, VeskImage::Area::system, 0, 0, 0);
    writeSize (body + dataOffset, VeskImage::systemBlockSize);
    return finish (body, requestBodySize);
}

juce::MidiMessage VeskProtocol::patternRequest (int a0, int a1)
{
    juce::uint8 body[requestBodySize];
    writeHeader (body, commandDataRequest, a0, a1, 0, 0);
    writeSize (body + dataOffset, VeskImage::patternSize);
    return finish (body, requestBodySize);
}

juce::MidiMessage VeskProtocol::blockBulk (const juce::uint8* image, VeskBlock block)
{
    const auto* bytes = image + block.imageOffset();
    return block.isSystem() ? systemBulk (bytes) : patternBulk (block.addressArea(), block.addressIndex(), bytes);
}

juce::MidiMessage VeskProtocol::blockRequest (VeskBlock block)
{
    return block.isSystem() ? systemRequest() : patternRequest (block.addressArea(), block.addressIndex());
}

std::vector<juce::MidiMessage> VeskProtocol::wholeImage (const juce::uint8* image)
{
    std::vector<juce::MidiMessage> messages { blockBulk (image, VeskBlock::system()) };

    for (const auto block : VeskBlock::patterns())
        if (block.isUser())
            messages.push_back (blockBulk (image, block));

    messages.push_back (blockBulk (image, VeskBlock::temporary()));
    return messages;
}
