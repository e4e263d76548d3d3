#include "VeskText.h"

void VeskText::drawFitted (juce::Graphics& g, const juce::String& text, juce::Rectangle<int> area,
                           juce::Justification justification, int maximumLines, float minimumHorizontalScale)
{
    if (text.isEmpty() || area.isEmpty() || ! g.clipRegionIntersects (area))
        return;

    juce::GlyphArrangement arrangement;
    arrangement.addFittedText (g.getCurrentFont(), text, (float) area.getX(), (float) area.getY(),
                               (float) area.getWidth(), (float) area.getHeight(), justification, maximumLines, minimumHorizontalScale);
    arrangement.draw (g);
}

void VeskText::draw (juce::Graphics& g, const juce::String& text, juce::Rectangle<int> area,
                     juce::Justification justification, bool useEllipsesIfTooBig)
{
    const auto bounds = area.toFloat();

    if (text.isEmpty() || ! g.clipRegionIntersects (bounds.getSmallestIntegerContainer()))
        return;

    juce::GlyphArrangement arrangement;
    arrangement.addCurtailedLineOfText (g.getCurrentFont(), text, 0.0f, 0.0f, bounds.getWidth(), useEllipsesIfTooBig);
    arrangement.justifyGlyphs (0, arrangement.getNumGlyphs(), bounds.getX(), bounds.getY(), bounds.getWidth(), bounds.getHeight(), justification);
    arrangement.draw (g);
}

void VeskText::drawLabel (juce::Label::LookAndFeelMethods& lookAndFeel, juce::Graphics& g, juce::Label& label)
{
    g.fillAll (label.findColour (juce::Label::backgroundColourId));

    if (! label.isBeingEdited())
    {
        const auto alpha = label.isEnabled() ? 1.0f : 0.5f;
        const juce::Font font (lookAndFeel.getLabelFont (label));

        g.setColour (label.findColour (juce::Label::textColourId).withMultipliedAlpha (alpha));
        g.setFont (font);

        const auto textArea = lookAndFeel.getLabelBorderSize (label).subtractedFrom (label.getLocalBounds());
        drawFitted (g, label.getText(), textArea, label.getJustificationType(),
                    juce::jmax (1, (int) ((float) textArea.getHeight() / font.getHeight())), label.getMinimumHorizontalScale());

        g.setColour (label.findColour (juce::Label::outlineColourId).withMultipliedAlpha (alpha));
    }
    else if (label.isEnabled())
    {
        g.setColour (label.findColour (juce::Label::outlineColourId));
    }

    g.drawRect (label.getLocalBounds());
}
