#pragma once

#include "AppDialogs.h"
#include "CommandIDs.h"
#include "editors/VeskComponent.h"

/**
    The Collection page's commands in the Edit menu: Find in Collection
    (Ctrl+F, which brings the page to the front with the search box focused),
    Audition, Copy to Slot..., Find Similar (Back to Search while the similar
    patterns are listed) and New Library from Selection.
    Those that act on the selection are enabled while the page is in front
    with something selected. The page itself is built when first shown.
*/
class CollectionPageCommands : public CollectionPageCommandIDs
{
public:
    /** saveIfNeededThen asks about a changed library as File > New does. */
    CollectionPageCommands (VeskComponent& editorToUse, AppDialogs& dialogsToUse, juce::ApplicationCommandManager& commandManagerToUse,
                            std::function<void (std::function<void()> next)> saveIfNeededThenToUse);

    void addToEditMenu (juce::PopupMenu& menu);
    void getAllCommands (juce::Array<juce::CommandID>& commands) const;

    /** False, leaving result alone, for a command that is not one of these. */
    bool getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) const;

    /** False for a command that is not one of these. */
    bool perform (juce::CommandID commandID);

private:
    void wire (CollectionComponent& page);
    void report (const juce::String& title, const SessionResult& result);
    void newLibrary (CollectionComponent& page);
    CollectionComponent* pageInFront() const;

    VeskComponent& editor;
    AppDialogs& dialogs;
    juce::ApplicationCommandManager& commandManager;
    std::function<void (std::function<void()> next)> saveIfNeededThen;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionPageCommands)
};
