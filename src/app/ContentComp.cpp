#include "ContentComp.h"
#include "midi/MidiSettingsFile.h"
#include "model/VeskLibraryFile.h"

namespace
{
    VeskSession::Options withStartChoice (VeskSession::Options options, const UserSettings& settings)
    {
        options.resetUnitAtStart = settings.getResetUnitAtStart();
        return options;
    }
}

ContentComp::ContentComp (juce::ApplicationCommandManager& commandManagerToUse, VeskSession::Options options)
    : commandManager (commandManagerToUse),
      session (withStartChoice (options, settings))
{
    dialogs = std::make_unique<AppDialogs> (*this, session, lastMessage, showDialogs);

    if (session.getStartError().isNotEmpty())
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, "Midi Settings",
                                                MidiSettingsFile::describeOpenError (session.getStartError()), "ok");

    editor = std::make_unique<VeskComponent> (session);
    addAndMakeVisible (editor.get());
    session.addListener (this);

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
    syxChooser = nullptr;
    dialogs = nullptr;
    editor = nullptr;
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
    return { "File", "Edit", "Setup", "Unit", "Help" };
}

juce::PopupMenu ContentComp::getMenuForIndex (int topLevelMenuIndex, const juce::String&)
{
    juce::PopupMenu menu;
    auto add = [&menu, this] (std::initializer_list<int> ids)
    {
        for (int id : ids)
            if (id == 0)
                menu.addSeparator();
            else
                menu.addCommandItem (&commandManager, id);
    };

    if (topLevelMenuIndex == 0)
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

        add ({ saveLibrary, saveLibraryAs, 0, importSyx, exportSyx, 0, juce::StandardApplicationCommandIDs::quit });
    }
    else if (topLevelMenuIndex == 1)
    {
        add ({ undoEdit, redoEdit });
    }
    else if (topLevelMenuIndex == 2)
    {
        add ({ midiSettings, resetUnitAtStart });
    }
    else if (topLevelMenuIndex == 3)
    {
        add ({ getAllFromUnit, sendAllToUnit, verifyUnit, 0, findUnit, useVirtualUnit });
    }
    else if (topLevelMenuIndex == 4)
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
    for (juce::CommandID id = newLibrary; id <= showAbout; ++id)
        commands.add (id);

    for (juce::CommandID id = getAllFromUnit; id <= exportSyx; ++id)
        commands.add (id);

    commands.add (resetUnitAtStart, clearRecentFiles, undoEdit, redoEdit);
}

void ContentComp::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    const auto ctrl = juce::ModifierKeys::commandModifier;

    auto set = [&] (const juce::String& name, const char* description, const char* category, juce::juce_wchar key)
    {
        result.setInfo (name, description, category, 0);

        if (key != 0)
            result.addDefaultKeypress (key, ctrl);
    };

    switch (commandID)
    {
        case newLibrary: set ("New", "Create a new library", "File", 'n'); break;
        case openLibrary: set ("Open", "Open an existing library", "File", 'o'); break;
        case closeLibrary: set ("Close", "Close the active library", "File", 'c'); break;
        case saveLibrary: set ("Save", "Save the active library", "File", 's'); break;
        case saveLibraryAs: set ("Save As", "Save the active library with a new name", "File", 'a'); break;
        case midiSettings: set ("Midi Settings", "Open midi settings dialog", "File", 'm'); break;
        case autoUpdate:
            set ("Auto Update", "Automatically re-send edit buffers on library change", "Setup", 'u');
            result.setTicked (true);
            break;
        case showHelp: set ("Help", "Display the VeskEdit help", "File", 'h'); break;
        case showAbout: set ("About", "Display program information, version and copyright", "File", 0); break;
        case resetUnitAtStart:
            set ("Reset Unit At Start", "Send the defaults to the unit when VeskEdit starts", "Setup", 0);
            result.setTicked (settings.getResetUnitAtStart());
            break;
        case clearRecentFiles:
            set ("Clear Recent Files", "Empty the list of recently used libraries", "File", 0);
            result.setActive (settings.getRecentFiles().getNumFiles() > 0);
            break;
        case getAllFromUnit: set ("Get All From Unit...", "Get the system block and every pattern from the unit into the library", "Unit", 0); break;
        case sendAllToUnit: set ("Send All To Unit...", "Send the system block and every pattern of the library to the unit", "Unit", 0); break;
        case verifyUnit: set ("Verify Unit Against Library...", "Compare the unit's memory with the library, field by field", "Unit", 0); break;
        case findUnit: set ("Find Unit...", "Look for the unit on every MIDI port and choose the ports it answers on", "Unit", 0); break;
        case useVirtualUnit:
            set ("Virtual Unit", "Talk to a unit inside the program instead of the MIDI ports", "Unit", 0);
            result.setTicked (session.isVirtualUnitInUse());
            break;
        case importSyx: set ("Import .syx...", "Apply the dumps of a .syx file to the library", "File", 0); break;
        case exportSyx: set ("Export .syx...", "Write the library as a .syx file that restores it into a unit", "File", 0); break;
        case undoEdit:
            set (("Undo " + session.getUndoName()).trimEnd(), "Take back the last change of the library", "Edit", 'z');
            result.setActive (session.canUndo());
            break;
        case redoEdit:
            set (("Redo " + session.getRedoName()).trimEnd(), "Make the change taken back again", "Edit", 'z');
            result.defaultKeypresses.getReference (0) = juce::KeyPress ('z', ctrl | juce::ModifierKeys::shiftModifier, 0);
            result.addDefaultKeypress ('y', ctrl);
            result.setActive (session.canRedo());
            break;
        default: break;
    }
}

