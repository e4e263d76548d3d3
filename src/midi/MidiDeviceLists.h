#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <functional>

/** Where the settings panel gets the MIDI ports it lists: the system's, or a
    fixed set where no port exists (the panel's own tests). */
struct MidiDeviceLists
{
    std::function<juce::Array<juce::MidiDeviceInfo>()> inputs;
    std::function<juce::Array<juce::MidiDeviceInfo>()> outputs;

    /** The ports the operating system lists now. */
    static MidiDeviceLists system();
};
