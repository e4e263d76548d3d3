#include "SleepingTooltips.h"

SleepingTooltips::SleepingTooltips (juce::Component& window, std::function<juce::uint32()> nowToUse)
    : now (std::move (nowToUse)),
      activity (window, [this]
                { wake(); })
{
}

SleepingTooltips::~SleepingTooltips()
{
    stopTimer();
}

void SleepingTooltips::wake()
{
    lastActivity = now();

    if (tooltips == nullptr)
        tooltips = std::make_unique<juce::TooltipWindow>();

    if (! isTimerRunning())
        startTimer ((int) sleepAfterMs);
}

void SleepingTooltips::sleepIfIdle()
{
    if (tooltips == nullptr)
    {
        stopTimer();
        return;
    }

    const auto idleFor = now() - lastActivity;

    // A dialog's tips are wanted while it is open, whatever the main window does.
    if (activity.othersOpen (tooltips.get()))
        startTimer ((int) sleepAfterMs);
    else if (idleFor < sleepAfterMs)
        startTimer ((int) (sleepAfterMs - idleFor));
    else
    {
        stopTimer();
        tooltips = nullptr;
    }
}
