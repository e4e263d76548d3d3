#pragma once

#include "RecordingMidiOut.h"
#include "model/VeskModel.h"
#include "model/VeskProtocol.h"

#include <gtest/gtest.h>
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

inline std::vector<juce::uint8> bytesOf (const juce::MidiMessage& m)
{
    return { m.getRawData(), m.getRawData() + m.getRawDataSize() };
}

inline std::string hexOf (const juce::MidiMessage& m)
{
    return RecordingMidiOut::hex (bytesOf (m));
}

/** A model on a recorder, with the start-up defaults already sent and forgotten. */
struct ModelFixture : ::testing::Test
{
    ModelFixture() { out.clear(); }

    /** The data set the unit gets for one byte of area a0 at offset. */
    static std::string dataSet (int a0, int offset, int value) { return hexOf (VeskProtocol::dataSet (a0, 0, offset, value)); }

    RecordingMidiOut out;
    VeskModel model { out };
};
