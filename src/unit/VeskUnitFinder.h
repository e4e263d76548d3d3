#pragma once

#include "VeskClock.h"
#include "midi/MessageThreadMidiInputCallback.h"
#include "midi/MidiDeviceLists.h"

#include <vector>

/**
    Looks for the unit on the MIDI ports: opens every input, then sends a
    system request on each output in turn and waits timeoutMs for a system
    dump of this unit (right header and checksum) on any input. Every
    output-input pair that answered is listed; ports that cannot be opened
    are named. Runs on the message thread; the ports are open only while it
    runs.
*/
class VeskUnitFinder
{
public:
    VeskUnitFinder (const MidiDeviceLists& portsToSearch, VeskClock& clockToUse);
    ~VeskUnitFinder();

    double timeoutMs = 500.0;

    /** Starts a search; false while one runs. */
    bool start();
    void cancel();
    bool isRunning() const noexcept { return running; }

    struct Pair
    {
        juce::MidiDeviceInfo output, input;
    };

    /** What a person can do next when no single pair answered, in the words
        of whoever shows the result: they name the program's menus. A line
        left empty is left out. */
    struct Advice
    {
        juce::String whenNoneAnswered, whenSeveralAnswered;
    };

    struct Result
    {
        std::vector<Pair> answered;
        juce::StringArray unusable; // "Out 2 (output): cannot be opened"
        int numOutputs = 0, numInputs = 0, outputsTried = 0;
        bool cancelled = false;

        /** The text for anything but one answering pair. */
        juce::String describe (const Advice& advice) const;
    };

    const Result& getResult() const noexcept { return result; }

    /** Name of the output being tried, for a progress line. */
    juce::String getCurrentOutputName() const;

    std::function<void()> onProgress;
    std::function<void()> onFinished;

private:
    struct Input;

    void tryNextOutput();
    void heard (const Input& input, const juce::MidiMessage& message);
    void finish();

    MidiDeviceLists ports;
    VeskClock& clock;
    bool running = false;
    int timerId = 0;
    juce::Array<juce::MidiDeviceInfo> outputs;
    int currentOutput = -1;
    std::vector<std::unique_ptr<Input>> inputs;
    Result result;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskUnitFinder)
};
