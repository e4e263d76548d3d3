#pragma once

#include "model/MidiOut.h"

/** Passes what the model sends on to the output chosen now: the MIDI port,
    or the virtual unit. */
class SelectableMidiOut : public MidiOut
{
public:
    explicit SelectableMidiOut (MidiOut& initialTarget) : target (&initialTarget) {}

    void send (const juce::MidiMessage& message) override { target->send (message); }

    void setTarget (MidiOut& newTarget) noexcept { target = &newTarget; }
    MidiOut& getTarget() const noexcept { return *target; }

private:
    MidiOut* target;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SelectableMidiOut)
};
