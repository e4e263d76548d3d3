#pragma once

#include "model/VeskModel.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <memory>

class VeskComponent;

/**
    Receives what the unit sends on one MIDI input, applies it to the model and
    refreshes the page that shows it.

    The device manager calls in on its MIDI thread; each message is copied and
    handed to the message thread, where it is applied in arrival order. The
    receiver may be detached and deleted while messages for it are still
    queued: those are then dropped.
*/
class MyMidiInputCallback : public juce::MidiInputCallback
{
public:
    MyMidiInputCallback (VeskModel& modelToUse, VeskComponent& editorToRefresh);
    ~MyMidiInputCallback() override;

    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;
    void handlePartialSysexMessage (juce::MidiInput*, const juce::uint8*, int, double) override {}

    /** Applies one message on the message thread. */
    void applyMessage (const juce::MidiMessage& message);

    VeskModel& model;
    VeskComponent& editor;

    /** Last bank select received on this input on the unit's channel. */
    int bankSelect = 0;

private:
    // Shared with every queued message; cleared (on the message thread) when the receiver goes.
    struct Liveness
    {
        MyMidiInputCallback* receiver;
    };

    std::shared_ptr<Liveness> liveness;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MyMidiInputCallback)
};
