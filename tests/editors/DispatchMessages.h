#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{
    // JUCE's own dispatcher; runDispatchLoopUntil is not built without modal loops.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

/** Runs the messages queued for the message thread (async notifications,
    clicks, posted MIDI) until none is left. */
inline void dispatchPendingMessages()
{
    for (int idleRounds = 0; idleRounds < 3;)
    {
        if (juce::dispatchNextMessageOnSystemQueue (true))
            idleRounds = 0;
        else
            ++idleRounds;
    }
}
