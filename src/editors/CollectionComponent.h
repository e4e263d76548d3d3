#pragma once

#include "CollectionChoice.h"
#include "CollectionDetails.h"
#include "CollectionFilters.h"
#include "CollectionList.h"
#include "PatternsLookAndFeel.h"
#include "session/VeskSession.h"

/**
    The "Collection" page: every pattern the collection holds, found as the
    search is typed and narrowed by the filters, and what a librarian does
    with them:

    - Copy to Slot... (or a drag onto a Library page slot) puts the selected
      patterns onto a slot and the ones after it: one undo step that sends
      them to the unit as the Library page's copies do.
    - Audition (or a double-click, or Return) puts the one selected into the
      temporary pattern as edits, one undo step, so the unit plays it at once.
    - Find Similar lists the patterns that play closest to the selected one.
    - New Library from Selection starts a fresh library (the window asks
      about unsaved changes first, as New does) with the selected patterns
      in User 01 onwards; the other slots keep the defaults.
    - The name, tags, favourite, rating and comment of the selected pattern
      are edited in place (CollectionDetails).

    What is chosen is held by pattern, not by row (CollectionChoice): the
    details, the highlight and every command above act on the same patterns
    however the list changes under them.

    The searches and the edits run on the collection's threads; the page
    never waits for them.
*/
class CollectionComponent : public juce::Component,
                            private Collection::Listener
{
public:
    CollectionComponent (VeskSession& sessionToUse, Collection& collectionToUse);
    ~CollectionComponent() override;

    /** Searches again with the controls' query. */
    void search();

    //==============================================================================
    bool hasSelection() { return choice.count() > 0; } // too many is said by the command, not by a grey item
    bool hasOneSelected() { return choice.getOne().has_value(); }

    /** The selected patterns onto slot and the ones after it, one undo step. */
    SessionResult copyToSlot (VeskBlock slot);

    /** The selected patterns as the Library page's Copy writes slots, one
        line each, addressed from User 01 on as New Library from Selection
        places them (a paste puts them from the slot chosen there); empty
        with none selected or more than a library holds. */
    juce::String copyText();

    /** Edit > Copy here: copyText onto the clipboard, or why not. */
    SessionResult copySelected();

    /** The menu of the slots Copy to Slot... can put the selection on. */
    juce::PopupMenu slotMenu();
    void chooseSlot();

    /** The one selected pattern into the temporary pattern, one undo step. */
    SessionResult audition();

    /** Lists the patterns that play like the one selected; backToSearch ends it. */
    SessionResult findSimilar();
    void backToSearch();

    /** Find Similar, or Back to Search while the similar ones are listed (the button, the Edit menu). */
    SessionResult findSimilarOrGoBack();

    /** Why New Library from Selection cannot run now, or ok. */
    SessionResult checkNewLibrary();

    /** A fresh library with the selected patterns from User 01 on: its
        defaults are sent, the patterns are one undo step. The window asks
        about unsaved changes before it calls this. */
    SessionResult newLibraryFromSelection();

    //==============================================================================
    /** New Library from Selection was asked for (menu, button): the window
        asks about unsaved changes and then calls newLibraryFromSelection. */
    std::function<void()> onNewLibraryRequested;

    /** A refused or failed operation, for an alert: its title and why. */
    std::function<void (const juce::String& title, const SessionResult& result)> onMessage;

    /** The selection changed: the commands may have. */
    std::function<void()> onCommandsChanged;

    //==============================================================================
    void resized() override;
    void paint (juce::Graphics& g) override;

    VeskSession& session;
    Collection& collection;
    PatternsLookAndFeel pageLookAndFeel;
    CollectionResults results { collection };
    CollectionFilters filters;
    CollectionList list { results };
    CollectionChoice choice { results, list.getListBox() };
    CollectionDetails details;
    juce::Label status; // beside the buttons, or above them where it needs the room
    juce::Label noteLine; // why a text was cut or refused, until the choice or the search changes
    juce::TextButton auditionButton { "Audition" }, copyToSlotButton { "Copy to Slot..." }, similarButton { "Find Similar" };

private:
    static constexpr int statusLineHeight = 18; // the status or the note on a line of its own
    void collectionChanged (juce::uint64 changeNumber) override;
    void answerArrived();
    void chosenChanged (bool otherPatterns);
    void updateCommands();
    void showStatus();
    void note (const juce::String& text);
    void readTags();
    void showMenu();
    void run (const juce::String& title, const std::function<SessionResult()>& operation);
    void edit (CollectionDetails::Change change);

    /** The selection for Copy to Slot..., Audition and New Library from
        Selection (see LibraryOperations::Choose), or why it cannot be one. */
    SessionResult chooseToCopy (PatternDrag::Contents& chosen);
    SessionResult chooseToAudition (PatternDrag::Contents& chosen);
    SessionResult chooseForNewLibrary (PatternDrag::Contents& chosen);

    juce::String similarName;

    JUCE_DECLARE_WEAK_REFERENCEABLE (CollectionComponent)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionComponent)
};
