#pragma once

#include "model/VeskModel.h"

#include <juce_audio_devices/juce_audio_devices.h>

class VeskComponent;

/**
    Receives what the unit sends on one MIDI input and applies it to the model
    on the message thread, then refreshes the page that shows it.

    Placeholder until the pages exist: it is created, attached and detached per
    enabled input, and keeps its input's bank select.
*/
class MyMidiInputCallback : public juce::MidiInputCallback
{
public:
    MyMidiInputCallback (VeskModel& modelToUse, VeskComponent& editorToRefresh);
    ~MyMidiInputCallback() override;

    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;
    void handlePartialSysexMessage (juce::MidiInput*, const juce::uint8*, int, double) override {}

    VeskModel& model;
    VeskComponent& editor;

    /** Last bank select received on this input on the unit's channel. */
    int bankSelect = 0;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MyMidiInputCallback)
};
