#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The panel pictures embedded in the program. Every picture has the same
    style: a striped red title bar (layout rows 0-14), a half-transparent
    separator (row 15) and a striped dark body, with light letters on both
    (the title, the captions of the controls). So a picture is kept as the
    coverage of its letters only, one byte a pixel, and its colours are laid
    over the stripes as it is painted: a quarter of the memory of the colours.

    Each is drawn twice: at one pixel per unit of the layout, and at two for
    screens and zoom levels that show more pixels, where the first would blur.
*/
struct PanelPictures
{
    /** The picture by its name ("commonGroup"), at one pixel per unit: a
        single-channel image of its letters, the size of the panel; invalid for
        an unknown name. The same picture requested twice is shared through the
        ImageCache. */
    static juce::Image get (const juce::String& name);

    /** The name a picture returned by get() was asked for by; empty for any other image. */
    static juce::String nameOf (const juce::Image& picture);

    /** The two-pixels-per-unit drawing of a picture returned by get(), or an
        invalid image for any other. */
    static juce::Image getSharp (const juce::Image& picture);

    /** The colours of a picture returned by get() or getSharp(), pixel for
        pixel as paint() puts them on the screen; invalid for any other image. */
    static juce::Image render (const juce::Image& picture);

    /** Paints the top-left width x height of the picture at the origin, with as
        many pixels as the context shows: the picture itself where one unit is
        one pixel or less, its sharp drawing scaled into the same place above. */
    static void paint (juce::Graphics& g, const juce::Image& picture, int width, int height);

    static constexpr int sharpScale = 2;
};
