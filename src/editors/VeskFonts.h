#pragma once

#include <juce_graphics/juce_graphics.h>

/** The fixed-width typeface of the step grid and the about box: "Lucida Console"
    where it is installed, else the platform's default monospaced typeface, so
    columns of text still line up. */
struct VeskFonts
{
    static juce::Font monospaced (float height, bool bold = false);

    /** The typeface name actually used. */
    static juce::String monospacedTypefaceName();
};
