#pragma once

#include "UserSettings.h"
#include "editors/VeskComponent.h"
#include "midi/DeviceMidiOut.h"
#include "midi/MidiOutGate.h"
#include "midi/MidiOutLog.h"
#include "midi/MyMidiInputCallback.h"
#include "model/VeskModel.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_gui_extra/juce_gui_extra.h>

/**
    The main window's content: owns the MIDI devices, the document and the
    tabbed editor, and defines the program's commands and menus.
*/
class ContentComp : public juce::Component,
                    public juce::MenuBarModel,
                    public juce::ApplicationCommandTarget,
                    public juce::FileDragAndDropTarget
{
public:
    /** commandManager is the window's; the menus are built from it. */
    explicit ContentComp (juce::ApplicationCommandManager& commandManager);
    ~ContentComp() override;

    enum CommandIDs
    {
        newLibrary = 0x2000,
        openLibrary = 0x2001,
        closeLibrary = 0x2002,
        saveLibrary = 0x2003,
        saveLibraryAs = 0x2004,
        midiSettings = 0x2005,
        autoUpdate = 0x2006,
        showHelp = 0x2007,
        showAbout = 0x2008,

        resetUnitAtStart = 0x2200,
        clearRecentFiles = 0x2201,

        // Menu items of File > Open Recent, not commands.
        firstRecentFile = 0x2210
    };

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
        keeps everything as it was and next does not run. */
    void saveIfNeededThen (std::function<void()> next);

    /** A file from the command line, a later start or a drop: a .syx file is
        imported, anything else opened as a library. */
    void openFileFromOutside (const juce::File& file);

    /** Opens a library, asking first about a changed one. A file that cannot be
        loaded gets the message of File > Open and changes nothing. */
    void loadLibrary (const juce::File& file);

    /** Replaces the receivers: one per MIDI input that is enabled now. */
    void attachMidiInputCallbacks();
    void detachMidiInputCallbacks();

    /** The MIDI settings dialog; closing it saves the settings and re-attaches
        the receivers. */
    void showMidiSettingsDialog();

    void showAboutBox();
    void showHelpWindow();

    VeskModel& getModel() noexcept { return *model; }
    UserSettings& getSettings() noexcept { return settings; }
    VeskComponent& getEditor() noexcept { return *editor; }
    int getNumMidiInputCallbacks() const noexcept { return midiInputCallbacks.size(); }

private:
    void refreshVisiblePage();
    void openLibraryFile();
    void importSyxFromOutside (const juce::File& file);
    void rememberLibrary();
    void afterLoading (juce::Result result);
    std::function<void (juce::FileBasedDocument::SaveResult)> afterSaving();

    juce::ApplicationCommandManager& commandManager;
    UserSettings settings;
    std::unique_ptr<VeskModel> model;
    std::unique_ptr<VeskComponent> editor;
    juce::TooltipWindow tooltipWindow;
    juce::AudioDeviceManager deviceManager;
    DeviceMidiOut midiOut { deviceManager };
    std::unique_ptr<MidiOutLog> midiOutLog; // only when the environment asks for it (tests)
    std::unique_ptr<MidiOutGate> startGate; // what the model sends through
    juce::OwnedArray<MyMidiInputCallback> midiInputCallbacks;
    juce::StringArray midiInputIdentifiers; // the input each receiver was added for

    // Open dialogs go before the devices and the model they show.
    juce::Component::SafePointer<juce::DialogWindow> midiSettingsDialog, aboutDialog;
    std::unique_ptr<juce::DialogWindow> helpWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ContentComp)
};