bool ContentComp::perform (const InvocationInfo& info)
{
    switch (info.commandID)
    {
        case newLibrary:
            if (! dialogs->refusedWhileBusy ("New"))
                saveIfNeededThen ([this]
                                  { session.newLibrary(); });

            return true;

        case openLibrary:
            if (! dialogs->refusedWhileBusy ("Open"))
                saveIfNeededThen ([this]
                                  { openLibraryFile(); });

            return true;

        case saveLibrary:
            // To its file, or, for a library that has none yet, as "Save As".
            getModel().saveAsync (true, true, afterSaving());
            return true;

        case saveLibraryAs: getModel().saveAsInteractiveAsync (true, afterSaving()); return true;

        case resetUnitAtStart:
            settings.setResetUnitAtStart (! settings.getResetUnitAtStart());
            commandManager.commandStatusChanged();
            return true;

        case clearRecentFiles:
            settings.clearRecentFiles();
            commandManager.commandStatusChanged();
            return true;

        case midiSettings:
            if (! dialogs->refusedWhileBusy ("Midi Settings"))
                dialogs->showMidiSettings();

            return true;

        case getAllFromUnit: startTransfer (VeskTransfer::Kind::getAll); return true;
        case sendAllToUnit: startTransfer (VeskTransfer::Kind::sendAll); return true;
        case verifyUnit: startTransfer (VeskTransfer::Kind::verify); return true;

        case findUnit:
            if (! dialogs->refusedWhileBusy ("Find Unit"))
                session.findUnit();

            return true;

        case undoEdit:
            if (! dialogs->refusedWhileBusy ("Undo"))
                session.undo();

            return true;

        case redoEdit:
            if (! dialogs->refusedWhileBusy ("Redo"))
                session.redo();

            return true;

        case useVirtualUnit:
            if (! dialogs->refusedWhileBusy ("Virtual Unit"))
            {
                session.setVirtualUnitInUse (! session.isVirtualUnitInUse());
                commandManager.commandStatusChanged();
            }

            return true;

        case importSyx:
            if (! dialogs->refusedWhileBusy ("Import .syx"))
                chooseSyxFile (true);

            return true;

        case exportSyx: chooseSyxFile (false); return true;
        case showHelp: dialogs->showHelp(); return true;
        case showAbout: dialogs->showAbout(); return true;
        default: return false;
    }
}

