#include "ContentComp.h"
#include "AboutComponent.h"
#include "HelpComponent.h"
#include "midi/MidiDeviceSelectorComponent.h"
#include "midi/MidiSettingsFile.h"

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

    // The model sends its defaults at once, on whatever output just opened.
    model = std::make_unique<VeskModel> (midiOut);

    editor = std::make_unique<VeskComponent> (*model);
    addAndMakeVisible (editor.get());

    attachMidiInputCallbacks();
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
        menu.addCommandItem (&commandManager, saveLibrary);
        menu.addCommandItem (&commandManager, saveLibraryAs);
        menu.addSeparator();
        menu.addCommandItem (&commandManager, juce::StandardApplicationCommandIDs::quit);
    }
    else if (topLevelMenuIndex == 1)
    {
        menu.addCommandItem (&commandManager, midiSettings);
    }
    else if (topLevelMenuIndex == 2)
    {
        menu.addCommandItem (&commandManager, showAbout);
    }

    return menu;
}

void ContentComp::menuItemSelected (int, int)
{
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
        default: break;
    }
}

bool ContentComp::perform (const InvocationInfo& info)
{
    switch (info.commandID)
    {
        case newLibrary:
            model->resetToDefaults();
            refreshVisiblePage();
            return true;

        case openLibrary:
            openLibraryFile();
            return true;

        case saveLibrary:
            // To its file, or, for a library that has none yet, as "Save As".
            model->saveAsync (true, true, nullptr);
            return true;

        case saveLibraryAs:
            model->saveAsInteractiveAsync (true, nullptr);
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
        if (safeThis != nullptr && result.wasOk())
            safeThis->refreshVisiblePage();
    };

    model->loadFromUserSpecifiedFileAsync (true, onLoaded);
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
