#pragma once

#include "model/MidiOut.h"

#include <vector>

/** Keeps what is sent until release(), then passes it on in the order it
    came, and everything after at once: the program is on screen before its
    ports are open, and nothing sent meanwhile is lost or overtaken. */
class MidiOutHold : public MidiOut
{
public:
    explicit MidiOutHold (MidiOut& destinationToUse, bool startHeld)
        : destination (destinationToUse), held (startHeld) {}

    void send (const juce::MidiMessage& message) override
    {
        if (held)
            waiting.push_back (message);
        else
            destination.send (message);
    }

    void release()
    {
        if (! held)
            return;

        // A message sent on while these go out (a receiver answering) queues behind them.
        for (size_t i = 0; i < waiting.size(); ++i)
        {
            const auto message = waiting[i];
            destination.send (message);
        }

        held = false;
        waiting.clear();
        waiting.shrink_to_fit();
    }

    bool isHeld() const noexcept { return held; }

private:
    MidiOut& destination;
    bool held;
    std::vector<juce::MidiMessage> waiting;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiOutHold)
};
