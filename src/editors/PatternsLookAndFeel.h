#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The pattern page's look: the library's defaults in the page's colours, with
    texts small enough for the band's narrow controls ("12" has 30 pixels, the
    type selector 60) and combo boxes whose arrow sits on a button in the
    button colour, so the dark arrow colour stays visible.

    Knobs fill their area: a face in the slider's background colour, the track
    in rotarySliderOutlineColourId, the value arc in rotarySliderFillColourId
    (from zero for a knob that goes below zero) and the pointer in
    thumbColourId. The value box below them uses a font that fits it.
*/
class PatternsLookAndFeel : public juce::LookAndFeel_V4
{
public:
    PatternsLookAndFeel() = default;

    /** The dark pages' colours: red buttons and values, grey captions, dark
        red menus, as the pattern page and the Library page show them. */
    void usePageColours();

    void drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawComboBox (juce::Graphics& g, int width, int height, bool isButtonDown, int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox& box) override;
    void positionComboBoxText (juce::ComboBox& box, juce::Label& label) override;
    juce::Font getComboBoxFont (juce::ComboBox& box) override;
    void drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos, float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider) override;
    juce::Label* createSliderTextBox (juce::Slider& slider) override;
    void drawLabel (juce::Graphics& g, juce::Label& label) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PatternsLookAndFeel)
};
