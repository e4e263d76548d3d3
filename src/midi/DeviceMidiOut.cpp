#include "DeviceMidiOut.h"

void DeviceMidiOut::send (const juce::MidiMessage& message)
{
    if (auto* output = manager.getDefaultMidiOutput())
        output->sendMessageNow (message);
}
