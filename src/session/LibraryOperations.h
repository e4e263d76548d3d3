#pragma once

#include "PatternDrag.h"
#include "SessionResult.h"

#include <functional>

class VeskSession;

/**
    What the Library and Collection pages do to the library's pattern slots,
    each written once: Paste, a drop of either kind of drag (PatternDrag),
    Copy to Slot, Swap, Initialise, Audition and New Library from Selection.
    Each is one named undo step that sends what it changed (VeskSlotSteps),
    and each is refused while a job runs, before anything else is looked
    at, as the command the user chose.

    The pages keep the selection: they pass the slots selected, and select
    the ones an operation wrote.
*/
class LibraryOperations
{
public:
    using Record = PatternDrag::Record;

    /** What became of an operation, and the slots it wrote, for the page to
        select (none when it wrote nothing, or selects nothing new). */
    struct Outcome
    {
        SessionResult result;
        std::vector<VeskBlock> written;
    };

    explicit LibraryOperations (VeskSession& sessionToUse) : session (sessionToUse) {}

    /** Reads the clipboard's text, or fails saying why there is none to paste. */
    using TextReader = std::function<juce::Result (juce::String& text)>;

    /** paste with the text read gives, or refused with its reason. */
    Outcome pasteFrom (const TextReader& read, const std::vector<VeskBlock>& selected);

    /** Records of clipboard text (VeskPatternText) onto the selected slots:
        one record onto every selected slot, several onto the slots from the
        first selected on. */
    Outcome paste (const juce::String& text, const std::vector<VeskBlock>& selected);

    /** The one selected slot and another exchange their records. */
    Outcome swap (const std::vector<VeskBlock>& selected, VeskBlock with);

    /** The selected slots back to the pattern defaults. */
    Outcome initialise (const std::vector<VeskBlock>& selected);

    /** A drag let go over slot to. With fromImage (the library of the list
        the rows came from), rows copied there, or with Shift two of ours
        swapped; without, records from outside (PatternDrag::Contents)
        copied onto to and the slots after it. */
    Outcome drop (const juce::var& description, const juce::uint8* fromImage, VeskBlock to, bool shift);

    /** What the user did by a drop, as a refusal names it: "Swap" or "Copy". */
    static juce::String dropCommand (const juce::uint8* fromImage, bool shift);

    /** What another page (the Collection page) has chosen: choose fills in
        the records, or gives the page's reason there are none to take. It is
        asked only when no job runs. */
    using Choose = std::function<SessionResult (PatternDrag::Contents& chosen)>;

    /** Copy to Slot...: the records chosen onto first and the slots after it. */
    Outcome copyToSlot (VeskBlock first, const Choose& choose);

    /** Audition: the one record chosen into the temporary pattern, which is
        shown (the unit plays it as it is edited), as one step. */
    SessionResult audition (const Choose& choose);

    /** Why New Library from Selection cannot run now, or ok: asked before
        the question about unsaved changes. */
    SessionResult checkNewLibrary (const Choose& choose) const;

    /** A fresh library (its defaults sent) with the records chosen from
        User 01 on, as one step. */
    SessionResult newLibraryFrom (const Choose& choose);

private:
    /** Why Paste onto the selected slots cannot run now (a job runs,
        nothing is selected), or ok. */
    SessionResult checkPaste (const std::vector<VeskBlock>& selected) const;

    /** What choose gives, unless a job runs: then refused as command. */
    SessionResult take (const juce::String& command, const Choose& choose, PatternDrag::Contents& chosen) const;

    Outcome dropSlots (const std::vector<VeskBlock>& slots, const juce::uint8* fromImage, VeskBlock to, bool shift);
    Outcome copyRecords (const PatternDrag::Contents& contents, VeskBlock first);

    VeskSession& session;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LibraryOperations)
};
