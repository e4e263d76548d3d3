#include "editors/VeskFonts.h"

#include <gtest/gtest.h>

namespace
{
    /** How many pixels of a white picture the text darkened. */
    int inkOf (const juce::String& text, const juce::Font& font)
    {
        juce::Image picture (juce::Image::RGB, 200, 40, true);
        juce::Graphics g (picture);
        g.fillAll (juce::Colours::white);
        g.setColour (juce::Colours::black);
        g.setFont (font);
        g.drawText (text, picture.getBounds(), juce::Justification::centredLeft, false);

        int ink = 0;

        for (int y = 0; y < picture.getHeight(); ++y)
            for (int x = 0; x < picture.getWidth(); ++x)
                ink += picture.getPixelAt (x, y).getBrightness() < 0.5f ? 1 : 0;

        return ink;
    }
}

// Whatever fonts the system has: every text of the program shows, and the
// step grid's columns line up.
TEST (VeskFonts, EveryFontOfTheProgramDrawsAndTheMonospacedOneKeepsItsColumns)
{
    for (const auto& font : { juce::Font(), juce::Font (13.0f), juce::Font (13.0f, juce::Font::bold), VeskFonts::monospaced (12.0f),
                              VeskFonts::monospaced (12.0f, true) })
        EXPECT_GT (inkOf ("Pattern A-01 0123", font), 20) << font.getTypefaceName();

    const auto mono = VeskFonts::monospaced (12.0f);
    EXPECT_FLOAT_EQ (mono.getStringWidthFloat ("iiii"), mono.getStringWidthFloat ("WWWW")) << VeskFonts::monospacedTypefaceName();
}
