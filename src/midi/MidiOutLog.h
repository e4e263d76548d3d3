#pragma once

#include "model/MidiOut.h"

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <memory>

/**
    Passes every message on and keeps it in a file, one line of hex bytes
    per message ("F0 41 10 ..."), the file written whole on the message
    thread once the messages sent together have gone.

    For tests of the whole program: it is used only when the environment
    variable VESKEDIT_MIDI_LOG names a file, and then shows what the program
    sends whether or not a MIDI output is open.
*/
class MidiOutLog : public MidiOut,
                   private juce::AsyncUpdater
{
public:
    /** Starts the file afresh. */
    MidiOutLog (MidiOut& destination, const juce::File& logFile);
    ~MidiOutLog() override;

    void send (const juce::MidiMessage& message) override;

    static constexpr const char* environmentVariable = "VESKEDIT_MIDI_LOG";

    /** A log on the file the environment names, or null when it names none. */
    static std::unique_ptr<MidiOutLog> fromEnvironment (MidiOut& destination);

private:
    void handleAsyncUpdate() override;
    void writeOut();

    MidiOut& destination;
    const juce::File file;
    juce::CriticalSection lock;
    juce::MemoryOutputStream text;
    bool writable = true;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiOutLog)
};
