#include "CollectionCommands.h"
#include "CollectionTexts.h"

CollectionCommands::CollectionCommands (VeskSession& sessionToUse, UserSettings& settingsToUse, AppDialogs& dialogsToUse,
                                        juce::ApplicationCommandManager& commandManagerToUse, juce::Component& ownerToUse,
                                        juce::String& lastMessageToKeep)
    : session (sessionToUse),
      settings (settingsToUse),
      dialogs (dialogsToUse),
      commandManager (commandManagerToUse),
      owner (ownerToUse),
      lastMessage (lastMessageToKeep)
{
    session.setAddingToCollection (settings.getAddToCollection());
    session.addListener (this);
}

CollectionCommands::~CollectionCommands()
{
    stopTimer();
    session.removeListener (this);
    delete folderWindow.getComponent();
}

void CollectionCommands::getAllCommands (juce::Array<juce::CommandID>& commands) const
{
    commands.add (addFolderToCollection, addToCollectionByItself);
}

bool CollectionCommands::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) const
{
    switch (commandID)
    {
        case addFolderToCollection:
            result.setInfo ("Add Folder to Collection...", "Put every library and .syx file under a folder into the collection", "File", 0);
            result.setActive (! session.getCollectionIntake().isAddingFolders());
            return true;

        case addToCollectionByItself:
            result.setInfo ("Add Patterns to Collection",
                            "Put the patterns of every library opened or saved, every import and every Get All into the collection",
                            "Setup", 0);
            result.setTicked (session.isAddingToCollection());
            return true;

        default: return false;
    }
}

bool CollectionCommands::perform (juce::CommandID commandID)
{
    if (commandID == addToCollectionByItself)
    {
        settings.setAddToCollection (! session.isAddingToCollection());
        session.setAddingToCollection (settings.getAddToCollection());
        commandManager.commandStatusChanged();
        return true;
    }

    if (commandID != addFolderToCollection)
        return false;

    const auto library = session.getModel().getFile();
    const auto start = library != juce::File() ? library.getParentDirectory() : juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    juce::Component::SafePointer<juce::Component> safeOwner (&owner);

    dialogs.chooseFolder ("Add Folder to Collection", start, [this, safeOwner] (const juce::File& folder)
                          {
                              if (safeOwner != nullptr)
                                  addFolder (folder); });
    return true;
}

void CollectionCommands::addFolder (const juce::File& folder)
{
    if (! session.addFoldersToCollection ({ folder }))
        return;

    jobEnded = nullptr;
    commandManager.commandStatusChanged();
    openFolderWindow();
    showFolderProgress();

    if (! session.getCollectionIntake().getFolderJob()->isFinished())
        startTimerHz (10);
}

void CollectionCommands::openFolderWindow()
{
    delete folderWindow.getComponent();

    auto* job = session.getCollectionIntake().getFolderJob();
    const auto window = dialogs.openProgressWindow ("Add Folder to Collection", [this]
                                                    {
                                                        if (auto* running = session.getCollectionIntake().getFolderJob())
                                                            running->cancel(); });
    folderWindow = window.dialog;
    folderPanel = window.panel;

    if (folderPanel != nullptr)
        folderPanel->setNote ("The libraries and .syx files under " + job->getPaths().getFirst().getFullPathName()
                              + " go into the collection; your library is not changed. Cancel stops at the next file and keeps what was added.");
}

void CollectionCommands::showFolderProgress()
{
    auto* job = session.getCollectionIntake().getFolderJob();

    if (job == nullptr || job == jobEnded)
        return;

    if (! job->isFinished())
    {
        // The folders are read as they are walked, so how much is left is not known.
        if (folderPanel != nullptr)
            folderPanel->showProgress (-1.0, CollectionTexts::describeProgress (job->getProgress()));

        return;
    }

    stopTimer();
    jobEnded = job;
    commandManager.commandStatusChanged();

    const auto report = job->getReport();
    lastMessage = CollectionTexts::describeReport (report);

    if (folderPanel != nullptr)
    {
        folderPanel->showProgress (1.0, {});
        folderPanel->showSummary (CollectionTexts::headline (report), lastMessage);
    }
}

void CollectionCommands::collectionFailed (const CollectionProblem& problem, const juce::File& movedAside)
{
    dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Collection", CollectionTexts::describeFailure (problem, movedAside));
}
