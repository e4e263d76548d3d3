#pragma once

#include "ActivityWatch.h"

/**
    The program's tooltips, at no cost while nothing happens. JUCE's tooltip
    window looks where the mouse is about ten times a second for as long as
    it exists (and has JUCE ask the X server as often), so it exists only
    while the mouse is used in the window or another of the program's windows
    is open, and for sleepAfterMs after; a tip still shown then goes with it.
*/
class SleepingTooltips : private juce::Timer
{
public:
    /** now gives milliseconds (tests give their own time). */
    explicit SleepingTooltips (
        juce::Component& window, std::function<juce::uint32()> now = []
                                 { return juce::Time::getMillisecondCounter(); });
    ~SleepingTooltips() override;

    static constexpr juce::uint32 sleepAfterMs = 10000;

    bool isAwake() const noexcept { return tooltips != nullptr; }

    /** What the timer does: the tooltip window goes once nothing has
        happened for sleepAfterMs and no other window is open. */
    void sleepIfIdle();

private:
    void timerCallback() override { sleepIfIdle(); }
    void wake();

    std::function<juce::uint32()> now;
    ActivityWatch activity;
    std::unique_ptr<juce::TooltipWindow> tooltips;
    juce::uint32 lastActivity = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SleepingTooltips)
};
