#pragma once

#include "AppDialogs.h"
#include "CommandIDs.h"
#include "editors/VeskComponent.h"

/**
    The Library page's commands in the Edit menu, with their keys: Copy
    (Ctrl+C), Paste (Ctrl+V), Swap With..., Initialise, and Open / Close
    Other Library.

    Copy also copies the rows selected on the Collection page, as text.

    Ctrl+C is also File > Close's key. The window's key mappings run the
    first enabled command registered for a key, so these are registered
    before the File commands and are enabled only while the Library page (or
    for Copy, the Collection page) is in front with something to act on;
    everywhere else Ctrl+C stays Close's.
*/
class LibraryCommands : public LibraryCommandIDs
{
public:
    LibraryCommands (VeskComponent& editorToUse, AppDialogs& dialogsToUse, juce::ApplicationCommandManager& commandManagerToUse);

    /** After Undo and Redo, below a separator. */
    void addToEditMenu (juce::PopupMenu& menu);

    void getAllCommands (juce::Array<juce::CommandID>& commands) const;

    /** False, leaving result alone, for a command that is not one of these. */
    bool getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) const;

    /** False for a command that is not one of these. */
    bool perform (juce::CommandID commandID);

    /** Chooses a .vsk or .syx file and shows it beside the library. */
    void chooseOtherLibrary();

private:
    void report (const juce::String& title, const SessionResult& result);

    /** Copy acts on the page in front: the Library page's slots, or the
        Collection page's rows as text. */
    CollectionComponent* collectionPageInFront() const;
    bool canCopy() const;
    SessionResult copySelected();

    VeskComponent& editor;
    LibraryComponent& page;
    AppDialogs& dialogs;
    juce::ApplicationCommandManager& commandManager;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LibraryCommands)
};
