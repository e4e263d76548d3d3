#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Where the window's controls lie, for tests of the whole program: they
    click what a person sees ("the System tab", "the Transpose +") at the
    place the program laid it out, not at numbers copied from the code.

    Used only when the environment variable VESKEDIT_LAYOUT_REPORT names a
    file: one line per named control, "PATH<tab>X Y W H", in the window's
    own pixels as the screen shows them (those of `xdotool mousemove
    --window`, so a zoom is taken into account). PATH joins the names of the
    named components from the window down, e.g. "System" for a tab and
    "Transpose/+" for a stepper's button; the menus of a menu bar are listed
    by their titles ("Edit"). Controls of pages not shown are listed too,
    where they lie once their page is.

    The file is written when the report is made and again whenever the
    layout has changed (a zoom, another part editor), a few times a second
    at most.
*/
class LayoutReport : private juce::Timer
{
public:
    static constexpr const char* environmentVariable = "VESKEDIT_LAYOUT_REPORT";

    /** The lines for every named component inside window. */
    static juce::String describe (juce::Component& window);

    /** A report on the file the environment names, or null when it names none. */
    static std::unique_ptr<LayoutReport> fromEnvironment (juce::Component& window);

    /** Writes the report at once, then keeps it up to date. */
    LayoutReport (juce::Component& window, const juce::File& file);
    ~LayoutReport() override;

    /** Writes the layout if it differs from what was last written. */
    juce::Result refresh();

private:
    void timerCallback() override;

    juce::Component::SafePointer<juce::Component> window;
    juce::File file;
    juce::String written;
    bool failedBefore = false;

    JUCE_DECLARE_NON_COPYABLE (LayoutReport)
};
