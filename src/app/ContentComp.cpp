#include "ContentComp.h"
#include "AppCommands.h"
#include "SessionTexts.h"
#include "midi/MidiSettingsFile.h"

namespace
{
    VeskSession::Options withStartChoice (VeskSession::Options options, const UserSettings& settings)
    {
        options.resetUnitAtStart = settings.getResetUnitAtStart();
        options.addToCollection = settings.getAddToCollection();
        return options;
    }
}

ContentComp::ContentComp (juce::ApplicationCommandManager& commandManagerToUse, VeskSession::Options options)
    : commandManager (commandManagerToUse),
      session (withStartChoice (options, settings))
{
    dialogs = std::make_unique<AppDialogs> (*this, session, lastMessage, showDialogs);
    reportStartError();

    editor = std::make_unique<VeskComponent> (session);
    editor->onMessage = [this] (const juce::String& title, const SessionResult& result)
    { dialogs->showMessage (juce::MessageBoxIconType::InfoIcon, title, SessionTexts::describe (result)); };
    addAndMakeVisible (editor.get());
    libraryCommands = std::make_unique<LibraryCommands> (*editor, *dialogs, commandManager);
    collectionCommands = std::make_unique<CollectionCommands> (session, settings, *dialogs, commandManager, *this, lastMessage);
    // The page has asked the session whether it may (busy, nothing chosen) before this asks about unsaved changes.
    collectionPageCommands = std::make_unique<CollectionPageCommands> (*editor, *dialogs, commandManager, [this] (std::function<void()> next)
                                                                       { saveIfNeededThen (std::move (next)); });
    stepsCommands = std::make_unique<StepsCommands> (*editor, *dialogs, commandManager);
    fileCommands = std::make_unique<FileExchangeCommands> (*editor, *dialogs, showDialogs);
    filesFromOutside = std::make_unique<FilesFromOutside> (session, *dialogs, *fileCommands, [this] (const juce::File& file, std::function<void()> done)
                                                           { loadLibrary (file, std::move (done)); });
    session.addListener (this);
    addCommandHandlers();

    // Queued after the page's own notifications, so it opens once they are delivered.
    juce::Component::SafePointer<ContentComp> safeThis (this);
    juce::MessageManager::callAsync ([safeThis]
                                     {
                                         if (safeThis != nullptr)
                                             safeThis->session.openStartGate(); });
}

ContentComp::~ContentComp()
{
    session.removeListener (this);
    filesFromOutside = nullptr;
    fileCommands = nullptr;
    collectionPageCommands = nullptr;
    collectionCommands = nullptr;
    stepsCommands = nullptr;
    libraryCommands = nullptr;
    dialogs = nullptr;
    editor = nullptr;
}

void ContentComp::finishStart()
{
    if (session.isStarted())
        return;

    session.start();
    reportStartError();
}

void ContentComp::reportStartError()
{
    if (session.getStartError().isNotEmpty())
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, "Midi Settings",
                                                MidiSettingsFile::describeOpenError (session.getStartError()), "ok");
}

void ContentComp::resized()
{
    if (editor != nullptr)
        editor->setBounds (getLocalBounds());
}

void ContentComp::historyChanged()
{
    commandManager.commandStatusChanged();
}

//==============================================================================
juce::StringArray ContentComp::getMenuBarNames()
{
    return { "File", "Edit", "Steps", "Setup", "Unit", "Help" };
}

juce::PopupMenu ContentComp::getMenuForIndex (int, const juce::String& menuName)
{
    if (menuName == "Steps")
        return stepsCommands->getMenu();

    juce::PopupMenu menu;
    auto add = [&menu, this] (std::initializer_list<int> ids)
    {
        for (int id : ids)
            if (id == 0)
                menu.addSeparator();
            else
                menu.addCommandItem (&commandManager, id);
    };

    if (menuName == "File")
    {
        add ({ newLibrary, openLibrary });

        // Built as the menu opens: files deleted or moved since go now.
        settings.removeMissingRecentFiles();
        juce::PopupMenu recent;
        const auto numRecent = settings.getRecentFiles().getNumFiles();

        for (int i = 0; i < numRecent; ++i)
            recent.addItem (firstRecentFile + i, settings.getRecentFiles().getFile (i).getFullPathName());

        recent.addSeparator();
        recent.addCommandItem (&commandManager, clearRecentFiles);
        menu.addSubMenu ("Open Recent", recent, numRecent > 0);

        add ({ saveLibrary, saveLibraryAs, 0, importSyx, exportSyx, 0, exportMidi, importMidi, 0,
               CollectionCommands::addFolderToCollection, 0, juce::StandardApplicationCommandIDs::quit });
    }
    else if (menuName == "Edit")
    {
        add ({ undoEdit, redoEdit });
        libraryCommands->addToEditMenu (menu);
        collectionPageCommands->addToEditMenu (menu);
    }
    else if (menuName == "Setup")
    {
        add ({ midiSettings, resetUnitAtStart, CollectionCommands::addToCollectionByItself });
        viewOptions.addToSetupMenu (menu);
    }
    else if (menuName == "Unit")
    {
        add ({ getAllFromUnit, sendAllToUnit, verifyUnit, 0, findUnit, useVirtualUnit });
    }
    else if (menuName == "Help")
    {
        add ({ showAbout });
    }

    return menu;
}

