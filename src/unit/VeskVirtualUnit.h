#pragma once

#include "VeskClock.h"
#include "VeskUnitMemory.h"
#include "model/MidiOut.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <map>
#include <set>

/**
    A unit inside the program, so that every feature can be tried and every
    transfer tested without the hardware. It keeps its own 7449-byte memory,
    starting from the defaults, and behaves as the unit does:
    - what it is sent goes into its memory as VeskUnitMemory says;
    - the system request and the pattern requests are answered with dumps
      framed as the unit sends them (command 12, the request's address);
    - turnKnob and changePattern send what the unit sends when a person turns
      a knob or changes pattern on it.

    It is a MidiOut for the model; what it sends goes to the MIDI input
    callback it is connected to, as a port delivers it. An answer reaches the
    input after its time on a 31,250 baud line (answerDelayMs < 0) or after
    answerDelayMs. Everything runs on the message thread.
*/
class VeskVirtualUnit : public MidiOut
{
public:
    explicit VeskVirtualUnit (VeskClock& clockToUse);
    ~VeskVirtualUnit() override;

    /** What the editor sends to the unit. */
    void send (const juce::MidiMessage& message) override;

    /** Where what it sends goes; nullptr: nowhere. */
    void connectTo (juce::MidiInputCallback* input) noexcept { connectedInput = input; }

    /** Its memory back to the defaults (a factory reset). */
    void resetMemory();

    /** A knob on the unit: stores the value into the temporary pattern and
        sends the controller on the unit's channel. */
    void turnKnob (int controllerNumber, int value);

    /** Chooses a user pattern on the unit: loads it into the temporary
        pattern and sends bank select 85 and the program change. */
    void changePattern (VeskBlock userPattern);

private:
    VeskUnitMemory state;

public:
    juce::uint8 (&memory)[VeskImage::imageSize] = state.memory;

    /** The user pattern last chosen, if any. */
    std::optional<VeskBlock>& selectedUserPattern = state.selectedUserPattern;

    /** Delay of every answer; below 0, its time on the wire. */
    double answerDelayMs = -1.0;

    /** What can go wrong with one answer, for tests. */
    struct Fault
    {
        bool drop = false; // never sent
        bool badChecksum = false;
        bool cutShort = false; // ends halfway, F7 and all
        bool foreignBefore = false; // another device's message goes out just before it
        double extraDelayMs = 0.0;
    };

    /** Applies fault to answer number n (1 for the first answer after this unit was made). */
    void setFault (int answerNumber, const Fault& fault) { faults[answerNumber] = fault; }

    int getNumAnswers() const noexcept { return numAnswers; }

private:
    void answer (const juce::MidiMessage& dump);
    void sendLater (const juce::MidiMessage& message, double delayMs);
    void deliver (const juce::MidiMessage& message);

    VeskClock& clock;
    juce::MidiInputCallback* connectedInput = nullptr;
    std::map<int, Fault> faults;
    std::set<int> pendingDeliveries;
    int numAnswers = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskVirtualUnit)
};
