#pragma once

#include "session/VeskSession.h"

/** A session without ports, its messages going to out. */
inline VeskSession::Options headlessSession (VeskClock& clock, MidiOut& out)
{
    VeskSession::Options options;
    options.clock = &clock;
    options.wireTap = &out;
    options.openDevices = false;
    return options;
}
