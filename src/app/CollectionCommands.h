#pragma once

#include "AppDialogs.h"
#include "CommandIDs.h"
#include "UserSettings.h"

/**
    The window's side of the collection: File > "Add Folder to Collection..."
    with its progress window, the Setup switch that lets patterns go in by
    themselves (kept in the user's settings), and the one message when the
    collection fails.
*/
class CollectionCommands : public CollectionCommandIDs,
                           private VeskSession::Listener,
                           private juce::Timer
{
public:
    CollectionCommands (VeskSession& session, UserSettings& settings, AppDialogs& dialogs,
                        juce::ApplicationCommandManager& commandManager, juce::Component& owner,
                        juce::String& lastMessage);
    ~CollectionCommands() override;

    void getAllCommands (juce::Array<juce::CommandID>& commands) const;

    /** False, leaving result alone, for a command that is not one of these. */
    bool getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) const;

    /** False for a command that is not one of these. */
    bool perform (juce::CommandID commandID);

    /** Adds the folder in the background, with the progress window. */
    void addFolder (const juce::File& folder);

    /** Shows how far the folder job has come, and its end once: its timer calls it. */
    void showFolderProgress();

private:
    void collectionFailed (const CollectionProblem& problem, const juce::File& movedAside) override;
    void timerCallback() override { showFolderProgress(); }
    void openFolderWindow();

    VeskSession& session;
    UserSettings& settings;
    AppDialogs& dialogs;
    juce::ApplicationCommandManager& commandManager;
    juce::Component& owner;
    juce::String& lastMessage;

    const CollectionFolderJob* jobEnded = nullptr; // whose end was shown
    juce::Component::SafePointer<juce::DialogWindow> folderWindow;
    juce::Component::SafePointer<TransferProgressComponent> folderPanel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionCommands)
};
