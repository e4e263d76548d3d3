#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Text drawn as juce::Graphics draws it, but laid out afresh each time rather
    than through JUCE's cache of the last 128 layouts. Each cached layout keeps
    room for 128 glyphs (about 6 kB) however short its text: the pattern page's
    value boxes alone held some 170 kB at start, and the cache grew towards
    800 kB as knobs turned and lists scrolled. Laying out a label's few glyphs
    again takes microseconds.
*/
struct VeskText
{
    /** As Graphics::drawFittedText. */
    static void drawFitted (juce::Graphics& g, const juce::String& text, juce::Rectangle<int> area,
                            juce::Justification justification, int maximumLines, float minimumHorizontalScale = 0.0f);

    /** As Graphics::drawText. */
    static void draw (juce::Graphics& g, const juce::String& text, juce::Rectangle<int> area,
                      juce::Justification justification, bool useEllipsesIfTooBig = true);

    /** As LookAndFeel_V2::drawLabel, with the look-and-feel's label font and border. */
    static void drawLabel (juce::Label::LookAndFeelMethods& lookAndFeel, juce::Graphics& g, juce::Label& label);
};
