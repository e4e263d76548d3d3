#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The pattern page's look: the library's defaults in the page's colours, with
    texts small enough for the band's narrow controls ("12" has 30 pixels, the
    type selector 60) and combo boxes whose arrow sits on a button in the
    button colour, so the dark arrow colour stays visible.
*/
class PatternsLookAndFeel : public juce::LookAndFeel_V4
{
public:
    PatternsLookAndFeel() = default;

    void drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawComboBox (juce::Graphics& g, int width, int height, bool isButtonDown, int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox& box) override;
    void positionComboBoxText (juce::ComboBox& box, juce::Label& label) override;
    juce::Font getComboBoxFont (juce::ComboBox& box) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PatternsLookAndFeel)
};
