// Tooltips that cost nothing while nothing happens: JUCE's tooltip window,
// which looks at the mouse all the time, lives only after the mouse was used
// in the window and while another window of the program is open.

#include "app/SleepingTooltips.h"

#include <gtest/gtest.h>

TEST (SleepingTooltips, TheTooltipWindowLivesOnlyWhileSomethingHappens)
{
    juce::uint32 clock = 5000;
    juce::Component window, child;
    window.setBounds (0, 0, 200, 100);
    child.setBounds (10, 10, 80, 80);
    window.addAndMakeVisible (child);
    window.addToDesktop (0);
    window.setVisible (true);
    SleepingTooltips tips (window, [&]
                           { return clock; });

    auto moveTo = [&] (float x)
    {
        ASSERT_NE (window.getPeer(), nullptr);
        window.getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, { x, 20.0f }, {}, juce::MouseInputSource::defaultPressure,
                                            juce::MouseInputSource::defaultOrientation, juce::Time::currentTimeMillis());
    };
    auto rest = [&] (juce::uint32 ms)
    {
        clock += ms;
        tips.sleepIfIdle();
    };

    EXPECT_FALSE (tips.isAwake()) << "nothing has happened yet";

    // The mouse over a child of the window wakes it; each move starts the wait again.
    moveTo (20.0f);
    EXPECT_TRUE (tips.isAwake());
    rest (SleepingTooltips::sleepAfterMs - 1);
    EXPECT_TRUE (tips.isAwake());
    moveTo (30.0f);
    rest (SleepingTooltips::sleepAfterMs - 1);
    EXPECT_TRUE (tips.isAwake());
    rest (1);
    EXPECT_FALSE (tips.isAwake());

    // Another window (a dialog) keeps it awake while it is open, however long nothing happens here.
    moveTo (40.0f);
    juce::Component dialog;
    dialog.setBounds (300, 0, 100, 100);
    dialog.addToDesktop (0);
    dialog.setVisible (true);
    rest (10 * SleepingTooltips::sleepAfterMs);
    EXPECT_TRUE (tips.isAwake());
    dialog.removeFromDesktop();
    rest (0);
    EXPECT_FALSE (tips.isAwake());
}
