#include "CollectionPageCommands.h"

CollectionPageCommands::CollectionPageCommands (VeskComponent& editorToUse, AppDialogs& dialogsToUse, juce::ApplicationCommandManager& commandManagerToUse,
                                                std::function<void (std::function<void()> next)> saveIfNeededThenToUse)
    : editor (editorToUse),
      dialogs (dialogsToUse),
      commandManager (commandManagerToUse),
      saveIfNeededThen (std::move (saveIfNeededThenToUse))
{
    editor.onCollectionPageBuilt = [this] (CollectionComponent& page)
    { wire (page); };
}

void CollectionPageCommands::wire (CollectionComponent& page)
{
    page.onMessage = [this] (const juce::String& title, const SessionResult& result)
    { report (title, result); };
    page.onCommandsChanged = [this]
    { commandManager.commandStatusChanged(); };
    page.onNewLibraryRequested = [this, &page]
    { newLibrary (page); };
}

CollectionComponent* CollectionPageCommands::pageInFront() const
{
    return editor.isCurrent (VeskComponent::Tab::collection) ? editor.getCollectionPage() : nullptr;
}

void CollectionPageCommands::addToEditMenu (juce::PopupMenu& menu)
{
    menu.addSeparator();

    for (auto id : { findInCollection, auditionPattern, copyToSlot, findSimilar, newLibraryFromSelection })
        menu.addCommandItem (&commandManager, id);
}

void CollectionPageCommands::getAllCommands (juce::Array<juce::CommandID>& commands) const
{
    for (juce::CommandID id = findInCollection; id <= newLibraryFromSelection; ++id)
        commands.add (id);
}

bool CollectionPageCommands::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) const
{
    auto* page = pageInFront();
    const bool any = page != nullptr && page->hasSelection();
    const bool one = page != nullptr && page->hasOneSelected();

    auto set = [&result] (const char* name, const char* description, bool active)
    {
        result.setInfo (name, description, "Edit", 0);
        result.setActive (active);
    };

    switch (commandID)
    {
        case findInCollection:
            set ("Find in Collection", "Search every pattern the collection holds", true);
            result.addDefaultKeypress ('f', juce::ModifierKeys::commandModifier);
            return true;

        case auditionPattern: set ("Audition", "Put the selected pattern into the temporary pattern, so the unit plays it", one); return true;
        case copyToSlot: set ("Copy to Slot...", "Copy the selected patterns into the library, from a slot on", any); return true;
        case findSimilar:
            // The button beside the list turns into Back to Search; so does this.
            if (page != nullptr && page->results.isShowingSimilar())
                set ("Back to Search", "Leave the similar patterns for the search", true);
            else
                set ("Find Similar", "List the patterns that play like the selected one", one);

            return true;
        case newLibraryFromSelection: set ("New Library from Selection", "Start a new library holding the selected patterns", any); return true;
        default: return false;
    }
}

bool CollectionPageCommands::perform (juce::CommandID commandID)
{
    if (commandID == findInCollection)
    {
        editor.showTab (VeskComponent::Tab::collection);

        if (auto* page = editor.getCollectionPage())
            page->filters.searchBox.grabKeyboardFocus();

        return true;
    }

    auto* page = pageInFront();

    switch (commandID)
    {
        case auditionPattern: report ("Audition", page != nullptr ? page->audition() : SessionResult::ok()); return true;
        case copyToSlot:
            if (page != nullptr)
                page->chooseSlot();

            return true;
        case findSimilar: report ("Find Similar", page != nullptr ? page->findSimilarOrGoBack() : SessionResult::ok()); return true;
        case newLibraryFromSelection:
            if (page != nullptr)
                newLibrary (*page);

            return true;
        default: return false;
    }
}

void CollectionPageCommands::newLibrary (CollectionComponent& page)
{
    // Refused before the question about unsaved changes, which would be for nothing.
    if (const auto can = page.checkNewLibrary(); can.failed())
        return report ("New Library from Selection", can);

    juce::Component::SafePointer<CollectionComponent> safePage (&page);
    saveIfNeededThen ([this, safePage]
                      {
                          if (safePage != nullptr)
                              report ("New Library from Selection", safePage->newLibraryFromSelection()); });
}

void CollectionPageCommands::report (const juce::String& title, const SessionResult& result)
{
    dialogs.showFailure (title, result);

    commandManager.commandStatusChanged();
}
