#include "LibraryCommands.h"
#include "ClipboardReader.h"
#include "model/VeskPatternText.h"

namespace
{
    /** The clipboard's text within the bound that pasted text has, or why not. */
    juce::Result readClipboard (juce::String& text)
    {
        using Outcome = ClipboardReader::Outcome;
        auto read = ClipboardReader::readText ((size_t) VeskPatternText::maxTextSize);

        switch (read.outcome)
        {
            case Outcome::text: text = read.text; return juce::Result::ok();
            case Outcome::tooLarge: return juce::Result::fail (VeskPatternText::describeTooLarge());
            case Outcome::noAnswer: return juce::Result::fail ("the program that holds it did not answer");
            case Outcome::notText: return juce::Result::fail ("it holds no text");
        }

        return juce::Result::fail ("it could not be read");
    }
}

LibraryCommands::LibraryCommands (VeskComponent& editorToUse, AppDialogs& dialogsToUse, juce::ApplicationCommandManager& commandManagerToUse)
    : editor (editorToUse),
      page (*editorToUse.libraryPage),
      dialogs (dialogsToUse),
      commandManager (commandManagerToUse)
{
    page.onMessage = [this] (const juce::String& title, const SessionResult& result)
    { report (title, result); };
    page.onOpenOtherRequested = [this]
    { chooseOtherLibrary(); };
    page.onCommandsChanged = [this]
    { commandManager.commandStatusChanged(); };
    page.readClipboard = readClipboard;
}

void LibraryCommands::addToEditMenu (juce::PopupMenu& menu)
{
    menu.addSeparator();

    for (auto id : { copyPatterns, pastePatterns, swapPatternWith, initialisePatterns })
        menu.addCommandItem (&commandManager, id);

    menu.addSeparator();
    menu.addCommandItem (&commandManager, openOtherLibrary);
    menu.addCommandItem (&commandManager, closeOtherLibrary);
}

void LibraryCommands::getAllCommands (juce::Array<juce::CommandID>& commands) const
{
    for (juce::CommandID id = copyPatterns; id <= closeOtherLibrary; ++id)
        commands.add (id);
}

bool LibraryCommands::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) const
{
    const auto ctrl = juce::ModifierKeys::commandModifier;
    const bool inFront = editor.isLibraryPageCurrent();

    auto set = [&result] (const char* name, const char* description, bool active)
    {
        result.setInfo (name, description, "Edit", 0);
        result.setActive (active);
    };

    switch (commandID)
    {
        case copyPatterns:
            set ("Copy", "Copy the selected patterns to the clipboard", canCopy());
            result.addDefaultKeypress ('c', ctrl);
            return true;

        case pastePatterns:
            set ("Paste", "Paste the patterns on the clipboard onto the selected slot", inFront && page.canPaste());
            result.addDefaultKeypress ('v', ctrl);
            return true;

        case swapPatternWith: set ("Swap With...", "Swap the selected pattern with another slot", inFront && page.canSwap()); return true;
        case initialisePatterns: set ("Initialise", "Set the selected slots to the pattern defaults", inFront && page.canInitialise()); return true;
        case openOtherLibrary: set ("Open Other Library...", "Show another library or .syx file beside this one, to copy patterns from", true); return true;
        case closeOtherLibrary: set ("Close Other Library", "Stop showing the other library", page.isOtherLibraryOpen()); return true;
        default: return false;
    }
}

bool LibraryCommands::perform (juce::CommandID commandID)
{
    switch (commandID)
    {
        case copyPatterns: report ("Copy", copySelected()); return true;
        case pastePatterns: report ("Paste", page.pasteFromClipboard()); return true;
        case swapPatternWith: page.chooseSwapPartner(); return true;
        case initialisePatterns: report ("Initialise", page.initialiseSelected()); return true;
        case openOtherLibrary: chooseOtherLibrary(); return true;
        case closeOtherLibrary: page.closeOtherLibrary(); return true;
        default: return false;
    }
}

CollectionComponent* LibraryCommands::collectionPageInFront() const
{
    return editor.isCurrent (VeskComponent::Tab::collection) ? editor.getCollectionPage() : nullptr;
}

bool LibraryCommands::canCopy() const
{
    if (auto* collection = collectionPageInFront())
        return collection->hasSelection();

    return editor.isLibraryPageCurrent() && page.canCopy();
}

SessionResult LibraryCommands::copySelected()
{
    if (auto* collection = collectionPageInFront())
        return collection->copySelected();

    return page.copySelected();
}

void LibraryCommands::chooseOtherLibrary()
{
    const auto library = page.model.getFile();
    const auto start = library != juce::File() ? library.getParentDirectory() : juce::File::getCurrentWorkingDirectory();
    juce::Component::SafePointer<VeskComponent> safeEditor (&editor);

    dialogs.chooseFile ("Open Other Library", start, "*.vsk;*.syx", false, [this, safeEditor] (const juce::File& file)
                        {
                            if (safeEditor == nullptr)
                                return;

                            const auto result = page.openOtherLibrary (file);
                            report ("Open Other Library...", result);

                            if (result.wasOk())
                                editor.showTab (VeskComponent::Tab::library); });
}

void LibraryCommands::report (const juce::String& title, const SessionResult& result)
{
    dialogs.showFailure (title, result);

    commandManager.commandStatusChanged();
}
