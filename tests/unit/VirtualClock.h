#pragma once

#include "../editors/DispatchMessages.h"
#include "unit/VeskClock.h"

#include <map>

/** Time that passes only when a test says so. Callbacks run in due order
    (ties in the order they were made); what they post to the message thread
    (answers reaching a receiver) is dispatched before time moves on. */
struct VirtualClock : VeskClock
{
    double now() override { return time; }

    int callAfter (double delayMs, std::function<void()> callback) override
    {
        pending[++lastId] = { time + juce::jmax (0.0, delayMs), std::move (callback) };
        return lastId;
    }

    void cancel (int id) override { pending.erase (id); }

    /** Moves time on by ms, running everything that falls due on the way. */
    void runFor (double ms)
    {
        const double end = time + ms;

        for (;;)
        {
            dispatchPendingMessages();
            auto next = pending.end();

            for (auto it = pending.begin(); it != pending.end(); ++it)
                if (it->second.due <= end && (next == pending.end() || it->second.due < next->second.due))
                    next = it;

            if (next == pending.end())
                break;

            time = next->second.due;
            auto callback = std::move (next->second.callback);
            pending.erase (next);
            callback();
        }

        time = end;
    }

    /** Runs until nothing is pending (or a limit, against a test that never ends). */
    void runUntilIdle (double limitMs = 600000.0)
    {
        const double end = time + limitMs;

        while (! pending.empty() && time < end)
        {
            double due = end;

            for (auto& p : pending)
                due = juce::jmin (due, p.second.due);

            runFor (due - time);
        }

        dispatchPendingMessages();
    }

    struct Pending
    {
        double due;
        std::function<void()> callback;
    };

    double time = 0.0;
    std::map<int, Pending> pending;
    int lastId = 0;
};
