#pragma once

#include "TransferProgressComponent.h"
#include "UserSettings.h"
#include "ViewOptions.h"
#include "editors/VeskComponent.h"
#include "midi/DeviceMidiOut.h"
#include "midi/MidiOutGate.h"
#include "midi/MidiOutLog.h"
#include "midi/MyMidiInputCallback.h"
#include "midi/SelectableMidiOut.h"
#include "model/VeskModel.h"
#include "unit/MessageThreadClock.h"
#include "unit/VeskTransfer.h"
#include "unit/VeskUnitFinder.h"
#include "unit/VeskVirtualUnit.h"

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

        getAllFromUnit = 0x2100,
        sendAllToUnit = 0x2101,
        verifyUnit = 0x2102,
        findUnit = 0x2103,
        useVirtualUnit = 0x2104,
        importSyx = 0x2105,
        exportSyx = 0x2106,

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

    /** Replaces the receivers: one per MIDI input that is enabled now, or the
        one the virtual unit answers into while it is in use. */
    void attachMidiInputCallbacks();
    void detachMidiInputCallbacks();

    /** The MIDI settings dialog; closing it saves the settings and re-attaches
        the receivers. */
    void showMidiSettingsDialog();

    void showAboutBox();
    void showHelpWindow();

    /** What File > Import .syx does with the chosen file: applies every valid
        dump to the library, reports what was applied and ignored, marks the
        library changed and refreshes the shown page. A file that cannot be
        read, or holds no dump of this unit, changes nothing. */
    void importSyxFile (const juce::File& file);

    /** Writes the library as the messages that restore it into a unit; a
        failure is reported and leaves any existing file as it was. */
    void exportSyxFile (const juce::File& file);

    /** Starts Get All, Send All or Verify with its progress window; refused
        with a message when a transfer runs or no port can reach the unit. */
    void startTransfer (VeskTransfer::Kind kind);

    /** Unit > Virtual Unit: the model's output and the receiver go to the
        virtual unit, or back to the ports of the MIDI settings. */
    void setVirtualUnitInUse (bool shouldBeInUse);
    bool isVirtualUnitInUse() const noexcept { return virtualUnitInUse; }

    /** Looks for the unit on every port and chooses the one pair that answers. */
    void findUnitOnPorts();

    /** A transfer or a search is under way. */
    bool isBusy() const noexcept;

    VeskModel& getModel() noexcept { return *model; }
    UserSettings& getSettings() noexcept { return settings; }
    ViewOptions& getViewOptions() noexcept { return viewOptions; }
    VeskComponent& getEditor() noexcept { return *editor; }
    VeskTransfer& getTransfer() noexcept { return *transfer; }
    VeskVirtualUnit& getVirtualUnit() noexcept { return virtualUnit; }
    int getNumMidiInputCallbacks() const noexcept { return midiInputCallbacks.size(); }

    /** The text of the last alert or transfer summary shown. */
    juce::String lastMessage;

    /** Off where there is no screen (component tests): alerts and the
        progress window are then only recorded in lastMessage. */
    bool showDialogs = true;

private:
    void refreshVisiblePage();
    void openLibraryFile();
    void rememberLibrary();
    void afterLoading (juce::Result result);
    std::function<void (juce::FileBasedDocument::SaveResult)> afterSaving();
    void chooseSyxFile (bool forImport);
    void showMessage (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text);
    bool refusedWhileBusy (const juce::String& what);
    void showProgressWindow (const juce::String& title, std::function<void()> cancel);
    void transferProgressed();
    void transferFinished();
    void finderFinished();

    juce::ApplicationCommandManager& commandManager;
    UserSettings settings;
    ViewOptions viewOptions { settings, commandManager };
    std::unique_ptr<VeskModel> model;
    std::unique_ptr<VeskComponent> editor;
    juce::TooltipWindow tooltipWindow;
    juce::AudioDeviceManager deviceManager;
    DeviceMidiOut deviceOut { deviceManager };
    MessageThreadClock clock;
    VeskVirtualUnit virtualUnit { clock }; // its memory lives as long as the program
    SelectableMidiOut midiOut { deviceOut }; // the port, or the virtual unit
    std::unique_ptr<MidiOutLog> midiOutLog; // only when the environment asks for it (tests)
    std::unique_ptr<MidiOutGate> startGate; // what the model sends through
    bool virtualUnitInUse = false;
    bool outputChosenSinceStart = false;
    std::unique_ptr<VeskTransfer> transfer;
    std::unique_ptr<VeskUnitFinder> finder;
    juce::OwnedArray<MyMidiInputCallback> midiInputCallbacks;
    juce::StringArray midiInputIdentifiers; // the input each receiver was added for; empty for the virtual unit's

    // Open dialogs go before the devices and the model they show.
    juce::Component::SafePointer<juce::DialogWindow> midiSettingsDialog, aboutDialog, progressDialog;
    juce::Component::SafePointer<TransferProgressComponent> progressPanel;
    std::unique_ptr<juce::DialogWindow> helpWindow;
    std::unique_ptr<juce::FileChooser> syxChooser;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ContentComp)
};
