#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Where the window's controls lie, for tests of the whole program: they
    click what a person sees ("the System tab", "the Transpose +") at the
    place the program laid it out, not at numbers copied from the code.

    Used only when the environment variable VESKEDIT_LAYOUT_REPORT names a
    file: once the main window is shown, one line per named control,
    "PATH<tab>X Y W H", in the window's own coordinates (those of
    `xdotool mousemove --window`). PATH joins the names of the named
    components from the window down, e.g. "System" for a tab and
    "Transpose/+" for a stepper's button; the menus of a menu bar are
    listed by their titles ("Edit"). Controls of pages not shown are listed
    too, where they lie once their page is.
*/
struct LayoutReport
{
    static constexpr const char* environmentVariable = "VESKEDIT_LAYOUT_REPORT";

    /** The lines for every named component inside window. */
    static juce::String describe (juce::Component& window);

    /** Writes describe (window) to the file the environment names, if any. */
    static juce::Result writeIfAsked (juce::Component& window);
};
