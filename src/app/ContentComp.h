#pragma once

#include "AppDialogs.h"
#include "CollectionCommands.h"
#include "CollectionPageCommands.h"
#include "CommandDispatch.h"
#include "FilesFromOutside.h"
#include "LibraryCommands.h"
#include "StepsCommands.h"
#include "UserSettings.h"
#include "ViewOptions.h"
#include "editors/VeskComponent.h"
#include "session/VeskSession.h"

#include <juce_gui_extra/juce_gui_extra.h>

/**
    The main window's content (named as when it owned everything; the session
    now owns the library, the devices and the receivers): the tabbed editor,
    the program's commands and menus, and the drop target. What the commands
    do to the library and the unit, the session does.
*/
class ContentComp : public juce::Component,
                    public WindowCommandIDs,
                    public juce::MenuBarModel,
                    public juce::ApplicationCommandTarget,
                    public juce::FileDragAndDropTarget,
                    private VeskSession::Listener
{
public:
    /** commandManager is the window's; the menus are built from it. */
    explicit ContentComp (juce::ApplicationCommandManager& commandManager, VeskSession::Options options = {});
    ~ContentComp() override;

    void resized() override;

    juce::StringArray getMenuBarNames() override;
    juce::PopupMenu getMenuForIndex (int topLevelMenuIndex, const juce::String& menuName) override;
    void menuItemSelected (int menuItemID, int topLevelMenuIndex) override;

    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands (juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    bool perform (const InvocationInfo& info) override;

    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    /** Runs next once a changed library is saved or the user lets it go (the
        document's Save / Discard / Cancel question); Cancel or a failed save
        keeps everything as it was, and cancelled runs instead of next. */
    void saveIfNeededThen (std::function<void()> next, std::function<void()> cancelled = {});

    /** With VeskSession::Options::deferStart, once the window is on screen:
        opens the ports and sends what waited (the start-up reset first), and
        says if the saved output could not be opened. Does nothing later on. */
    void finishStart();

    /** Files from the command line, a later start or a drop (see FilesFromOutside). */
    void openFilesFromOutside (const juce::StringArray& paths) { filesFromOutside->openFilesFromOutside (paths); }
    void openFileFromOutside (const juce::File& file) { openFilesFromOutside ({ file.getFullPathName() }); }
    const juce::Array<juce::File>& getWaitingFiles() const noexcept { return filesFromOutside->getWaitingFiles(); }

    /** Opens a library, asking first about a changed one. A file that cannot be
        loaded gets the message of File > Open and changes nothing. done runs
        when it is over: opened, failed or cancelled. */
    void loadLibrary (const juce::File& file, std::function<void()> done = {});

    /** File > Import and Export with a chosen file (see FileExchangeCommands). */
    void importSyxFile (const juce::File& file) { fileCommands->importSyxFile (file); }
    void exportSyxFile (const juce::File& file) { fileCommands->exportSyxFile (file); }
    void importMidiFile (const juce::File& file, const VeskMidiFile::ImportOptions& options = {}) { fileCommands->importMidiFile (file, options); }
    void offerMidiImport (const juce::File& file) { fileCommands->offerMidiImport (file); }
    void exportMidiFile (const juce::File& file) { fileCommands->exportMidiFile (file); }

    VeskSession& getSession() noexcept { return session; }
    VeskModel& getModel() noexcept { return session.getModel(); }
    UserSettings& getSettings() noexcept { return settings; }
    ViewOptions& getViewOptions() noexcept { return viewOptions; }
    VeskComponent& getEditor() noexcept { return *editor; }
    AppDialogs& getDialogs() noexcept { return *dialogs; }
    LibraryCommands& getLibraryCommands() noexcept { return *libraryCommands; }
    CollectionCommands& getCollectionCommands() noexcept { return *collectionCommands; }
    StepsCommands& getStepsCommands() noexcept { return *stepsCommands; }

    /** The text of the last alert or job summary shown. */
    juce::String lastMessage;

    /** Off where there is no screen (component tests): alerts and the
        progress window are then only recorded in lastMessage. */
    bool showDialogs = true;

private:
    void openLibraryFile();
    void rememberLibrary();
    void afterLoading (juce::Result result);
    std::function<void (juce::FileBasedDocument::SaveResult)> afterSaving();
    void startTransfer (VeskTransfer::Kind kind);
    void addCommandHandlers();
    void describeOwnCommand (juce::CommandID commandID, juce::ApplicationCommandInfo& result);
    bool performOwnCommand (juce::CommandID commandID);
    void historyChanged() override;
    void reportStartError();

    juce::ApplicationCommandManager& commandManager;
    UserSettings settings;
    ViewOptions viewOptions { settings, commandManager };
    VeskSession session;
    std::unique_ptr<AppDialogs> dialogs;
    std::unique_ptr<VeskComponent> editor;
    std::unique_ptr<LibraryCommands> libraryCommands;
    std::unique_ptr<CollectionCommands> collectionCommands;
    std::unique_ptr<CollectionPageCommands> collectionPageCommands;
    std::unique_ptr<StepsCommands> stepsCommands;
    std::unique_ptr<FileExchangeCommands> fileCommands;
    std::unique_ptr<FilesFromOutside> filesFromOutside;
    CommandDispatch dispatch; // each command to the part whose block holds it

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ContentComp)
};
