#pragma once

#include "UnitJobs.h"
#include "VeskHistory.h"

/**
    The library's edits and their undo history: every change of a library
    byte the user makes is stored, sent to the unit as an edit of that field
    is sent, and recorded as a step (merged with the step before within a
    gesture or a quick burst). Undo and redo write the bytes back the same
    way, or, for a step of whole records, send those records as a job.

    It keeps the library's changed mark: back at the state last saved (or
    opened) the library is unchanged, unless the unit changed it meanwhile,
    which the receivers tell it first of all.

    Message thread only.
*/
class EditHistory : public MyMidiInputCallback::Listener
{
public:
    EditHistory (VeskModel& model, VeskClock& clock, UnitJobs& jobs, SessionListeners& listeners);

    /** Stores the value (see VeskField), sends it to the unit and records the step. */
    void edit (VeskField field, int value);

    /** A press, drag and release of one control: its edits make one step.
        Edits outside a gesture (wheel, keys, typed values) merge with the
        step before when they edit the same field within mergeMs. */
    void beginGesture() noexcept;
    void endGesture() noexcept;

    static constexpr double mergeMs = 500.0;

    bool canUndo() const noexcept { return history.nextUndo() != nullptr; }
    bool canRedo() const noexcept { return history.nextRedo() != nullptr; }
    juce::String getUndoName() const { return canUndo() ? history.nextUndo()->name : juce::String(); }
    juce::String getRedoName() const { return canRedo() ? history.nextRedo()->name : juce::String(); }

    /** Refused while a job runs: a transfer would take the bytes back. */
    SessionResult undo() { return takeStep (true); }
    SessionResult redo() { return takeStep (false); }

    /** Whole pattern records change (see VeskSession::changeRecords). */
    SessionResult changeRecords (const juce::String& name, const std::vector<VeskBlock>& slots, const std::function<void()>& change);

    /** The shown pattern's record becomes record (see VeskSession::editShownPattern). */
    SessionResult editShownPattern (const juce::String& name, const juce::uint8* record);

    /** The edits that make the shown record into record, in the order they
        are sent: the tempo first, then every other byte that differs. */
    static std::vector<std::pair<VeskField, int>> fieldEdits (const juce::uint8* shown, const juce::uint8* record);

    /** The blocks changed from before: one step called name, without sending
        anything; false when they hold what they held (no step). */
    bool recordWholeBlocks (const juce::String& name, const juce::uint8* before, const std::vector<VeskBlock>& blocks);

    /** A new or opened library: no steps, unchanged. */
    void forget();
    void librarySaved();
    void unitChangedLibrary();

    /** Shows a pattern, selecting a user pattern on the unit or not: a
        step's pattern is shown before its bytes go back. */
    std::function<void (VeskBlock pattern, bool selectOnUnit)> showPattern;

    const VeskHistory& getSteps() const noexcept { return history; }

    void dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary) override;
    void controllerReceived (int controllerNumber) override;

private:
    SessionResult takeStep (bool back);
    void restore (const VeskHistory::Step& step, bool undoing);
    void updateChangedFlag();

    VeskModel& model;
    VeskClock& clock;
    UnitJobs& jobs;
    SessionListeners& listeners;
    VeskHistory history;
    int gesture = 0; // counts gestures; the open one while gestureOpen
    bool gestureOpen = false;
    bool unitChanged = false; // the library, since the last save or open

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (EditHistory)
};
