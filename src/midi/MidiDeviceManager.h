#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

/**
    The program's device manager: MIDI only. It knows no audio device types,
    so starting it opens no sound card (JUCE's would scan every ALSA card,
    twice, and open the default audio device with no channels).
*/
class MidiDeviceManager : public juce::AudioDeviceManager
{
public:
    /** Whether any MIDI input can be enabled: the manager's state names every
        input enabled since it started, and those the settings named. With
        none, the inputs need not be listed (ALSA not asked). */
    bool mayHaveEnabledInputs() const;

protected:
    void createAudioDeviceTypes (juce::OwnedArray<juce::AudioIODeviceType>&) override {}
};
