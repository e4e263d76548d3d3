#include "EditHistory.h"
#include "model/VeskFields.h"

#include <algorithm>

EditHistory::EditHistory (VeskModel& modelToUse, VeskClock& clockToUse, UnitJobs& jobsToUse, SessionListeners& listenersToTell)
    : model (modelToUse),
      clock (clockToUse),
      jobs (jobsToUse),
      listeners (listenersToTell)
{
}

void EditHistory::edit (VeskField field, int value)
{
    auto* image = model.image;
    const int start = model.imageOffsetOf (field);
    const juce::uint8 before[2] = { image[start], image[start + (field.width > 1 ? 1 : 0)] };

    model.storeAndSend (field, value);

    std::vector<VeskHistory::Change> changes;

    for (int i = 0; i < field.width; ++i)
        if (before[i] != image[start + i])
            changes.push_back ({ (juce::uint16) (start + i), before[i], image[start + i] });

    const auto block = field.isSystem() ? VeskBlock::system() : model.getShownBlock();
    const double now = clock.now();
    auto* last = history.stepToExtend();

    const bool sameGesture = last != nullptr && gestureOpen && last->gesture == gesture;
    const bool quickRepeat = last != nullptr && ! gestureOpen && last->gesture == 0 && last->fields.size() == 1
                             && last->fields.front() == field && now - last->lastEdit < mergeMs;

    if (last != nullptr && ! last->wholeBlocks && last->block == block && (sameGesture || quickRepeat))
    {
        last->lastEdit = now;

        if (std::find (last->fields.begin(), last->fields.end(), field) == last->fields.end())
            last->fields.push_back (field);

        if (changes.empty())
            return;

        for (auto& change : changes)
        {
            auto at = std::lower_bound (last->changes.begin(), last->changes.end(), change.offset,
                                        [] (const VeskHistory::Change& c, int offset)
                                        { return c.offset < offset; });

            if (at != last->changes.end() && at->offset == change.offset)
                at->after = change.after;
            else
                last->changes.insert (at, change);
        }

        history.extended();
    }
    else
    {
        // Storing the byte that is there (the page telling the unit the shown
        // loop control again) is no step.
        if (changes.empty())
            return;

        VeskHistory::Step step;
        step.name = VeskFields::controlName (field, model.currentPattern);
        step.block = block;
        step.fields = { field };
        step.changes = std::move (changes);
        step.lastEdit = now;
        step.gesture = gestureOpen ? gesture : 0;
        history.add (std::move (step));
    }

    updateChangedFlag();
    listeners.historyChanged();
}

void EditHistory::beginGesture() noexcept
{
    ++gesture;
    gestureOpen = true;
}

void EditHistory::endGesture() noexcept
{
    gestureOpen = false;
}

SessionResult EditHistory::takeStep (bool back)
{
    if (jobs.isBusy())
        return jobs.refusalWhileBusy (back ? "Undo" : "Redo");

    if (auto* step = back ? history.nextUndo() : history.nextRedo())
    {
        gestureOpen = false;

        if (back)
            history.stepBack();
        else
            history.stepForward();

        restore (*step, back);
    }

    return SessionResult::ok();
}

void EditHistory::restore (const VeskHistory::Step& step, bool undoing)
{
    if (step.wholeBlocks)
    {
        const auto blocks = step.blocks();

        if (blocks.size() == 1 && blocks.front().isPattern() && blocks.front() != model.getShownBlock())
            showPattern (blocks.front(), false);

        VeskHistory::writeBack (step, model.image, undoing);
        jobs.sendRecords (blocks, (undoing ? "Undo " : "Redo ") + step.name);
    }
    else
    {
        // The pattern the step changed is shown, and selected on the unit,
        // before its fields go back, so they reach the pattern the unit edits.
        if (step.block.isPattern() && step.block != model.getShownBlock())
            showPattern (step.block, true);

        VeskHistory::writeBack (step, model.image, undoing);

        for (auto& field : step.fields)
            model.sendField (field);
    }

    updateChangedFlag();
    listeners.libraryRestored (step.wholeBlocks ? std::nullopt : std::optional<VeskBlock> (step.block));
    listeners.historyChanged();
}

SessionResult EditHistory::changeRecords (const juce::String& name, const std::vector<VeskBlock>& slots, const std::function<void()>& change)
{
    if (jobs.isBusy())
        return jobs.refusalWhileBusy (name);

    for (const auto slot : slots)
        if (! slot.isPattern())
            return SessionResult::fail ("The " + slot.name().toLowerCase() + " block is no pattern slot.");

    juce::HeapBlock<juce::uint8> before (VeskImage::imageSize);
    std::copy (model.image, model.image + VeskImage::imageSize, before.get());
    change();

    // A record that already held those bytes is neither a step nor sent.
    if (recordWholeBlocks (name, before, slots))
    {
        jobs.sendRecords (history.nextUndo()->blocks(), name);
        listeners.libraryRestored (std::nullopt);
    }

    return SessionResult::ok();
}

SessionResult EditHistory::editShownPattern (const juce::String& name, const juce::uint8* record)
{
    if (jobs.isBusy())
        return jobs.refusalWhileBusy (name);

    const auto edits = fieldEdits (model.currentPattern, record);

    if (edits.empty())
        return SessionResult::ok();

    // One gesture, so the edits are one step; the step takes the caller's name
    // rather than the name of the first field it changed.
    beginGesture();

    for (auto& [field, value] : edits)
        edit (field, value);

    if (auto* step = history.stepToExtend())
        step->name = name;

    endGesture();
    listeners.historyChanged();
    listeners.libraryRestored (model.getShownBlock());
    return SessionResult::ok();
}

std::vector<std::pair<VeskField, int>> EditHistory::fieldEdits (const juce::uint8* shown, const juce::uint8* record)
{
    using namespace VeskImage::Pattern;
    std::vector<std::pair<VeskField, int>> edits;

    if (tempo (shown) != tempo (record))
        edits.push_back ({ VeskField::tempo(), tempo (record) });

    for (int offset = tempoLow + 1; offset < VeskImage::patternSize; ++offset)
        if (shown[offset] != record[offset])
            edits.push_back ({ VeskField::pattern (offset), record[offset] });

    return edits;
}

bool EditHistory::recordWholeBlocks (const juce::String& name, const juce::uint8* before, const std::vector<VeskBlock>& blocks)
{
    VeskHistory::Step step;
    step.name = name;
    step.wholeBlocks = true;
    step.changes = VeskHistory::differences (before, model.image, blocks);
    step.lastEdit = clock.now();
    const bool changed = ! step.changes.empty();
    history.add (std::move (step));
    updateChangedFlag();
    listeners.historyChanged();
    return changed;
}

//==============================================================================
void EditHistory::updateChangedFlag()
{
    model.setChangedFlag (unitChanged || ! history.isAtSavedState());
}

void EditHistory::forget()
{
    history.clear();
    gestureOpen = false;
    unitChanged = false;
    listeners.historyChanged();
}

void EditHistory::librarySaved()
{
    history.markSaved();
    unitChanged = false;
    listeners.historyChanged();
}

void EditHistory::unitChangedLibrary()
{
    unitChanged = true;
    updateChangedFlag();
}

void EditHistory::dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary)
{
    // A Get All's answers are its own undo step, taken when it ends.
    if (intoLibrary && dump.applied() && ! jobs.isGettingAll())
        unitChangedLibrary();
}

void EditHistory::controllerReceived (int)
{
    unitChangedLibrary();
}
