#pragma once

#include <string>

/**
    ALSA's library, loaded the first time one of its functions is called (a
    list of MIDI devices, a port opened) rather than with the program: a start
    with no MIDI port to open never reads it. The program defines the ALSA
    functions JUCE calls, each of which loads the library once and calls its
    namesake there; VESK_ALSA_LIBRARY names another build to load.

    Without the library, each function fails as ALSA does when there is no
    sequencer (an error code, no name, nothing opened), so the device lists
    are empty and the program goes on without MIDI.
*/
namespace AlsaOnDemand
{
    /** Whether the library has been loaded (it is tried once, at the first call). */
    bool isLoaded();

    /** Why the library could not be loaded; empty before the first call and once it is. */
    std::string problem();
}
