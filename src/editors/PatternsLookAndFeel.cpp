#include "PatternsLookAndFeel.h"

void PatternsLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    const auto fontSize = juce::jmin (12.0f, (float) button.getHeight() * 0.75f);
    const auto tickWidth = 10.0f;

    // The library's tick box leaves no room for the tick at this size.
    const juce::Rectangle<float> box (1.0f, ((float) button.getHeight() - tickWidth) * 0.5f, tickWidth, tickWidth);
    g.setColour (button.findColour (juce::ToggleButton::tickDisabledColourId));
    g.drawRoundedRectangle (box, 2.0f, 1.0f);

    if (button.getToggleState())
    {
        const auto tick = getTickShape (1.0f);
        g.setColour (button.findColour (juce::ToggleButton::tickColourId));
        g.fillPath (tick, tick.getTransformToScaleToFit (box.reduced (1.5f), true));
    }

    juce::ignoreUnused (shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);

    g.setColour (button.findColour (juce::ToggleButton::textColourId));
    g.setFont (fontSize);

    if (! button.isEnabled())
        g.setOpacity (0.5f);

    g.drawFittedText (button.getButtonText(), button.getLocalBounds().withTrimmedLeft (juce::roundToInt (tickWidth) + 3), juce::Justification::centredLeft, 1, 0.8f);
}

void PatternsLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool, int, int, int, int, juce::ComboBox& box)
{
    const juce::Rectangle<float> bounds (0.0f, 0.0f, (float) width, (float) height);
    g.setColour (box.findColour (juce::ComboBox::backgroundColourId));
    g.fillRoundedRectangle (bounds, 3.0f);

    g.setColour (box.findColour (juce::ComboBox::outlineColourId));
    g.drawRoundedRectangle (bounds.reduced (0.5f), 3.0f, 1.0f);

    const auto button = bounds.withLeft ((float) (width - height)).reduced (1.0f);
    g.setColour (box.findColour (juce::ComboBox::buttonColourId));
    g.fillRoundedRectangle (button, 2.0f);

    juce::Path arrow;
    arrow.addTriangle (button.getX() + 3.5f, button.getCentreY() - 2.0f, button.getRight() - 3.5f, button.getCentreY() - 2.0f, button.getCentreX(), button.getCentreY() + 3.0f);
    g.setColour (box.findColour (juce::ComboBox::arrowColourId).withAlpha (box.isEnabled() ? 1.0f : 0.3f));
    g.fillPath (arrow);
}

void PatternsLookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    label.setBounds (1, 1, box.getWidth() - box.getHeight() - 1, box.getHeight() - 2);
    label.setBorderSize ({ 1, 3, 1, 1 });
    label.setFont (getComboBoxFont (box));
}

juce::Font PatternsLookAndFeel::getComboBoxFont (juce::ComboBox& box)
{
    return { juce::jmin (12.0f, (float) box.getHeight() * 0.75f) };
}
