#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <memory>

/**
    A MIDI input callback that does its work on the message thread.

    The device manager calls in on its MIDI thread; each message is copied and
    posted to the message thread, where applyMessage runs in arrival order. The
    callback may be detached and deleted (on the message thread) while messages
    for it are still queued: those are then dropped.
*/
class MessageThreadMidiInputCallback : public juce::MidiInputCallback
{
public:
    MessageThreadMidiInputCallback();
    ~MessageThreadMidiInputCallback() override;

    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;
    void handlePartialSysexMessage (juce::MidiInput*, const juce::uint8*, int, double) override {}

    /** One message, on the message thread. */
    virtual void applyMessage (const juce::MidiMessage& message) = 0;

private:
    // Shared with every queued message; cleared (on the message thread) when the callback goes.
    struct Liveness
    {
        MessageThreadMidiInputCallback* callback;
    };

    std::shared_ptr<Liveness> liveness;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MessageThreadMidiInputCallback)
};
