#pragma once

#include "model/MidiOut.h"

#include <juce_audio_devices/juce_audio_devices.h>

/** Sends at once on the device manager's default MIDI output, and drops the
    message when no output is open. */
class DeviceMidiOut : public MidiOut
{
public:
    explicit DeviceMidiOut (juce::AudioDeviceManager& managerToUse) : manager (managerToUse) {}

    void send (const juce::MidiMessage& message) override;

private:
    juce::AudioDeviceManager& manager;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceMidiOut)
};
