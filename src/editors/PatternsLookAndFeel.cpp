#include "PatternsLookAndFeel.h"
#include "VeskText.h"

void PatternsLookAndFeel::usePageColours()
{
    setColour (juce::ToggleButton::textColourId, juce::Colour (0xFFCCCCCC));
    setColour (juce::TextButton::buttonColourId, juce::Colour (0xFFCC0000));
    setColour (juce::PopupMenu::backgroundColourId, juce::Colour (0xFF330000));
    setColour (juce::PopupMenu::textColourId, juce::Colour (0xFFFF0000));
    setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (0xFFFF0000));
    setColour (juce::PopupMenu::highlightedTextColourId, juce::Colour (0xFF330000));
    setColour (juce::PopupMenu::headerTextColourId, juce::Colour (0xFFFF0000));
    // Value arc, track, pointer and face of the knobs, each its own colour.
    setColour (juce::Slider::rotarySliderFillColourId, juce::Colour (0xFFCCCCCC));
    setColour (juce::Slider::rotarySliderOutlineColourId, juce::Colour (0xFF666666));
    setColour (juce::Slider::thumbColourId, juce::Colour (0xFFFF0000));
    setColour (juce::Slider::backgroundColourId, juce::Colour (0xFF330000));
    setColour (juce::Slider::textBoxTextColourId, juce::Colour (0xFFFF0000));
    setColour (juce::Slider::textBoxBackgroundColourId, juce::Colour (0xFF330000));
    setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xFF330000));
    setColour (juce::ComboBox::arrowColourId, juce::Colour (0xFF330000));
    setColour (juce::ComboBox::buttonColourId, juce::Colour (0xFFFF0000));
    setColour (juce::ComboBox::textColourId, juce::Colour (0xFFFF0000));
}

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

    VeskText::drawFitted (g, button.getButtonText(), button.getLocalBounds().withTrimmedLeft (juce::roundToInt (tickWidth) + 3), juce::Justification::centredLeft, 1, 0.8f);
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

void PatternsLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos, float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider)
{
    const auto area = juce::Rectangle<int> (x, y, width, height).toFloat();
    const auto radius = juce::jmin (area.getWidth(), area.getHeight()) * 0.5f - 1.0f;

    if (radius < 4.0f)
        return;

    const auto centre = area.getCentre();
    const auto ringWidth = juce::jmax (2.0f, radius * 0.24f);
    const auto arcRadius = radius - ringWidth * 0.5f;
    const auto alpha = slider.isEnabled() ? 1.0f : 0.4f;

    auto angleOf = [&] (double proportion)
    { return rotaryStartAngle + (float) proportion * (rotaryEndAngle - rotaryStartAngle); };

    auto arc = [&] (float from, float to)
    {
        juce::Path p;
        p.addCentredArc (centre.x, centre.y, arcRadius, arcRadius, 0.0f, juce::jmin (from, to), juce::jmax (from, to), true);
        return p;
    };

    const juce::PathStrokeType ringStroke (ringWidth, juce::PathStrokeType::curved, juce::PathStrokeType::butt);

    g.setColour (slider.findColour (juce::Slider::backgroundColourId).withMultipliedAlpha (alpha));
    g.fillEllipse (juce::Rectangle<float> (radius * 2.0f, radius * 2.0f).withCentre (centre));

    g.setColour (slider.findColour (juce::Slider::rotarySliderOutlineColourId).withMultipliedAlpha (alpha));
    g.strokePath (arc (rotaryStartAngle, rotaryEndAngle), ringStroke);

    // A knob that goes below zero shows its value from the middle.
    const auto range = slider.getRange();
    const auto origin = range.getStart() < 0.0 && range.getEnd() > 0.0 ? slider.valueToProportionOfLength (0.0) : 0.0;
    const auto valueAngle = angleOf (sliderPos);

    g.setColour (slider.findColour (juce::Slider::rotarySliderFillColourId).withMultipliedAlpha (alpha));
    g.strokePath (arc (angleOf (origin), valueAngle), ringStroke);

    const auto tip = centre.getPointOnCircumference (arcRadius, valueAngle);
    g.setColour (slider.findColour (juce::Slider::thumbColourId).withMultipliedAlpha (alpha));
    g.drawLine ({ centre.getPointOnCircumference (radius * 0.2f, valueAngle), tip }, 2.0f);
}

juce::Label* PatternsLookAndFeel::createSliderTextBox (juce::Slider& slider)
{
    auto* box = LookAndFeel_V4::createSliderTextBox (slider);

    // The library's 15-pixel font is squeezed illegibly into a 30 x 15 box.
    box->setFont (juce::Font (11.0f));
    box->setBorderSize ({ 1, 1, 1, 1 });
    return box;
}

void PatternsLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    VeskText::drawLabel (*this, g, label);
}
