#include "ContentComp.h"
#include "AboutComponent.h"
#include "HelpComponent.h"
#include "MidiDeviceSelectorComponent.h"
#include "midi/MidiSettingsFile.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"
#include "model/WholeFileWriter.h"

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

    // An import names at most this many messages it ignored; the summary counts them all.
    constexpr size_t maxImportDetails = 12;

    const char* const noOutputText = "No MIDI output is chosen, so nothing can reach the unit.\n\n"
                                     "Choose the unit's ports in Setup > Midi Settings, let Unit > Find Unit look for it, "
                                     "or try the program with Unit > Virtual Unit.";
    const char* const noInputText = "No MIDI input is ticked, so no answer of the unit could arrive.\n\n"
                                    "Tick the input the unit sends on in Setup > Midi Settings, let Unit > Find Unit look for it, "
                                    "or try the program with Unit > Virtual Unit.";
}

ContentComp::ContentComp (juce::ApplicationCommandManager& commandManagerToUse)
    : commandManager (commandManagerToUse)
{
    const auto error = MidiSettingsFile::initialiseDeviceManager (deviceManager);

    if (error.isNotEmpty())
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, "Midi Settings",
                                                MidiSettingsFile::describeOpenError (error), "ok");

    // The model sends its defaults at once, on whatever output just opened,
    // unless the user keeps the unit's own memory: then the whole start sends
    // nothing, the pattern page's first word to the unit included.
    midiOutLog = MidiOutLog::fromEnvironment (midiOut);
    startGate = std::make_unique<MidiOutGate> (midiOutLog != nullptr ? static_cast<MidiOut&> (*midiOutLog) : midiOut);
    startGate->setOpen (settings.getResetUnitAtStart());
    model = std::make_unique<VeskModel> (*startGate);

    transfer = std::make_unique<VeskTransfer> (*model, clock);
    transfer->onProgress = [this]
    { transferProgressed(); };
    transfer->onFinished = [this]
    { transferFinished(); };

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
    delete progressDialog.getComponent();
    helpWindow = nullptr;
    syxChooser = nullptr;
    finder = nullptr;

    detachMidiInputCallbacks();
    editor = nullptr;
    transfer = nullptr; // stops its timer; nothing more is sent
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
    return { "File", "Setup", "Unit", "Help" };
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
        menu.addCommandItem (&commandManager, importSyx);
        menu.addCommandItem (&commandManager, exportSyx);
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
        menu.addCommandItem (&commandManager, getAllFromUnit);
        menu.addCommandItem (&commandManager, sendAllToUnit);
        menu.addCommandItem (&commandManager, verifyUnit);
        menu.addSeparator();
        menu.addCommandItem (&commandManager, findUnit);
        menu.addCommandItem (&commandManager, useVirtualUnit);
    }
    else if (topLevelMenuIndex == 3)
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

    for (juce::CommandID id = getAllFromUnit; id <= exportSyx; ++id)
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
        case getAllFromUnit: set ("Get All From Unit...", "Get the system block and every pattern from the unit into the library", "Unit", 0); break;
        case sendAllToUnit: set ("Send All To Unit...", "Send the system block and every pattern of the library to the unit", "Unit", 0); break;
        case verifyUnit: set ("Verify Unit Against Library...", "Compare the unit's memory with the library, field by field", "Unit", 0); break;
        case findUnit: set ("Find Unit...", "Look for the unit on every MIDI port and choose the ports it answers on", "Unit", 0); break;
        case useVirtualUnit:
            set ("Virtual Unit", "Talk to a unit inside the program instead of the MIDI ports", "Unit", 0);
            result.setTicked (virtualUnitInUse);
            break;
        case importSyx: set ("Import .syx...", "Apply the dumps of a .syx file to the library", "File", 0); break;
        case exportSyx: set ("Export .syx...", "Write the library as a .syx file that restores it into a unit", "File", 0); break;
        default: break;
    }
}

