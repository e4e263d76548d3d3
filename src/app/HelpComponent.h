#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The help window's content: how to connect the unit, what the buttons and
    commands do, and the step grid's mouse gestures. */
class HelpComponent : public juce::Component
{
public:
    HelpComponent();
    ~HelpComponent() override;

    void resized() override;

    static juce::String getHelpText();

private:
    juce::TextEditor textEditor { "helpText" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HelpComponent)
};
