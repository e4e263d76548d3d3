#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

/**
    "MidiSettings.xml" in the working directory: the device manager's state
    document, read at start and written when the MIDI settings dialog closes.
*/
struct MidiSettingsFile
{
    /** Built from the working directory each time, so a program started
        elsewhere keeps its own settings. */
    static juce::File getFile();

    /** Starts the device manager for MIDI only (no audio channels) from the
        saved settings, or from its defaults when the file is missing or not a
        settings document. Returns the device manager's error text, empty when
        everything opened. */
    static juce::String initialiseDeviceManager (juce::AudioDeviceManager& deviceManager);

    /** Writes the device manager's state document, keeping the inputs of the
        file that are not plugged in now, and its output too unless the user
        has chosen an output since the start (then the choice holds, "no
        output" included). Writes nothing and returns false while there is no
        state (nothing was ever chosen or read). */
    static bool save (juce::AudioDeviceManager& deviceManager, bool outputChosenSinceStart);

    /** The text of the "Midi Settings" alert for an error of initialiseDeviceManager. */
    static juce::String describeOpenError (const juce::String& error);
};
