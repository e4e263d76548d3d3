#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** Where the model sends everything meant for the unit. */
struct MidiOut
{
    virtual ~MidiOut() = default;
    virtual void send (const juce::MidiMessage&) = 0;
};
