#include "MidiDeviceLists.h"

MidiDeviceLists MidiDeviceLists::system()
{
    return { []
             { return juce::MidiInput::getAvailableDevices(); },
             []
             { return juce::MidiOutput::getAvailableDevices(); } };
}
