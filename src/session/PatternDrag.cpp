#include "PatternDrag.h"

namespace
{
    const juce::Identifier recordsId ("patternRecords");
    const juce::Identifier nameId ("patternName");
}

juce::var PatternDrag::describe (const Contents& contents)
{
    auto object = std::make_unique<juce::DynamicObject>();
    juce::Array<juce::var> records;

    for (const auto& record : contents.records)
        records.add (juce::var (juce::MemoryBlock (record.data(), record.size())));

    object->setProperty (recordsId, records);
    object->setProperty (nameId, contents.name);
    return juce::var (object.release());
}

PatternDrag::Contents PatternDrag::read (const juce::var& description)
{
    Contents contents;
    const auto* records = description.getProperty (recordsId, {}).getArray();

    if (records == nullptr)
        return contents;

    for (const auto& entry : *records)
    {
        const auto* block = entry.getBinaryData();

        // A drag holds whole records or is no pattern drag at all.
        if (block == nullptr || block->getSize() != VeskImage::patternSize)
            return {};

        Record record;
        std::memcpy (record.data(), block->getData(), record.size());
        contents.records.push_back (record);
    }

    contents.name = description.getProperty (nameId, {}).toString();
    return contents;
}

juce::var PatternDrag::describeSlots (const std::vector<VeskBlock>& slots)
{
    juce::Array<juce::var> records;

    for (const auto slot : slots)
        records.add (slot.record());

    return records;
}

std::vector<VeskBlock> PatternDrag::readSlots (const juce::var& description)
{
    std::vector<VeskBlock> slots;

    if (const auto* records = description.getArray())
        for (const auto& record : *records)
            if (const auto slot = VeskBlock::fromRecord ((int) record))
                slots.push_back (*slot);

    return slots;
}
