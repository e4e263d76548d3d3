#pragma once

#include "editors/VeskComponent.h"
#include "midi/DeviceMidiOut.h"
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
                    public juce::ApplicationCommandTarget
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
        showAbout = 0x2008
    };

    void resized() override;

    juce::StringArray getMenuBarNames() override;
    juce::PopupMenu getMenuForIndex (int topLevelMenuIndex, const juce::String& menuName) override;
    void menuItemSelected (int menuItemID, int topLevelMenuIndex) override;

    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands (juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    bool perform (const InvocationInfo& info) override;

    /** Replaces the receivers: one per MIDI input that is enabled now. */
    void attachMidiInputCallbacks();
    void detachMidiInputCallbacks();

    /** The MIDI settings dialog; closing it saves the settings and re-attaches
        the receivers. */
    void showMidiSettingsDialog();

    void showAboutBox();
    void showHelpWindow();

    VeskModel& getModel() noexcept { return *model; }
    VeskComponent& getEditor() noexcept { return *editor; }
    int getNumMidiInputCallbacks() const noexcept { return midiInputCallbacks.size(); }

private:
    void refreshVisiblePage();
    void openLibraryFile();

    juce::ApplicationCommandManager& commandManager;
    std::unique_ptr<VeskModel> model;
    std::unique_ptr<VeskComponent> editor;
    juce::TooltipWindow tooltipWindow;
    juce::AudioDeviceManager deviceManager;
    DeviceMidiOut midiOut { deviceManager };
    juce::OwnedArray<MyMidiInputCallback> midiInputCallbacks;
    juce::StringArray midiInputIdentifiers; // the input each receiver was added for

    // Open dialogs go before the devices and the model they show.
    juce::Component::SafePointer<juce::DialogWindow> midiSettingsDialog, aboutDialog;
    std::unique_ptr<juce::DialogWindow> helpWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ContentComp)
};
