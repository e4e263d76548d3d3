#include "AppDialogs.h"
#include "AboutComponent.h"
#include "HelpComponent.h"
#include "MidiDeviceSelectorComponent.h"
#include "SessionTexts.h"

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

    void whenClosed (juce::Component* dialog, std::function<void (int)> callback)
    {
        juce::ModalComponentManager::getInstance()->attachCallback (dialog, juce::ModalCallbackFunction::create (std::move (callback)));
    }
}

AppDialogs::AppDialogs (juce::Component& ownerToCentreAround, VeskSession& sessionToUse, juce::String& lastMessageToKeep, const bool& showDialogsFlag)
    : owner (ownerToCentreAround),
      session (sessionToUse),
      lastMessage (lastMessageToKeep),
      showDialogs (showDialogsFlag)
{
    session.addListener (this);
}

AppDialogs::~AppDialogs()
{
    session.removeListener (this);

    // They hold the device manager, the session or the window.
    delete midiSettingsDialog.getComponent();
    delete aboutDialog.getComponent();
    delete progressDialog.getComponent();
    delete toolDialog.getComponent();
    closeNotice();
    helpWindow = nullptr;
    chooser = nullptr;
}

void AppDialogs::showMessage (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text)
{
    lastMessage = text;

    if (showDialogs)
        juce::AlertWindow::showMessageBoxAsync (icon, title, text, "ok", &owner);
}

void AppDialogs::showNotice (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text)
{
    closeNotice();
    lastMessage = text;

    if (! showDialogs)
        return;

    // Made as showMessageBoxAsync makes its own, but kept, so it can be closed.
    auto* alert = owner.getLookAndFeel().createAlertWindow (title, text, "ok", {}, {}, icon, 1, &owner);
    notice = alert;
    alert->enterModalState (true, nullptr, true);
}

void AppDialogs::closeNotice()
{
    if (notice != nullptr)
        notice->exitModalState (0);
}

void AppDialogs::showFailure (const juce::String& title, const SessionResult& result)
{
    if (result.failed())
        showMessage (session.isBusy() ? juce::MessageBoxIconType::InfoIcon : juce::MessageBoxIconType::WarningIcon,
                     title, SessionTexts::describe (result));
}

bool AppDialogs::refusedWhileBusy (const juce::String& what)
{
    if (! session.isBusy())
        return false;

    // The running one's window is modal; bring it back where it can be seen.
    if (progressDialog != nullptr)
        progressDialog->toFront (true);

    showMessage (juce::MessageBoxIconType::InfoIcon, what, SessionTexts::describe (session.refusalWhileBusy (what)));
    return true;
}

//==============================================================================
void AppDialogs::showMidiSettings()
{
    if (midiSettingsDialog != nullptr)
    {
        midiSettingsDialog->toFront (true);
        return;
    }

    auto panel = std::make_unique<MidiDeviceSelectorComponent> (session.getDeviceManager());
    panel->setSize (500, 300);
    panel->onOutputChosen = [this]
    { session.noteOutputChosen(); };

    juce::DialogWindow::LaunchOptions options;
    setDialogOptions (options, "Midi Settings", &owner);
    options.content.setOwned (panel.release());
    midiSettingsDialog = options.launchAsync();

    juce::Component::SafePointer<juce::Component> safeOwner (&owner);
    whenClosed (midiSettingsDialog, [this, safeOwner] (int)
                {
                    if (safeOwner != nullptr)
                        session.midiSettingsClosed(); });
}

void AppDialogs::showAbout()
{
    if (aboutDialog != nullptr)
    {
        aboutDialog->toFront (true);
        return;
    }

    auto about = std::make_shared<AboutComponent>();
    about->setSize (320, 200);

    juce::DialogWindow::LaunchOptions options;
    setDialogOptions (options, "About Vesk Edit", &owner);
    options.content.setNonOwned (about.get());
    aboutDialog = options.launchAsync();

    // The dialog does not own its content: it goes when the dialog has closed
    // (or with the callback, should the program end with the box open).
    whenClosed (aboutDialog, [about] (int) mutable
                { about.reset(); });
}

