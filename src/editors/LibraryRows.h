#pragma once

#include "model/VeskBlock.h"
#include "model/VeskPattern.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    How a pattern reads in both pattern lists, the Library page's slots and
    the Collection page's patterns: the one row painter and header for both
    (a mark, a name, then the type, tempo, length, tone or kit and a small
    drawing of the steps, all from the record's bytes), and the texts of a
    slot. Plain functions of what a row shows, so a list keeps nothing of its
    own that could fall out of step with the library or the collection.
*/
struct LibraryRows
{
    static constexpr int rowHeight = 16;
    static constexpr int headerHeight = 16;

    /** Everything a slot's row says, in one line: for the tooltip of a row
        too narrow to show every column. */
    static juce::String describe (const juce::uint8* record, VeskBlock slot);

    /** Which list a row is in: a slot's row names its slot at the left and
        fits a narrow list; a collection pattern's row gives its name the
        room and has no tone or kit column. */
    enum class Layout
    {
        slots,
        patterns
    };

    /** Where each column lies in a row (or the header) of that width; a
        column the layout has no room for is empty. */
    struct Columns
    {
        explicit Columns (int width, Layout layout = Layout::slots);

        juce::Rectangle<int> mark, name, type, tempo, length, sound, steps;
    };

    /** A slot's state in the Library page's lists. */
    struct State
    {
        bool selected = false;
        bool dropTarget = false; // a drag would land here
        bool swapping = false; // ... and swap rather than copy
        bool held = true; // false: greyed, a slot the file does not hold
        bool differsFromUnit = false;
        bool shown = false; // the pattern the Patterns page edits
    };

    enum class Mark
    {
        none,
        differsFromUnit, // a diamond
        favourite // a star
    };

    /** What one row shows. */
    struct Row
    {
        Layout layout = Layout::slots;
        const juce::uint8* record = nullptr; // the columns' pattern; none: the name alone
        juce::String name;
        Mark mark = Mark::none;
        bool boldName = false, greyed = false;
        bool selected = false, dropTarget = false, swapping = false;
    };

    /** The row of a Library slot in that state. */
    static Row slotRow (const juce::uint8* record, VeskBlock slot, State state);

    static void paintRow (juce::Graphics& g, const Row& row, int width, int height);

    /** The column titles. */
    static void paintHeader (juce::Graphics& g, int width, int height, Layout layout = Layout::slots);

    /** One bar per played step, its height by the note (within the pattern's
        own range of notes) and its colour by the velocity, as the step grid
        colours them; a tie draws on the bar it holds, a rest or an empty
        Rythm step nothing (VeskStepTypes). */
    static void paintSteps (juce::Graphics& g, const juce::uint8* record, juce::Rectangle<int> area);

    static const juce::Colour background, selectedBackground, dropBackground, textColour, headerColour, markColour;
};
