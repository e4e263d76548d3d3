#include "ContentComp.h"
#include "AboutComponent.h"
#include "HelpComponent.h"
#include "midi/MidiDeviceSelectorComponent.h"
#include "midi/MidiSettingsFile.h"
#include "model/VeskLibraryFile.h"

namespace
{
    const juce::Colour dialogBackground (0xfff0ffff);

    void setDialogOptions (juce::DialogWindow::LaunchOptions& options, const juce::String& title, juce::Component* centreAround)
    {
        options.dialogTitle = title;
        options.dialogBackgroundColour = dialogBackground;
        options.componentToCentreAround = centreAround;
        options.escapeKeyTriggersCloseButton = true;
        options.useNativeTitleBar = false;
        options.resizable = false;
    }
}

ContentComp::ContentComp (juce::ApplicationCommandManager& commandManagerToUse)
    : commandManager (commandManagerToUse)
{
    const auto error = MidiSettingsFile::initialiseDeviceManager (deviceManager);

    if (error.isNotEmpty())
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, "Midi Settings",
                                                MidiSettingsFile::describeOpenError (error), "ok");

    midiOutLog = MidiOutLog::fromEnvironment (midiOut);
    startGate = std::make_unique<MidiOutGate> (midiOutLog != nullptr ? static_cast<MidiOut&> (*midiOutLog) : midiOut);

    // The model sends its defaults at once, on whatever output just opened,
    // unless the user keeps the unit's own memory: then the whole start sends
    // nothing, the pattern page's first word to the unit included.
    startGate->setOpen (settings.getResetUnitAtStart());
    model = std::make_unique<VeskModel> (*startGate);

    editor = std::make_unique<VeskComponent> (*model);
    addAndMakeVisible (editor.get());

    attachMidiInputCallbacks();

    // Queued after the page's own notifications, so it opens once they are delivered.
    juce::Component::SafePointer<ContentComp> safeThis (this);
    juce::MessageManager::callAsync ([safeThis]
                                     {
                                         if (safeThis != nullptr)
                                             safeThis->startGate->setOpen (true); });
}

ContentComp::~ContentComp()
{
    // Dialogs and receivers hold the device manager, the model or the editor.
    delete midiSettingsDialog.getComponent();
    delete aboutDialog.getComponent();
    helpWindow = nullptr;

    detachMidiInputCallbacks();
    editor = nullptr;
    model = nullptr;
}

void ContentComp::resized()
{
    if (editor != nullptr)
        editor->setBounds (getLocalBounds());
}

//==============================================================================
juce::StringArray ContentComp::getMenuBarNames()
{
    return { "File", "Setup", "Help" };
}

juce::PopupMenu ContentComp::getMenuForIndex (int topLevelMenuIndex, const juce::String&)
{
    juce::PopupMenu menu;

    if (topLevelMenuIndex == 0)
    {
        menu.addCommandItem (&commandManager, newLibrary);
        menu.addCommandItem (&commandManager, openLibrary);

        // Built as the menu opens: files deleted or moved since go now.
        settings.removeMissingRecentFiles();
        juce::PopupMenu recent;
        const auto numRecent = settings.getRecentFiles().getNumFiles();

        for (int i = 0; i < numRecent; ++i)
            recent.addItem (firstRecentFile + i, settings.getRecentFiles().getFile (i).getFullPathName());

        recent.addSeparator();
        recent.addCommandItem (&commandManager, clearRecentFiles);
        menu.addSubMenu ("Open Recent", recent, numRecent > 0);

        menu.addCommandItem (&commandManager, saveLibrary);
        menu.addCommandItem (&commandManager, saveLibraryAs);
        menu.addSeparator();
        menu.addCommandItem (&commandManager, juce::StandardApplicationCommandIDs::quit);
    }
    else if (topLevelMenuIndex == 1)
    {
        menu.addCommandItem (&commandManager, midiSettings);
        menu.addCommandItem (&commandManager, resetUnitAtStart);
    }
    else if (topLevelMenuIndex == 2)
    {
        menu.addCommandItem (&commandManager, showAbout);
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

    commands.add (resetUnitAtStart, clearRecentFiles);
}

void ContentComp::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    const auto ctrl = juce::ModifierKeys::commandModifier;

    auto set = [&] (const char* name, const char* description, const char* category, juce::juce_wchar key)
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
        default: break;
    }
}

bool ContentComp::perform (const InvocationInfo& info)
{
    switch (info.commandID)
    {
        case newLibrary:
            saveIfNeededThen ([this]
                              {
                                  model->resetToDefaults();
                                  refreshVisiblePage(); });
            return true;

        case openLibrary:
            saveIfNeededThen ([this]
                              { openLibraryFile(); });
            return true;

        case saveLibrary:
            // To its file, or, for a library that has none yet, as "Save As".
            model->saveAsync (true, true, afterSaving());
            return true;

        case saveLibraryAs:
            model->saveAsInteractiveAsync (true, afterSaving());
            return true;

        case resetUnitAtStart:
            settings.setResetUnitAtStart (! settings.getResetUnitAtStart());
            commandManager.commandStatusChanged();
            return true;

        case clearRecentFiles:
            settings.clearRecentFiles();
            commandManager.commandStatusChanged();
            return true;

        case midiSettings:
            showMidiSettingsDialog();
            return true;

        case showHelp:
            showHelpWindow();
            return true;

        case showAbout:
            showAboutBox();
            return true;

        default:
            return false;
    }
}

