#include "MessageThreadClock.h"

#include <cmath>

MessageThreadClock::~MessageThreadClock()
{
    stopTimer();
}

double MessageThreadClock::now()
{
    return juce::Time::getMillisecondCounterHiRes();
}

int MessageThreadClock::callAfter (double delayMs, std::function<void()> callback)
{
    pending[++lastId] = { now() + juce::jmax (0.0, delayMs), std::move (callback) };
    startTimerForNext();
    return lastId;
}

void MessageThreadClock::cancel (int id)
{
    pending.erase (id);
    startTimerForNext();
}

void MessageThreadClock::timerCallback()
{
    // One at a time, earliest first: a callback may add or cancel others.
    for (;;)
    {
        auto next = pending.end();

        for (auto it = pending.begin(); it != pending.end(); ++it)
            if (next == pending.end() || it->second.due < next->second.due)
                next = it;

        if (next == pending.end() || next->second.due > now())
            break;

        auto callback = std::move (next->second.callback);
        pending.erase (next);
        callback();
    }

    startTimerForNext();
}

void MessageThreadClock::startTimerForNext()
{
    if (pending.empty())
    {
        stopTimer();
        return;
    }

    double due = pending.begin()->second.due;

    for (auto& p : pending)
        due = juce::jmin (due, p.second.due);

    // The timer counts whole milliseconds; rounding up never wakes too early.
    startTimer (juce::jmax (1, (int) std::ceil (due - now())));
}
