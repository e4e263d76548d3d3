#include "VeskPatternText.h"
#include "VeskDecoder.h"
#include "VeskProtocol.h"

namespace
{
    juce::MidiMessage dataSetFor (const juce::uint8* image, int slot)
    {
        const auto* record = image + VeskImage::patternRecordOffset (slot);
        return slot == 0 ? VeskProtocol::patternBulk (VeskImage::Area::temporaryPattern, 0, record)
                         : VeskProtocol::patternBulk (VeskImage::Area::userPattern, slot - 1, record);
    }

    /** The bytes of one line of hex pairs, or why it is not one. */
    juce::Result hexBytes (const juce::String& line, juce::MemoryBlock& bytes)
    {
        const auto digits = line.removeCharacters (" \t\r");

        if (! digits.containsOnly ("0123456789abcdefABCDEF") || digits.length() % 2 != 0)
            return juce::Result::fail ("it is not hex bytes");

        bytes.setSize ((size_t) digits.length() / 2);

        for (int i = 0; i < digits.length(); i += 2)
            static_cast<juce::uint8*> (bytes.getData())[i / 2] = (juce::uint8) digits.substring (i, i + 2).getHexValue32();

        return juce::Result::ok();
    }
}

juce::String VeskPatternText::fromSlots (const juce::uint8* image, const std::vector<int>& slots)
{
    juce::String text;

    for (int slot : slots)
    {
        const auto message = dataSetFor (image, slot);
        text << juce::String::toHexString (message.getRawData(), message.getRawDataSize()).toUpperCase() << "\n";
    }

    return text;
}

juce::String VeskPatternText::describeTooLarge()
{
    return "it is more than " + juce::String (maxTextSize / 1024) + " KiB of text";
}

juce::Result VeskPatternText::parse (const juce::String& text, std::vector<Record>& records)
{
    records.clear();

    if (text.getNumBytesAsUTF8() > (size_t) maxTextSize)
        return juce::Result::fail (describeTooLarge());

    std::vector<Record> found;
    juce::MemoryBlock bytes;
    juce::HeapBlock<juce::uint8> scratch (VeskImage::imageSize, true);
    const auto lines = juce::StringArray::fromLines (text);

    for (int i = 0; i < lines.size(); ++i)
    {
        if (lines[i].trim().isEmpty())
            continue;

        const auto where = "line " + juce::String (i + 1) + " ";
        const auto hex = hexBytes (lines[i], bytes);

        if (hex.failed())
            return juce::Result::fail (where + hex.getErrorMessage());

        const auto* b = static_cast<const juce::uint8*> (bytes.getData());
        const int size = (int) bytes.getSize();

        if (size < 2 || b[0] != 0xF0 || b[size - 1] != 0xF7)
            return juce::Result::fail (where + "is not one exclusive message (F0 ... F7)");

        const auto dump = VeskDecoder::applyDump (scratch.get(), b + 1, size - 2, VeskDecoder::Check::wholeRecord);

        if (! dump.applied())
            return juce::Result::fail (where + "is not a pattern of this unit: " + VeskDecoder::describe (dump.result));

        if (dump.patternRecord() < 0)
            return juce::Result::fail (where + "is the system block, not a pattern");

        // A dump may be longer than its record: the record's own bytes are what it wrote.
        Record record;
        record.slot = dump.patternRecord();
        const auto* written = scratch.get() + VeskImage::patternRecordOffset (record.slot);
        std::copy (written, written + VeskImage::patternSize, record.bytes.begin());
        found.push_back (record);
    }

    if (found.empty())
        return juce::Result::fail ("it holds no pattern");

    records = std::move (found);
    return juce::Result::ok();
}
