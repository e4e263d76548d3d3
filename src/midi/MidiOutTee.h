#pragma once

#include "model/MidiOut.h"

/** Passes every message to a second output first (a test's recorder), then on. */
class MidiOutTee : public MidiOut
{
public:
    MidiOutTee (MidiOut& firstToUse, MidiOut& destinationToUse) : first (firstToUse), destination (destinationToUse) {}

    void send (const juce::MidiMessage& message) override
    {
        first.send (message);
        destination.send (message);
    }

private:
    MidiOut& first;
    MidiOut& destination;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiOutTee)
};
