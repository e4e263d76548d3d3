#pragma once

#include "EditHistory.h"

/**
    Versions of the shown pattern heard on the unit one after another, before
    one is kept: each becomes the shown pattern and is sent as edits of the
    fields it changes, with no undo step; keep makes the one heard last a
    single named step from the pattern as it was, cancel puts that back and
    sends it. Message thread only.
*/
class PatternAudition
{
public:
    PatternAudition (VeskModel& model, EditHistory& history, UnitJobs& jobs, SessionListeners& listeners);

    /** Remembers the shown pattern as it is; refused while a job runs. */
    SessionResult begin (const juce::String& name);

    bool isOpen() const noexcept { return open; }

    /** The shown pattern's record when begin was called. */
    const juce::uint8* getOriginal() const noexcept { return original; }

    /** The shown pattern becomes record (159 bytes) and the unit hears it. */
    SessionResult audition (const juce::uint8* record);

    /** Ends with the record heard last, as one undo step named as begin was. */
    SessionResult keep();

    /** Ends with the pattern as it was before begin, sent to the unit. */
    void cancel();

    /** The library it was begun on is gone (another opened, or a new one):
        ends without writing anything into the one there now. */
    void libraryReplaced();

    /** How command is refused while an audition is open (what it changes
        would be undone by a cancel), or ok. */
    SessionResult refusalWhileOpen (const juce::String& command) const;

private:
    void sendAsShown (const juce::uint8* record);
    void end();

    VeskModel& model;
    EditHistory& history;
    UnitJobs& jobs;
    SessionListeners& listeners;
    juce::String stepName;
    VeskBlock pattern = VeskBlock::temporary();
    juce::uint8 original[VeskImage::patternSize] = {};
    bool open = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PatternAudition)
};