void ContentComp::menuItemSelected (int menuItemID, int)
{
    const auto index = menuItemID - firstRecentFile;

    if (index >= 0 && index < settings.getRecentFiles().getNumFiles())
        loadLibrary (settings.getRecentFiles().getFile (index));
}

//==============================================================================
juce::ApplicationCommandTarget* ContentComp::getNextCommandTarget()
{
    return findFirstTargetParentComponent();
}

void ContentComp::getAllCommands (juce::Array<juce::CommandID>& commands)
{
    // First: a key goes to the first enabled command registered for it, and
    // the Library page's Ctrl+C must win over Close's where Copy is enabled.
    libraryCommands->getAllCommands (commands);
    collectionPageCommands->getAllCommands (commands);

    for (juce::CommandID id = newLibrary; id <= showAbout; ++id)
        commands.add (id);

    for (juce::CommandID id = getAllFromUnit; id <= importMidi; ++id)
        commands.add (id);

    commands.add (resetUnitAtStart, clearRecentFiles, undoEdit, redoEdit);
    viewOptions.getAllCommands (commands);
    collectionCommands->getAllCommands (commands);
    stepsCommands->getAllCommands (commands);
}

void ContentComp::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    dispatch.getCommandInfo (commandID, result);
}

void ContentComp::describeOwnCommand (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    AppCommands::describe (commandID, result);

    switch (commandID)
    {
        case autoUpdate: result.setTicked (true); break;
        case resetUnitAtStart: result.setTicked (settings.getResetUnitAtStart()); break;
        case clearRecentFiles: result.setActive (settings.getRecentFiles().getNumFiles() > 0); break;
        case useVirtualUnit: result.setTicked (session.isVirtualUnitInUse()); break;

        case undoEdit:
            result.shortName = ("Undo " + session.getUndoName()).trimEnd();
            result.setActive (session.canUndo());
            break;

        case redoEdit:
            result.shortName = ("Redo " + session.getRedoName()).trimEnd();
            result.setActive (session.canRedo());
            break;

        default: break;
    }
}

bool ContentComp::perform (const InvocationInfo& info)
{
    // A command that comes before the deferred start has run finds the ports open.
    finishStart();

    return dispatch.perform (info.commandID);
}

bool ContentComp::performOwnCommand (juce::CommandID commandID)
{
    // What changes the library or the unit waits while a job runs with the unit.
    auto unlessBusy = [this] (const char* what, std::function<void()> action)
    {
        if (! dialogs->refusedWhileBusy (what))
            action();

        return true;
    };

    auto toggled = [this] (std::function<void()> action)
    {
        action();
        commandManager.commandStatusChanged();
        return true;
    };

    switch (commandID)
    {
        case newLibrary: return unlessBusy ("New", [this]
                                            { saveIfNeededThen ([this]
                                                                { session.newLibrary(); }); });
        case openLibrary: return unlessBusy ("Open", [this]
                                             { saveIfNeededThen ([this]
                                                                 { openLibraryFile(); }); });

        // To its file, or, for a library that has none yet, as "Save As".
        case saveLibrary: getModel().saveAsync (true, true, afterSaving()); return true;
        case saveLibraryAs: getModel().saveAsInteractiveAsync (true, afterSaving()); return true;

        case resetUnitAtStart: return toggled ([this]
                                               { settings.setResetUnitAtStart (! settings.getResetUnitAtStart()); });
        case clearRecentFiles: return toggled ([this]
                                               { settings.clearRecentFiles(); });
        case midiSettings: return unlessBusy ("Midi Settings", [this]
                                              { dialogs->showMidiSettings(); });
        case getAllFromUnit: startTransfer (VeskTransfer::Kind::getAll); return true;
        case sendAllToUnit: startTransfer (VeskTransfer::Kind::sendAll); return true;
        case verifyUnit: startTransfer (VeskTransfer::Kind::verify); return true;
        case findUnit: return unlessBusy ("Find Unit", [this]
                                          { session.findUnit(); });
        case undoEdit: return unlessBusy ("Undo", [this]
                                          { session.undo(); });
        case redoEdit: return unlessBusy ("Redo", [this]
                                          { session.redo(); });
        case useVirtualUnit: return unlessBusy ("Virtual Unit", [this, toggled]
                                                { toggled ([this]
                                                           { session.setVirtualUnitInUse (! session.isVirtualUnitInUse()); }); });
        case importSyx: return unlessBusy ("Import .syx", [this]
                                           { fileCommands->chooseSyxFile (true); });
        case exportSyx: fileCommands->chooseSyxFile (false); return true;
        case importMidi: return unlessBusy ("Import MIDI File", [this]
                                            { fileCommands->chooseMidiFile (true); });
        case exportMidi: fileCommands->chooseMidiFile (false); return true;
        case showHelp: dialogs->showHelp(); return true;
        case showAbout: dialogs->showAbout(); return true;
        default: return false;
    }
}