bool ContentComp::perform (const InvocationInfo& info)
{
    switch (info.commandID)
    {
        case newLibrary:
            if (! refusedWhileBusy ("New"))
                saveIfNeededThen ([this]
                                  {
                                      model->resetToDefaults();
                                      refreshVisiblePage(); });

            return true;

        case openLibrary:
            if (! refusedWhileBusy ("Open"))
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
            if (! refusedWhileBusy ("Midi Settings"))
                showMidiSettingsDialog();

            return true;

        case getAllFromUnit: startTransfer (VeskTransfer::Kind::getAll); return true;
        case sendAllToUnit: startTransfer (VeskTransfer::Kind::sendAll); return true;
        case verifyUnit: startTransfer (VeskTransfer::Kind::verify); return true;
        case findUnit: findUnitOnPorts(); return true;

        case useVirtualUnit:
            if (! refusedWhileBusy ("Virtual Unit"))
                setVirtualUnitInUse (! virtualUnitInUse);

            return true;

        case importSyx:
            if (! refusedWhileBusy ("Import .syx"))
                chooseSyxFile (true);

            return true;

        case exportSyx:
            chooseSyxFile (false);
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
        importSyxFile (file);
    else
        loadLibrary (file);
}

void ContentComp::loadLibrary (const juce::File& file)
{
    if (refusedWhileBusy ("Open"))
        return;

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

    auto addReceiver = [this] (const juce::String& identifier)
    {
        // The pages show what arrived; a transfer waits for its dumps.
        auto* receiver = midiInputCallbacks.add (std::make_unique<MyMidiInputCallback> (*model, *editor));
        receiver->addListener (transfer.get());
        midiInputIdentifiers.add (identifier);
        return receiver;
    };

    if (virtualUnitInUse)
    {
        virtualUnit.connectTo (addReceiver ({}));
        return;
    }

    for (const auto& input : juce::MidiInput::getAvailableDevices())
        if (deviceManager.isMidiInputDeviceEnabled (input.identifier))
            deviceManager.addMidiInputDeviceCallback (input.identifier, addReceiver (input.identifier));
}

void ContentComp::detachMidiInputCallbacks()
{
    virtualUnit.connectTo (nullptr);

    for (int i = 0; i < midiInputCallbacks.size(); ++i)
        if (midiInputIdentifiers[i].isNotEmpty())
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
    panel->onOutputChosen = [this]
    { outputChosenSinceStart = true; };

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

        MidiSettingsFile::save (safeThis->deviceManager, safeThis->outputChosenSinceStart);
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

//==============================================================================
void ContentComp::showMessage (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text)
{
    lastMessage = text;

    if (showDialogs)
        juce::AlertWindow::showMessageBoxAsync (icon, title, text, "ok", this);
}

bool ContentComp::isBusy() const noexcept
{
    return transfer->isRunning() || (finder != nullptr && finder->isRunning());
}

bool ContentComp::refusedWhileBusy (const juce::String& what)
{
    if (! isBusy())
        return false;

    // The running one's window is modal; bring it back where it can be seen.
    if (progressDialog != nullptr)
        progressDialog->toFront (true);

    showMessage (juce::MessageBoxIconType::InfoIcon, what,
                 "The unit is busy with \"" + (transfer->isRunning() ? VeskTransfer::title (transfer->getReport().kind) : juce::String ("Find Unit"))
                     + "\".\n\n" + what + " waits until it has ended: wait, or press Cancel in its window.");
    return true;
}

//==============================================================================
void ContentComp::chooseSyxFile (bool forImport)
{
    const auto title = forImport ? "Import .syx" : "Export .syx";
    const auto start = model->getFile() != juce::File() ? model->getFile().withFileExtension ("syx")
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
    if (refusedWhileBusy ("Import .syx"))
        return;

    VeskSyxFile::Contents contents;
    const auto read = VeskSyxFile::read (file, (size_t) VeskProtocol::patternBulkBodySize, contents);

    if (read.failed())
    {
        showMessage (juce::MessageBoxIconType::WarningIcon, "Import .syx",
                     file.getFileName() + " " + read.getErrorMessage() + ".\n\nThe library was left as it was.");
        return;
    }

    const auto import = VeskSyxFile::applyDumps (contents, model->image);
    const auto report = VeskSyxFile::describeImport (contents, import, maxImportDetails);

    juce::StringArray text (file.getFileName() + ": " + report.summary + ".");

    if (! report.details.empty())
    {
        text.add ({});

        for (auto& detail : report.details)
            text.add (detail);
    }

    text.add ({});

    if (import.applied == 0)
    {
        text.add ("It holds no dump of this unit: the library was left as it was.");
        showMessage (juce::MessageBoxIconType::WarningIcon, "Import .syx", text.joinIntoString ("\n"));
        return;
    }

    model->setChangedFlag (true);
    refreshVisiblePage();
    text.add ("The library is marked changed: save it to keep them. Nothing was sent to the unit.");
    showMessage (juce::MessageBoxIconType::InfoIcon, "Import .syx", text.joinIntoString ("\n"));
}

void ContentComp::exportSyxFile (const juce::File& file)
{
    // A library named *.syx (or a link to it) is never replaced by its own export.
    const auto result = WholeFileWriter::isSameFile (file, model->getFile())
                            ? juce::Result::fail ("it is the library's own file")
                            : VeskSyxFile::writeImage (file, model->image);

    if (result.failed())
        showMessage (juce::MessageBoxIconType::WarningIcon, "Export .syx",
                     "Could not export \"" + file.getFileName() + "\": " + result.getErrorMessage()
                         + ". Nothing on disk was changed, and the library is still open here.");
}

//==============================================================================
void ContentComp::setVirtualUnitInUse (bool shouldBeInUse)
{
    virtualUnitInUse = shouldBeInUse;
    midiOut.setTarget (shouldBeInUse ? static_cast<MidiOut&> (virtualUnit) : static_cast<MidiOut&> (deviceOut));
    attachMidiInputCallbacks();
    commandManager.commandStatusChanged();
}

void ContentComp::showProgressWindow (const juce::String& title, std::function<void()> cancel)
{
    if (! showDialogs)
        return;

    auto panel = std::make_unique<TransferProgressComponent>();
    panel->setSize (430, 300);
    panel->onCancel = cancel;
    progressPanel = panel.get();

    juce::DialogWindow::LaunchOptions options;
    setDialogOptions (options, title, this);
    options.content.setOwned (panel.release());
    progressDialog = options.launchAsync();

    // Closing the window while it runs is a cancel.
    auto onClose = [cancel] (int)
    { cancel(); };
    juce::ModalComponentManager::getInstance()->attachCallback (progressDialog, juce::ModalCallbackFunction::create (onClose));
}

void ContentComp::startTransfer (VeskTransfer::Kind kind)
{
    const auto title = VeskTransfer::title (kind);

    if (refusedWhileBusy (title))
        return;

    if (! virtualUnitInUse)
    {
        if (deviceManager.getDefaultMidiOutput() == nullptr)
        {
            showMessage (juce::MessageBoxIconType::WarningIcon, title, noOutputText);
            return;
        }

        if (kind != VeskTransfer::Kind::sendAll && midiInputCallbacks.isEmpty())
        {
            showMessage (juce::MessageBoxIconType::WarningIcon, title, noInputText);
            return;
        }
    }

    juce::Component::SafePointer<ContentComp> safeThis (this);
    showProgressWindow (title, [safeThis]
                        {
                            if (safeThis != nullptr)
                                safeThis->transfer->cancel(); });
    transfer->start (kind);
}

void ContentComp::transferProgressed()
{
    if (progressPanel == nullptr || ! transfer->isRunning())
        return;

    const auto& report = transfer->getReport();
    const auto verb = report.kind == VeskTransfer::Kind::sendAll ? "Sending " : "Asking for ";
    progressPanel->showProgress (report.numDone() / (double) report.blocks.size(), verb + report.progressText());
}

void ContentComp::transferFinished()
{
    const auto& report = transfer->getReport();

    // What arrived is shown at once; the hidden page reads it when its tab is chosen.
    if (report.kind == VeskTransfer::Kind::getAll)
        refreshVisiblePage();

    lastMessage = report.summary();

    if (progressPanel != nullptr)
    {
        progressPanel->showProgress (report.numDone() / (double) report.blocks.size(), {});
        progressPanel->showSummary (report.cancelled ? "Cancelled" : "Done", lastMessage);
    }
}

//==============================================================================
void ContentComp::findUnitOnPorts()
{
    if (refusedWhileBusy ("Find Unit"))
        return;

    finder = std::make_unique<VeskUnitFinder> (MidiDeviceLists::system(), clock);
    juce::Component::SafePointer<ContentComp> safeThis (this);

    finder->onProgress = [safeThis]
    {
        if (safeThis == nullptr || safeThis->progressPanel == nullptr)
            return;

        const auto& result = safeThis->finder->getResult();
        safeThis->progressPanel->showProgress (result.outputsTried / (double) juce::jmax (1, result.numOutputs),
                                               "Asking on " + safeThis->finder->getCurrentOutputName());
    };

    finder->onFinished = [safeThis]
    {
        if (safeThis != nullptr)
            safeThis->finderFinished();
    };

    showProgressWindow ("Find Unit", [safeThis]
                        {
                            if (safeThis != nullptr && safeThis->finder != nullptr)
                                safeThis->finder->cancel(); });
    finder->start();
}

void ContentComp::finderFinished()
{
    const auto& result = finder->getResult();
    juce::String headline = "Not found";

    if (result.answered.size() == 1 && ! result.cancelled)
    {
        // As if picked by hand in the MIDI settings, and saved at once.
        const auto& pair = result.answered.front();
        deviceManager.setDefaultMidiOutputDevice (pair.output.identifier);
        deviceManager.setMidiInputDeviceEnabled (pair.input.identifier, true);
        outputChosenSinceStart = true;
        MidiSettingsFile::save (deviceManager, true);

        if (virtualUnitInUse)
            setVirtualUnitInUse (false);
        else
            attachMidiInputCallbacks();

        headline = "Found";
        lastMessage = "The unit answered on output " + pair.output.name + " and input " + pair.input.name
                      + ".\n\nBoth are chosen and saved to MidiSettings.xml.";

        if (result.unusable.size() > 0)
            lastMessage << "\n\nNot searched:\n  " << result.unusable.joinIntoString ("\n  ");
    }
    else
    {
        headline = result.cancelled ? "Cancelled" : (result.answered.empty() ? "Not found" : "More than one answered");
        lastMessage = result.describe();
    }

    if (progressPanel != nullptr)
    {
        progressPanel->showProgress (1.0, {});
        progressPanel->showSummary (headline, lastMessage);
    }
}
