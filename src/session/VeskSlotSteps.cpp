#include "VeskSlotSteps.h"
#include "model/VeskPatternSlots.h"

juce::String VeskSlotSteps::copyName (const juce::String& what, VeskBlock to)
{
    return "Copy " + what + " to " + to.name();
}

juce::String VeskSlotSteps::slotsName (const std::vector<VeskBlock>& slots)
{
    return slots.size() == 1 ? slots.front().name() : juce::String ((int) slots.size()) + " slots";
}

SessionResult VeskSlotSteps::copy (VeskSession& session, VeskBlock from, VeskBlock to)
{
    auto* image = session.getModel().image;
    return session.changeRecords (copyName (from.name(), to), { from, to }, [=]
                                  { VeskPatternSlots::copy (image, from, to); });
}

SessionResult VeskSlotSteps::copyFrom (VeskSession& session, const juce::uint8* otherImage, VeskBlock from, VeskBlock to)
{
    auto* image = session.getModel().image;
    return session.changeRecords (copyName (from.name(), to), { from, to }, [=]
                                  { VeskPatternSlots::copy (image, otherImage, from, to); });
}

SessionResult VeskSlotSteps::swap (VeskSession& session, VeskBlock a, VeskBlock b)
{
    auto* image = session.getModel().image;
    return session.changeRecords ("Swap " + a.name() + " and " + b.name(), { a, b }, [=]
                                  { VeskPatternSlots::swap (image, a, b); });
}

SessionResult VeskSlotSteps::initialise (VeskSession& session, VeskBlock slot)
{
    return initialise (session, std::vector<VeskBlock> { slot });
}

SessionResult VeskSlotSteps::initialise (VeskSession& session, const std::vector<VeskBlock>& slots)
{
    auto* image = session.getModel().image;
    return session.changeRecords ("Initialise " + slotsName (slots), slots, [image, slots]
                                  {
                                      for (const auto slot : slots)
                                          VeskPatternSlots::initialise (image, slot); });
}

std::vector<VeskBlock> VeskSlotSteps::slotsFrom (VeskBlock first, size_t count)
{
    std::vector<VeskBlock> slots;

    for (size_t i = 0; i < count; ++i)
    {
        const auto slot = VeskBlock::fromRecord (first.record() + (int) i);

        if (! slot.has_value())
            return {};

        slots.push_back (*slot);
    }

    return slots;
}

SessionResult VeskSlotSteps::pastTheEnd (size_t count, VeskBlock first)
{
    return SessionResult::fail (juce::String ((int) count) + " patterns from " + first.name()
                                + " would run past User 20. Nothing was changed.");
}

SessionResult VeskSlotSteps::putFrom (VeskSession& session, const juce::String& name, const std::vector<Record>& records, VeskBlock first)
{
    const auto slots = slotsFrom (first, records.size());

    if (slots.empty() && ! records.empty())
        return pastTheEnd (records.size(), first);

    return put (session, name, records, slots);
}

SessionResult VeskSlotSteps::put (VeskSession& session, const juce::String& name, const std::vector<Record>& records,
                                  const std::vector<VeskBlock>& slots)
{
    jassert (records.size() == slots.size());
    auto* image = session.getModel().image;
    return session.changeRecords (name, slots, [image, records, slots]
                                  {
                                      for (size_t i = 0; i < slots.size() && i < records.size(); ++i)
                                          std::copy (records[i].begin(), records[i].end(), image + slots[i].imageOffset()); });
}
