#pragma once

#include <functional>

/**
    Time for whatever talks to the unit at a pace (transfers, the virtual
    unit, Find Unit): the time now, and callbacks after a delay, all on the
    message thread. The program runs on MessageThreadClock; tests use a
    virtual clock that they move on themselves.
*/
class VeskClock
{
public:
    virtual ~VeskClock() = default;

    /** Milliseconds from a fixed start. */
    virtual double now() = 0;

    /** Runs callback once, on the message thread, when delayMs have passed.
        Returns an id for cancel. */
    virtual int callAfter (double delayMs, std::function<void()> callback) = 0;

    /** A cancelled callback never runs; an id that has run or is unknown is ignored. */
    virtual void cancel (int id) = 0;
};