void AppDialogs::showHelp()
{
    if (helpWindow == nullptr)
    {
        auto help = std::make_unique<HelpComponent>();
        help->setSize (460, 520);

        juce::DialogWindow::LaunchOptions options;
        setDialogOptions (options, "Vesk Edit Help", &owner);
        options.dialogBackgroundColour = juce::Colours::white;
        options.resizable = true;
        options.content.setOwned (help.release());
        helpWindow.reset (options.create());
    }

    helpWindow->setVisible (true);
    helpWindow->toFront (true);
}

juce::DialogWindow* AppDialogs::showToolWindow (const juce::String& title, std::unique_ptr<juce::Component> content)
{
    delete toolDialog.getComponent();

    if (! showDialogs)
        return nullptr;

    juce::DialogWindow::LaunchOptions options;
    setDialogOptions (options, title, &owner);
    options.content.setOwned (content.release());
    toolDialog = options.launchAsync();
    return toolDialog;
}

void AppDialogs::close (juce::Component& content)
{
    if (auto* window = content.findParentComponentOfClass<juce::DialogWindow>())
        window->exitModalState (0);
}

void AppDialogs::chooseFile (const juce::String& title, const juce::File& start, const juce::String& patterns, bool forSaving,
                             std::function<void (const juce::File&)> chosen)
{
    chooser = std::make_unique<juce::FileChooser> (title, start, patterns);

    const int flags = forSaving ? juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                                      | juce::FileBrowserComponent::warnAboutOverwriting
                                : juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles;

    chooser->launchAsync (flags, [chosen] (const juce::FileChooser& fc)
                          {
                              if (fc.getResult() != juce::File())
                                  chosen (fc.getResult()); });
}

void AppDialogs::chooseFolder (const juce::String& title, const juce::File& start, std::function<void (const juce::File&)> chosen)
{
    chooser = std::make_unique<juce::FileChooser> (title, start);

    chooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectDirectories,
                          [chosen] (const juce::FileChooser& fc)
                          {
                              if (fc.getResult() != juce::File())
                                  chosen (fc.getResult()); });
}

//==============================================================================
AppDialogs::ProgressWindow AppDialogs::openProgressWindow (const juce::String& title, std::function<void()> cancel)
{
    if (! showDialogs)
        return {};

    auto panel = std::make_unique<TransferProgressComponent>();
    panel->setSize (430, 300);
    panel->onCancel = cancel;
    ProgressWindow window { nullptr, panel.get() };

    juce::DialogWindow::LaunchOptions options;
    setDialogOptions (options, title, &owner);
    options.content.setOwned (panel.release());
    window.dialog = options.launchAsync();

    // Closing the window while it runs is a cancel.
    juce::Component::SafePointer<juce::Component> safeOwner (&owner);
    whenClosed (window.dialog, [cancel, safeOwner] (int)
                {
                    if (safeOwner != nullptr)
                        cancel(); });

    return window;
}

void AppDialogs::openJobWindow (VeskJob& job)
{
    delete progressDialog.getComponent();

    const auto window = openProgressWindow (job.getTitle(), [this]
                                            { session.cancelJob(); });
    progressDialog = window.dialog;
    progressPanel = window.panel;
}

void AppDialogs::jobChanged()
{
    auto* job = session.getJob();

    if (job == nullptr)
        return;

    if (job != jobShown && job->isRunning())
    {
        jobShown = job;

        // The few records a library step (or its undo) sends take a moment and
        // cannot fail: they go out quietly, as an edit of a knob does.
        quiet = session.isSendingSomeRecords();

        if (! quiet)
            openJobWindow (*job);
    }

    if (quiet)
        return;

    if (job->isRunning())
    {
        if (progressPanel != nullptr)
            progressPanel->showProgress (job->getProgress(), job->getProgressText());

        return;
    }

    lastMessage = job->getSummary (SessionTexts::finderAdvice());

    if (progressPanel != nullptr && ! progressPanel->isFinished())
    {
        progressPanel->showProgress (job->getProgress(), {});
        progressPanel->showSummary (job->getHeadline(), lastMessage);
    }
}
