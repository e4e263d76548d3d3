#include "MidiDeviceManager.h"

bool MidiDeviceManager::mayHaveEnabledInputs() const
{
    // Enabling an input rewrites the state with a MIDIINPUT for each enabled one.
    const auto state = createStateXml();
    return state != nullptr && state->getChildByName ("MIDIINPUT") != nullptr;
}
