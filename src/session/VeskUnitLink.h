#pragma once

#include "SessionResult.h"
#include "midi/DeviceMidiOut.h"
#include "midi/MidiDeviceManager.h"
#include "midi/MidiOutGate.h"
#include "midi/MidiOutHold.h"
#include "midi/MyMidiInputCallback.h"
#include "midi/SelectableMidiOut.h"
#include "unit/VeskUnitFinder.h"
#include "unit/VeskVirtualUnit.h"

#include <juce_audio_devices/juce_audio_devices.h>

/**
    The session's link to the unit: the MIDI devices and MidiSettings.xml,
    the way out (start gate, then the log or a tap, then the port or the
    virtual unit), the receivers of what comes back, and the choice between
    the ports and the virtual unit.

    Message thread only.
*/
class VeskUnitLink
{
public:
    /** openDevices opens the ports MidiSettings.xml names; wireTap sees every
        message on its way out (tests); startGateOpen lets the start's own
        messages through at once. With deferStart no port is opened and
        nothing sent leaves until start(): it waits, in order. */
    VeskUnitLink (VeskClock& clock, bool openDevices, MidiOut* wireTap, bool startGateOpen, bool deferStart = false);
    ~VeskUnitLink();

    /** Where everything sent to the unit goes first. */
    MidiOut& getOutput() noexcept { return startGate; }

    /** Also sends a watcher what leaves for the unit, but only while it can
        reach one (a port is chosen, or the virtual unit is in use): what went
        nowhere tells nothing of the unit. */
    void addSentWatcher (MidiOut* watcher);
    void removeSentWatcher (MidiOut* watcher);

    juce::AudioDeviceManager& getDeviceManager() noexcept { return deviceManager; }
    VeskVirtualUnit& getVirtualUnit() noexcept { return virtualUnit; }

    /** Why the MIDI ports of the settings could not be opened at start, or empty. */
    const juce::String& getStartError() const noexcept { return startError; }

    void openStartGate() noexcept { startGate.setOpen (true); }

    /** After a deferred start: opens the ports, attaches the receivers and
        lets out what waited, in order. Does nothing the second time. */
    void start();
    bool isStarted() const noexcept { return started; }

    /** From now on the receivers apply what arrives to model and tell these,
        in this order (the session: its parts, then its listeners); attaches them. */
    void connect (VeskModel& model, std::vector<MyMidiInputCallback::Listener*> listeners);

    /** The editor whose pages the receivers refresh (see MyMidiInputCallback::Editor), or none. */
    void setEditor (MyMidiInputCallback::Editor* editorToUse);

    /** Replaces the receivers: one per enabled MIDI input, or the virtual unit's. */
    void attachReceivers();
    void detachReceivers();
    int getNumReceivers() const noexcept { return receivers.size(); }

    void setVirtualUnitInUse (bool shouldBeInUse);
    bool isVirtualUnitInUse() const noexcept { return virtualUnitInUse; }

    /** What a job that talks to the unit lacks: an output, or an input for
        the answers it waits for; Refusal::none when nothing is missing. */
    SessionResult::Refusal whatIsMissing (bool needsAnswers) const;

    /** The pair Find Unit found, as if chosen by hand in the MIDI settings
        and saved at once; the ports take the virtual unit's place. */
    void useFoundPair (const VeskUnitFinder::Pair& pair);

    /** After the MIDI settings dialog: saves the settings, re-attaches. */
    void midiSettingsClosed();
    void noteOutputChosen() noexcept { outputChosenSinceStart = true; }

private:
    /** Between the start hold and the way out: tells the watchers. */
    struct SentWatch : public MidiOut
    {
        SentWatch (VeskUnitLink& linkToWatch, MidiOut& destinationToUse) : link (linkToWatch), destination (destinationToUse) {}
        void send (const juce::MidiMessage& message) override;

        VeskUnitLink& link;
        MidiOut& destination;
        std::vector<MidiOut*> watchers;
    };

    static std::unique_ptr<MidiOut> makeTap (MidiOut* wireTap, MidiOut& destination);

    MidiDeviceManager deviceManager;
    juce::String startError;
    DeviceMidiOut deviceOut { deviceManager };
    VeskVirtualUnit virtualUnit;
    SelectableMidiOut midiOut { deviceOut };
    std::unique_ptr<MidiOut> tap; // the log or the tests' tap, when there is one
    SentWatch sentWatch;
    MidiOutHold startHold; // between the gate and the tap, so the tap sees what leaves
    MidiOutGate startGate;

    VeskModel* model = nullptr;
    std::vector<MyMidiInputCallback::Listener*> receiverListeners;
    MyMidiInputCallback::Editor* editor = nullptr;
    juce::OwnedArray<MyMidiInputCallback> receivers;
    juce::StringArray receiverInputs; // the input each receiver was added for; empty for the virtual unit's
    bool virtualUnitInUse = false;
    bool outputChosenSinceStart = false;
    bool openDevicesAtStart;
    bool started;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskUnitLink)
};
