#pragma once

#include "LibraryList.h"
#include "PatternsLookAndFeel.h"
#include "model/VeskPatternSource.h"
#include "session/VeskUnitRecords.h"

/**
    The "Library" page: the library's 21 pattern slots, and what a librarian
    does with them. Each change is one undo step of the session that sends
    the records it changed to the unit, done by the session's
    LibraryOperations, which also refuses it while a transfer runs:

    - Copy puts the selected records on the clipboard as text (VeskPatternText);
      Paste puts such records onto the selected slot and the ones after it
      (one record onto every selected slot).
    - Swap With... exchanges the selected slot with one chosen from a menu;
      Initialise sets the selected slots to the pattern defaults.
    - Dragging rows onto a row copies them there; with Shift, swaps the two.
      Patterns dragged from the Collection page are copied there too.
    - Open Other Library... shows another library or .syx file, read-only,
      beside ours; its rows drag into ours.
    - A double-click or Return shows the pattern on the Patterns page.

    After a Verify, a mark shows each slot where the library differs from the
    unit (VeskUnitRecords).
*/
class LibraryComponent : public juce::Component,
                         public juce::DragAndDropContainer
{
public:
    explicit LibraryComponent (VeskSession& sessionToUse);
    ~LibraryComponent() override;

    /** Paints the rows again from the library (and the marks from the unit). */
    void refresh();

    //==============================================================================
    /** The selected slots of our list, ascending. */
    std::vector<VeskBlock> getSelectedSlots() const { return ourList.getSelectedSlots(); }

    /** The list Copy takes from: the one last clicked. */
    LibraryList& getCopySource() noexcept;

    bool canCopy() const;
    bool canPaste() const { return ! ourList.getSelectedSlots().empty(); }
    bool canSwap() const { return ourList.getSelectedSlots().size() == 1; }
    bool canInitialise() const { return canPaste(); }

    /** The selected records as the clipboard's text. */
    juce::String copyText();

    /** Copy: copyText onto the system clipboard. */
    SessionResult copySelected();

    /** Records of clipboard text (see VeskPatternText) onto the selection. */
    SessionResult paste (const juce::String& text);

    /** paste with the text readClipboard gives, or refused with its reason. */
    SessionResult pasteFromClipboard();

    /** Reads the clipboard's text for Paste, or fails saying why there is
        none to paste ("it is more than 64 KiB of text"). The window sets one
        that keeps to VeskPatternText's bound; without it JUCE's clipboard is
        read. */
    std::function<juce::Result (juce::String& text)> readClipboard;

    SessionResult swapSelectedWith (VeskBlock slot);

    /** The menu of the 20 slots the selected one can swap with. */
    juce::PopupMenu swapMenu();
    void chooseSwapPartner();

    SessionResult initialiseSelected();

    /** A drag let go over slot to of ours, from the list from or from
        outside (nullptr): see LibraryOperations::drop. */
    SessionResult drop (const juce::var& description, const LibraryList* from, VeskBlock to, bool shift);

    //==============================================================================
    SessionResult openOtherLibrary (const juce::File& file);
    void closeOtherLibrary();
    bool isOtherLibraryOpen() const noexcept { return otherList != nullptr; }
    LibraryList* getOtherList() noexcept { return otherList.get(); }

    /** Open Other Library... was asked for: the window chooses the file. */
    std::function<void()> onOpenOtherRequested;

    /** A refused or failed operation, for an alert: its title and why. */
    std::function<void (const juce::String& title, const SessionResult& result)> onMessage;

    /** A double-click or Return: the Patterns page should show the slot. */
    std::function<void (VeskBlock slot)> onShowPattern;

    /** The selection or the other library changed: the commands may have. */
    std::function<void()> onCommandsChanged;

    //==============================================================================
    void resized() override;
    void paint (juce::Graphics& g) override;

    VeskSession& session;
    VeskModel& model;
    PatternsLookAndFeel pageLookAndFeel;
    VeskUnitRecords unitRecords { session };
    LibraryList ourList { "ourList", false };
    juce::TextButton openOtherButton { "Open Other Library..." };
    juce::TextButton closeOtherButton { "Close Other Library" };

private:
    /** Runs an operation from the page itself, telling onMessage of a failure. */
    void run (const juce::String& title, const std::function<SessionResult()>& operation);
    void showMenu (LibraryList& list);
    void commandsChanged();

    /** What an operation of the session did: the slots it wrote are selected. */
    SessionResult selectWritten (const LibraryOperations::Outcome& outcome);

    std::unique_ptr<VeskPatternSource> other;
    std::unique_ptr<LibraryList> otherList;
    LibraryList* copySource = &ourList;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LibraryComponent)
};
