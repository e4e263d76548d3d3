#pragma once

#include "model/MidiOut.h"

/** Passes messages on while open and drops them while closed. */
class MidiOutGate : public MidiOut
{
public:
    explicit MidiOutGate (MidiOut& destinationToUse) : destination (destinationToUse) {}

    void send (const juce::MidiMessage& message) override
    {
        if (open)
            destination.send (message);
    }

    void setOpen (bool shouldBeOpen) noexcept { open = shouldBeOpen; }

private:
    MidiOut& destination;
    bool open = true;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiOutGate)
};
