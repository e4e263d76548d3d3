#include "LibraryOperations.h"
#include "VeskSession.h"
#include "VeskSlotSteps.h"
#include "model/VeskPatternText.h"

namespace
{
    using Outcome = LibraryOperations::Outcome;

    /** A step's result, with the slots it wrote when it was done. */
    Outcome withWritten (const SessionResult& result, const std::vector<VeskBlock>& slots)
    {
        return { result, result.wasOk() ? slots : std::vector<VeskBlock>() };
    }

    Outcome notDone (const SessionResult& why)
    {
        return { why, {} };
    }

    SessionResult refusedPaste (const juce::String& why)
    {
        return SessionResult::fail ("The clipboard holds no patterns that can be pasted: " + why
                                    + ".\n\nCopy patterns on the Library page (here or in another VeskEdit) first. Nothing was changed.");
    }

    PatternDrag::Record recordOf (const juce::uint8* image, VeskBlock slot)
    {
        PatternDrag::Record record;
        const auto* start = image + slot.imageOffset();
        std::copy (start, start + VeskImage::patternSize, record.begin());
        return record;
    }
}

//==============================================================================
SessionResult LibraryOperations::checkPaste (const std::vector<VeskBlock>& selected) const
{
    if (const auto busy = session.refusalWhileBusy ("Paste"); busy.failed())
        return busy;

    if (selected.empty())
        return SessionResult::fail ("Select the slot to paste onto first.");

    return SessionResult::ok();
}

Outcome LibraryOperations::pasteFrom (const TextReader& read, const std::vector<VeskBlock>& selected)
{
    // Nothing is asked of the clipboard's owner for a paste that cannot happen.
    if (const auto can = checkPaste (selected); can.failed())
        return notDone (can);

    juce::String text;

    if (const auto got = read (text); got.failed())
        return notDone (refusedPaste (got.getErrorMessage()));

    return paste (text, selected);
}

Outcome LibraryOperations::paste (const juce::String& text, const std::vector<VeskBlock>& selected)
{
    if (const auto can = checkPaste (selected); can.failed())
        return notDone (can);

    std::vector<VeskPatternText::Record> pasted;

    if (const auto parsed = VeskPatternText::parse (text, pasted); parsed.failed())
        return notDone (refusedPaste (parsed.getErrorMessage()));

    // One pattern goes onto every selected slot; several onto the slots from the first selected on.
    const auto targets = pasted.size() == 1 ? selected : VeskSlotSteps::slotsFrom (selected.front(), pasted.size());

    if (targets.empty())
        return notDone (VeskSlotSteps::pastTheEnd (pasted.size(), selected.front()));

    std::vector<Record> records;

    for (size_t i = 0; i < targets.size(); ++i)
        records.push_back (pasted[pasted.size() == 1 ? 0 : i].bytes);

    return withWritten (VeskSlotSteps::put (session, "Paste onto " + VeskSlotSteps::slotsName (targets), records, targets), targets);
}

//==============================================================================
Outcome LibraryOperations::swap (const std::vector<VeskBlock>& selected, VeskBlock with)
{
    if (const auto busy = session.refusalWhileBusy ("Swap With..."); busy.failed())
        return notDone (busy);

    if (selected.size() != 1)
        return notDone (SessionResult::fail ("Select the one slot to swap first."));

    if (selected.front() == with)
        return {};

    return withWritten (VeskSlotSteps::swap (session, selected.front(), with), { with });
}

Outcome LibraryOperations::initialise (const std::vector<VeskBlock>& selected)
{
    if (const auto busy = session.refusalWhileBusy ("Initialise"); busy.failed())
        return notDone (busy);

    if (selected.empty())
        return notDone (SessionResult::fail ("Select the slots to initialise first."));

    // The selection stays as it was.
    return { VeskSlotSteps::initialise (session, selected), {} };
}

//==============================================================================
juce::String LibraryOperations::dropCommand (const juce::uint8* fromImage, bool shift)
{
    return fromImage != nullptr && shift ? "Swap" : "Copy";
}

Outcome LibraryOperations::drop (const juce::var& description, const juce::uint8* fromImage, VeskBlock to, bool shift)
{
    // Rows of a library list are read from its library; anything else must carry whole records.
    if (fromImage != nullptr)
        return dropSlots (PatternDrag::readSlots (description), fromImage, to, shift);

    const auto dropped = PatternDrag::read (description);

    if (dropped.records.empty() || ! to.isPattern())
        return {};

    if (const auto busy = session.refusalWhileBusy (dropCommand (fromImage, shift)); busy.failed())
        return notDone (busy);

    return copyRecords (dropped, to);
}

Outcome LibraryOperations::dropSlots (const std::vector<VeskBlock>& slots, const juce::uint8* fromImage, VeskBlock to, bool shift)
{
    if (slots.empty() || ! to.isPattern())
        return {};

    if (const auto busy = session.refusalWhileBusy (dropCommand (fromImage, shift)); busy.failed())
        return notDone (busy);

    const bool fromOurs = fromImage == session.getModel().image;

    if (shift && fromOurs)
    {
        if (slots.size() != 1)
            return notDone (SessionResult::fail ("Shift swaps one pattern at a time: drag a single row."));

        if (slots.front() == to)
            return {};

        return withWritten (VeskSlotSteps::swap (session, slots.front(), to), { to });
    }

    if (slots.size() == 1)
    {
        if (fromOurs && slots.front() == to)
            return {};

        return withWritten (fromOurs ? VeskSlotSteps::copy (session, slots.front(), to)
                                     : VeskSlotSteps::copyFrom (session, fromImage, slots.front(), to),
                            { to });
    }

    PatternDrag::Contents rows { {}, VeskSlotSteps::slotsName (slots) };

    for (const auto slot : slots)
        rows.records.push_back (recordOf (fromImage, slot));

    return copyRecords (rows, to);
}

//==============================================================================
SessionResult LibraryOperations::take (const juce::String& command, const Choose& choose, PatternDrag::Contents& chosen) const
{
    if (const auto busy = session.refusalWhileBusy (command); busy.failed())
        return busy;

    return choose (chosen);
}

Outcome LibraryOperations::copyToSlot (VeskBlock first, const Choose& choose)
{
    PatternDrag::Contents chosen;

    if (const auto why = take ("Copy to Slot...", choose, chosen); why.failed())
        return notDone (why);

    return copyRecords (chosen, first);
}

Outcome LibraryOperations::copyRecords (const PatternDrag::Contents& contents, VeskBlock first)
{
    const auto name = VeskSlotSteps::copyName (contents.name, first);
    return withWritten (VeskSlotSteps::putFrom (session, name, contents.records, first), VeskSlotSteps::slotsFrom (first, contents.records.size()));
}

SessionResult LibraryOperations::audition (const Choose& choose)
{
    PatternDrag::Contents chosen;

    if (const auto why = take ("Audition", choose, chosen); why.failed())
        return why;

    jassert (chosen.records.size() == 1);
    session.showPattern (VeskBlock::temporary());
    return session.editShownPattern ("Audition " + chosen.name, chosen.records.front().data());
}

SessionResult LibraryOperations::checkNewLibrary (const Choose& choose) const
{
    PatternDrag::Contents chosen;
    return take ("New Library from Selection", choose, chosen);
}

SessionResult LibraryOperations::newLibraryFrom (const Choose& choose)
{
    PatternDrag::Contents chosen;

    if (const auto why = take ("New Library from Selection", choose, chosen); why.failed())
        return why;

    session.newLibrary();
    return VeskSlotSteps::putFrom (session, "New Library from Selection", chosen.records, *VeskBlock::user (1));
}
