#pragma once

#include "model/VeskBlock.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    How a pattern slot reads in the Library page's lists: its texts, and the
    row painted from the record's bytes (a mark where it differs from the
    unit, the slot's name, type, tempo, length, tone or kit, and a small
    drawing of the steps it plays). Plain functions of the record, so a list
    keeps nothing of its own that could fall out of step with the library.
*/
struct LibraryRows
{
    static constexpr int rowHeight = 16;
    static constexpr int headerHeight = 16;

    /** "Lead", or the byte's number for a type the unit does not have. */
    static juce::String typeText (const juce::uint8* record);

    /** Whole beats per minute, as the pattern page's tempo shows them. */
    static juce::String tempoText (const juce::uint8* record);

    /** Bars x steps per bar: "1 x 16". */
    static juce::String lengthText (const juce::uint8* record);

    /** The tone of a Lead or Bass pattern, the kit of a Rythm one, else empty. */
    static juce::String soundText (const juce::uint8* record);

    /** Type, tempo, length and sound: "Bass, 120 BPM, 1 x 16, 04 - ...". */
    static juce::String summary (const juce::uint8* record);

    /** Everything a row says, in one line: for the tooltip of a row too
        narrow to show every column. */
    static juce::String describe (const juce::uint8* record, VeskBlock slot);

    /** Where each column lies in a row (or the header) of that width; a
        column a narrow list has no room for is empty. */
    struct Columns
    {
        explicit Columns (int width);

        juce::Rectangle<int> mark, name, type, tempo, length, sound, steps;
    };

    struct State
    {
        bool selected = false;
        bool dropTarget = false; // a drag would land here
        bool swapping = false; // ... and swap rather than copy
        bool held = true; // false: greyed, a slot the file does not hold
        bool differsFromUnit = false;
        bool shown = false; // the pattern the Patterns page edits
    };

    static void paintRow (juce::Graphics& g, const juce::uint8* record, VeskBlock slot, int width, int height, State state);

    /** The column titles. */
    static void paintHeader (juce::Graphics& g, int width, int height);

    /** One bar per played step, its height by the note (within the pattern's
        own range of notes) and its colour by the velocity, as the step grid
        colours them; a tie draws on the bar it holds, a rest or an empty
        Rythm step nothing (VeskStepTypes). */
    static void paintSteps (juce::Graphics& g, const juce::uint8* record, juce::Rectangle<int> area);

    static const juce::Colour background, selectedBackground, dropBackground, textColour, headerColour, markColour;
};
