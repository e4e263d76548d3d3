#pragma once

#include <juce_core/juce_core.h>

/**
    The texts the unit's values are shown by: the item lists of the editors'
    combo boxes and the sequencer's note names. Plain code, so the editors and
    the command-line librarian read values the same way.

    Every lookup takes a stored byte and gives an empty text for a byte outside
    its list, never reading outside a table.
*/
struct VeskNames
{
    static const juce::StringArray& partTypes(); // "Line In", "Lead", "Bass", "Rythm", ...
    static const juce::StringArray& loopCtrls(); // "Off", "Pitch", "Trig", "Divide"
    static const juce::StringArray& lfoWaves();
    static const juce::StringArray& waves();
    static const juce::StringArray& filterTypes();
    static const juce::StringArray& tones(); // 128 tones, "01 - SAW 1 Ds1 Off" ...
    static const juce::StringArray& effectTypes(); // "OD1" ... "SL2", "OFF"
    static const juce::StringArray& kits(); // "808" ... "Latin Perc."
    static const juce::StringArray& stepTypes(); // "Normal", "Tie", "Slide", "Rest", "Accent"
    static const juce::StringArray& rythmStepTypes(); // the step grid's two-character Rythm labels, "C " ... "  "

    /** Item text for a stored index, or an empty text when the list has no such item. */
    static juce::String item (const juce::StringArray& list, int index);

    /** The tone of a Lead or Bass pattern, the kit of a Rythm one, else empty. */
    static juce::String sound (int partType, int toneOrKit);

    /** Four-character note label as the step grid shows it: octaves start at -1
        for Lead ("C -1" for note 0, "C  4" for 60) and at -4 for Bass ("C -4");
        empty for notes outside 0-127 and for other part types. */
    static juce::String noteLabel (int partType, int note);
};