void ContentComp::openLibraryFile()
{
    juce::Component::SafePointer<ContentComp> safeThis (this);
    auto onLoaded = [safeThis] (juce::Result result)
    {
        if (safeThis != nullptr)
            safeThis->afterLoading (result);
    };

    model->loadFromUserSpecifiedFileAsync (true, onLoaded);
}

void ContentComp::afterLoading (juce::Result result)
{
    if (result.failed())
        return;

    refreshVisiblePage();
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
    if (model->getFile() != juce::File())
        settings.addRecentFile (model->getFile());

    commandManager.commandStatusChanged();
}

void ContentComp::saveIfNeededThen (std::function<void()> next)
{
    juce::Component::SafePointer<ContentComp> safeThis (this);
    const bool wasChanged = model->hasChangedSinceSaved();

    auto onAnswered = [safeThis, wasChanged, next] (juce::FileBasedDocument::SaveResult result)
    {
        // Cancel, a cancelled file chooser or a failed save: nothing happens.
        if (safeThis == nullptr || result != juce::FileBasedDocument::savedOk)
            return;

        if (wasChanged && ! safeThis->model->hasChangedSinceSaved())
            safeThis->rememberLibrary(); // saved rather than discarded

        next();
    };

    model->saveIfNeededAndUserAgreesAsync (onAnswered);
}

void ContentComp::openFileFromOutside (const juce::File& file)
{
    if (file.hasFileExtension ("syx"))
        importSyxFromOutside (file);
    else
        loadLibrary (file);
}

void ContentComp::loadLibrary (const juce::File& file)
{
    juce::Component::SafePointer<ContentComp> safeThis (this);
    auto load = [safeThis, file]
    {
        if (safeThis == nullptr)
            return;

        safeThis->model->loadFromAsync (file, true, [safeThis] (juce::Result result)
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

void ContentComp::importSyxFromOutside (const juce::File& file)
{
    // Until File > Import .syx exists, nothing is imported and nothing changes.
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, "Import .syx",
                                            "This version of VeskEdit cannot import .syx files:\n\n"
                                                + file.getFullPathName() + "\n\nNothing was changed.");
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

void ContentComp::refreshVisiblePage()
{
    editor->refreshSystemPage();
    editor->refreshPatternsPage (0);
}

//==============================================================================
void ContentComp::attachMidiInputCallbacks()
{
    detachMidiInputCallbacks();

    for (const auto& input : juce::MidiInput::getAvailableDevices())
    {
        if (! deviceManager.isMidiInputDeviceEnabled (input.identifier))
            continue;

        auto* callback = midiInputCallbacks.add (std::make_unique<MyMidiInputCallback> (*model, *editor));
        midiInputIdentifiers.add (input.identifier);
        deviceManager.addMidiInputDeviceCallback (input.identifier, callback);
    }
}

void ContentComp::detachMidiInputCallbacks()
{
    for (int i = 0; i < midiInputCallbacks.size(); ++i)
        deviceManager.removeMidiInputDeviceCallback (midiInputIdentifiers[i], midiInputCallbacks[i]);

    midiInputCallbacks.clear();
    midiInputIdentifiers.clear();
}

void ContentComp::showMidiSettingsDialog()
{
    if (midiSettingsDialog != nullptr)
    {
        midiSettingsDialog->toFront (true);
        return;
    }

    auto panel = std::make_unique<MidiDeviceSelectorComponent> (deviceManager);
    panel->setSize (500, 300);

    juce::DialogWindow::LaunchOptions options;
    setDialogOptions (options, "Midi Settings", this);
    options.content.setOwned (panel.release());
    midiSettingsDialog = options.launchAsync();

    // Every choice is in force already: closing only saves and re-attaches.
    juce::Component::SafePointer<ContentComp> safeThis (this);
    auto onClose = [safeThis] (int)
    {
        if (safeThis == nullptr)
            return;

        MidiSettingsFile::save (safeThis->deviceManager);
        safeThis->attachMidiInputCallbacks();
    };

    juce::ModalComponentManager::getInstance()->attachCallback (midiSettingsDialog, juce::ModalCallbackFunction::create (onClose));
}

void ContentComp::showAboutBox()
{
    if (aboutDialog != nullptr)
    {
        aboutDialog->toFront (true);
        return;
    }

    auto about = std::make_shared<AboutComponent>();
    about->setSize (320, 200);

    juce::DialogWindow::LaunchOptions options;
    setDialogOptions (options, "About Vesk Edit", this);
    options.content.setNonOwned (about.get());
    aboutDialog = options.launchAsync();

    // The dialog does not own its content: it goes when the dialog has closed
    // (or with the callback, should the program end with the box open).
    auto onClose = [about] (int) mutable
    { about.reset(); };
    juce::ModalComponentManager::getInstance()->attachCallback (aboutDialog, juce::ModalCallbackFunction::create (onClose));
}

void ContentComp::showHelpWindow()
{
    if (helpWindow == nullptr)
    {
        auto help = std::make_unique<HelpComponent>();
        help->setSize (460, 520);

        juce::DialogWindow::LaunchOptions options;
        setDialogOptions (options, "Vesk Edit Help", this);
        options.dialogBackgroundColour = juce::Colours::white;
        options.resizable = true;
        options.content.setOwned (help.release());
        helpWindow.reset (options.create());
    }

    helpWindow->setVisible (true);
    helpWindow->toFront (true);
}
