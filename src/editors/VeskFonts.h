#pragma once

#include <juce_graphics/juce_graphics.h>

/** The program's typefaces.

    The fixed-width one of the step grid and the about box is "Lucida Console"
    where it is installed, else the platform's default monospaced typeface (or,
    where that is not fixed-width after all, any installed one that is), so
    columns of text still line up.

    The sans-serif one every other text uses is served here, in its regular
    and bold styles, rather than by JUCE's own lookup: that one reads each new
    glyph's kerning against the whole font, and opens the regular style twice
    (for Font() and for Font (height)). SansSerifTypeface reads the same font
    files and gives the same outlines, advances and kerning, and the fonts can
    be read on another thread while the display opens. On Windows JUCE's own
    typefaces (the system's) serve every font. */
struct VeskFonts
{
    static juce::Font monospaced (float height, bool bold = false);

    /** The typeface name actually used. */
    static juce::String monospacedTypefaceName();

    /** For a look-and-feel's getTypefaceForFont(): the typeface of a font of the
        default sans-serif family in its regular or bold style, or null for any
        other font, which JUCE's lookup serves as before. */
    static juce::Typeface::Ptr sansSerifTypefaceFor (const juce::Font& font);
};