void ContentComp::addCommandHandlers()
{
    const CommandDispatch::Handler own { [this] (juce::CommandID id, juce::ApplicationCommandInfo& result)
                                         { describeOwnCommand (id, result); },
                                         [this] (juce::CommandID id)
                                         { return performOwnCommand (id); } };

    for (auto block : { CommandBlocks::file, CommandBlocks::unit, CommandBlocks::setup, CommandBlocks::edit })
        dispatch.add (block, own);

    auto handler = [] (auto& part) -> CommandDispatch::Handler
    {
        return { [&part] (juce::CommandID id, juce::ApplicationCommandInfo& result)
                 { part.getCommandInfo (id, result); },
                 [&part] (juce::CommandID id)
                 { return part.perform (id); } };
    };

    dispatch.add (CommandBlocks::view, handler (viewOptions));
    dispatch.add (CommandBlocks::library, handler (*libraryCommands));
    dispatch.add (CommandBlocks::steps, handler (*stepsCommands));
    dispatch.add (CommandBlocks::collectionPage, handler (*collectionPageCommands));
    dispatch.add (CommandBlocks::collection, handler (*collectionCommands));
}

void ContentComp::startTransfer (VeskTransfer::Kind kind)
{
    const auto title = VeskTransfer::title (kind);

    if (dialogs->refusedWhileBusy (title))
        return;

    const auto result = session.startTransfer (kind);

    if (result.failed())
        dialogs->showMessage (juce::MessageBoxIconType::WarningIcon, title, SessionTexts::describe (result));
}

//==============================================================================
void ContentComp::openLibraryFile()
{
    juce::Component::SafePointer<ContentComp> safeThis (this);
    getModel().loadFromUserSpecifiedFileAsync (true, [safeThis] (juce::Result result)
                                               {
                                                   if (safeThis != nullptr)
                                                       safeThis->afterLoading (result); });
}

void ContentComp::afterLoading (juce::Result result)
{
    if (result.failed())
        return;

    editor->libraryRestored (std::nullopt);
    rememberLibrary();
}

std::function<void (juce::FileBasedDocument::SaveResult)> ContentComp::afterSaving()
{
    juce::Component::SafePointer<ContentComp> safeThis (this);

    return [safeThis] (juce::FileBasedDocument::SaveResult result)
    {
        if (safeThis != nullptr && result == juce::FileBasedDocument::savedOk)
            safeThis->rememberLibrary();
    };
}

void ContentComp::rememberLibrary()
{
    if (getModel().getFile() != juce::File())
        settings.addRecentFile (getModel().getFile());

    commandManager.commandStatusChanged();
}

void ContentComp::saveIfNeededThen (std::function<void()> next, std::function<void()> cancelled)
{
    juce::Component::SafePointer<ContentComp> safeThis (this);
    const bool wasChanged = getModel().hasChangedSinceSaved();

    auto onAnswered = [safeThis, wasChanged, next, cancelled] (juce::FileBasedDocument::SaveResult result)
    {
        if (safeThis == nullptr)
            return;

        // Cancel, a cancelled file chooser or a failed save: nothing happens.
        if (result != juce::FileBasedDocument::savedOk)
        {
            if (cancelled != nullptr)
                cancelled();

            return;
        }

        if (wasChanged && ! safeThis->getModel().hasChangedSinceSaved())
            safeThis->rememberLibrary(); // saved rather than discarded

        next();
    };

    getModel().saveIfNeededAndUserAgreesAsync (onAnswered);
}
