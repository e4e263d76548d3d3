#pragma once

#include "TransferProgressComponent.h"
#include "session/VeskSession.h"

#include <juce_gui_extra/juce_gui_extra.h>

/**
    The main window's dialogs: alerts, the MIDI settings, the about box, the
    help window, and the progress window of whatever job the session runs
    (opened when one starts, closed by the user once it has ended).
*/
class AppDialogs : private VeskSession::Listener
{
public:
    /** Alerts and job summaries are kept in lastMessage; with showDialogs
        off (no screen) nothing is shown. */
    AppDialogs (juce::Component& ownerToCentreAround, VeskSession& sessionToUse, juce::String& lastMessage, const bool& showDialogs);
    ~AppDialogs() override;

    /** An alert; its text is kept in lastMessage. */
    void showMessage (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text);

    /** An alert as showMessage gives, for something that will happen by
        itself: closeNotice takes it away once it has (or a newer one does). */
    void showNotice (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text);
    void closeNotice();

    /** A failed command's alert (nothing for one done): a note while a
        job runs, which will pass, else a warning. */
    void showFailure (const juce::String& title, const SessionResult& result);

    /** Refuses `what` with a message while the session runs a job. */
    bool refusedWhileBusy (const juce::String& what);

    /** Every choice is in force at once; closing saves and re-attaches. */
    void showMidiSettings();
    void showAbout();
    void showHelp();

    /** A tool's window (modal, as the other dialogs), or null with no screen;
        the content closes it by calling close. */
    juce::DialogWindow* showToolWindow (const juce::String& title, std::unique_ptr<juce::Component> content);
    static void close (juce::Component& content);

    /** A file chooser; chosen runs with the file picked, not when cancelled. */
    void chooseFile (const juce::String& title, const juce::File& start, const juce::String& patterns, bool forSaving,
                     std::function<void (const juce::File&)> chosen);

    /** A folder chooser, as chooseFile. */
    void chooseFolder (const juce::String& title, const juce::File& start, std::function<void (const juce::File&)> chosen);

    struct ProgressWindow
    {
        juce::Component::SafePointer<juce::DialogWindow> dialog;
        juce::Component::SafePointer<TransferProgressComponent> panel;
    };

    /** A progress window as a transfer's (modal); its Cancel, and closing it
        while it runs, call cancel. Nothing is opened without a screen. */
    ProgressWindow openProgressWindow (const juce::String& title, std::function<void()> cancel);

private:
    void jobChanged() override;
    void openJobWindow (VeskJob& job);

    juce::Component& owner;
    VeskSession& session;
    juce::String& lastMessage;
    const bool& showDialogs;
    const VeskJob* jobShown = nullptr;
    bool quiet = false; // jobShown has no window

    juce::Component::SafePointer<juce::DialogWindow> midiSettingsDialog, aboutDialog, progressDialog, toolDialog;
    juce::Component::SafePointer<juce::Component> notice;
    juce::Component::SafePointer<TransferProgressComponent> progressPanel;
    std::unique_ptr<juce::DialogWindow> helpWindow;
    std::unique_ptr<juce::FileChooser> chooser;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AppDialogs)
};