void ContentComp::startTransfer (VeskTransfer::Kind kind)
{
    const auto title = VeskTransfer::title (kind);

    if (dialogs->refusedWhileBusy (title))
        return;

    const auto result = session.startTransfer (kind);

    if (result.failed())
        dialogs->showMessage (juce::MessageBoxIconType::WarningIcon, title, result.getErrorMessage());
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

    editor->libraryRestored (VeskSession::allBlocks);
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

void ContentComp::saveIfNeededThen (std::function<void()> next)
{
    juce::Component::SafePointer<ContentComp> safeThis (this);
    const bool wasChanged = getModel().hasChangedSinceSaved();

    auto onAnswered = [safeThis, wasChanged, next] (juce::FileBasedDocument::SaveResult result)
    {
        // Cancel, a cancelled file chooser or a failed save: nothing happens.
        if (safeThis == nullptr || result != juce::FileBasedDocument::savedOk)
            return;

        if (wasChanged && ! safeThis->getModel().hasChangedSinceSaved())
            safeThis->rememberLibrary(); // saved rather than discarded

        next();
    };

    getModel().saveIfNeededAndUserAgreesAsync (onAnswered);
}

void ContentComp::openFileFromOutside (const juce::File& file)
{
    if (file.hasFileExtension ("syx"))
        importSyxFile (file);
    else
        loadLibrary (file);
}

void ContentComp::loadLibrary (const juce::File& file)
{
    if (dialogs->refusedWhileBusy ("Open"))
        return;

    juce::Component::SafePointer<ContentComp> safeThis (this);
    auto load = [safeThis, file]
    {
        if (safeThis != nullptr)
            safeThis->getModel().loadFromAsync (file, true, [safeThis] (juce::Result result)
                                                {
                                                    if (safeThis != nullptr)
                                                        safeThis->afterLoading (result); });
    };

    // A file that will not load changes nothing, so nothing is asked: the
    // document's own load reports it as File > Open does.
    juce::HeapBlock<juce::uint8> scratch (VeskImage::imageSize);

    if (! VeskLibraryFile::read (file, scratch.get()).wasOk())
        load();
    else
        saveIfNeededThen (load);
}

bool ContentComp::isInterestedInFileDrag (const juce::StringArray& files)
{
    for (const auto& path : files)
        if (juce::File (path).hasFileExtension ("vsk;syx"))
            return true;

    return false;
}

void ContentComp::filesDropped (const juce::StringArray& files, int, int)
{
    // One library at a time: the first file of a kind the program reads.
    for (const auto& path : files)
    {
        if (juce::File (path).hasFileExtension ("vsk;syx"))
        {
            openFileFromOutside (juce::File (path));
            return;
        }
    }
}

//==============================================================================
void ContentComp::chooseSyxFile (bool forImport)
{
    const auto title = forImport ? "Import .syx" : "Export .syx";
    const auto start = getModel().getFile() != juce::File() ? getModel().getFile().withFileExtension ("syx")
                                                            : juce::File::getCurrentWorkingDirectory();
    syxChooser = std::make_unique<juce::FileChooser> (title, start, "*.syx");

    const int chooserFlags = forImport ? juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles
                                       : juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                                             | juce::FileBrowserComponent::warnAboutOverwriting;

    juce::Component::SafePointer<ContentComp> safeThis (this);
    syxChooser->launchAsync (chooserFlags, [safeThis, forImport] (const juce::FileChooser& chooser)
                             {
                                 const auto file = chooser.getResult();

                                 if (safeThis == nullptr || file == juce::File())
                                     return;

                                 if (forImport)
                                     safeThis->importSyxFile (file);
                                 else
                                     safeThis->exportSyxFile (file.hasFileExtension ("syx") ? file : file.withFileExtension ("syx")); });
}

void ContentComp::importSyxFile (const juce::File& file)
{
    if (dialogs->refusedWhileBusy ("Import .syx"))
        return;

    const auto outcome = session.importSyx (file);
    dialogs->showMessage (outcome.failed ? juce::MessageBoxIconType::WarningIcon : juce::MessageBoxIconType::InfoIcon,
                          "Import .syx", outcome.text);
}

void ContentComp::exportSyxFile (const juce::File& file)
{
    const auto result = session.exportSyx (file);

    if (result.failed())
        dialogs->showMessage (juce::MessageBoxIconType::WarningIcon, "Export .syx", result.getErrorMessage());
}
