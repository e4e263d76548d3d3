#pragma once

#include "VeskClock.h"

#include <juce_events/juce_events.h>

#include <map>

/** The real clock: a message-thread timer that runs each callback when it
    falls due. Callbacks pending when it is deleted never run. */
class MessageThreadClock : public VeskClock,
                           private juce::Timer
{
public:
    MessageThreadClock() = default;
    ~MessageThreadClock() override;

    double now() override;
    int callAfter (double delayMs, std::function<void()> callback) override;
    void cancel (int id) override;

private:
    void timerCallback() override;
    void startTimerForNext();

    struct Pending
    {
        double due;
        std::function<void()> callback;
    };

    std::map<int, Pending> pending;
    int lastId = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MessageThreadClock)
};
