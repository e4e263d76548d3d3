#pragma once

#include "VeskSeed.h"
#include "VeskStepTools.h"

#include <optional>

/**
    What a pattern tool is asked beyond which tool it is (VeskToolRunner):
    one set for the tool windows and vesk's options alike, each tool reading
    the values it takes. The names of the scales, roots, lanes and panels are
    here too, as the windows show them; vesk takes them in lower case with
    '-' between words ("minor-pentatonic").
*/
struct VeskToolSettings
{
    VeskSeed::Value seed = 1;
    int lockedLanes = 0; // VeskStepTools::Lane
    int lockedPanels = 0; // VeskSoundTools::Panel
    int amount = 25; // Humanize's amount, the percent of Mutate, Mutate Sound and Blend
    int shift = 0; // Rotate's steps (positive: later), Transpose's semitones
    VeskStepTools::Scale scale = VeskStepTools::Scale::chromatic;
    int root = 0; // pitch class 0 (C) to 11 (B)
    int density = 75; // Randomize: percent of the played steps that sound
    int hits = 4, steps = 16, rotation = 0; // Euclid's cycle
    std::optional<int> note; // Euclid's hits; none keeps each step's note

    /** In VeskStepTools::Scale's order: "Chromatic" ... "Minor Pentatonic". */
    static const juce::StringArray& scaleNames();
    /** The pitch classes from 0: "C", "C#" ... "B". */
    static const juce::StringArray& rootNames();
    /** Lane 1 << i is name i: "Note", "Level", "Gate", "Type". */
    static const juce::StringArray& laneNames();
    /** Panel 1 << i is name i: "LFO" ... "Output". */
    static const juce::StringArray& panelNames();

    /** A name as vesk takes and lists it: "minor-pentatonic". */
    static juce::String optionName (const juce::String& name);

    /** Each reads a value as vesk is given it into these settings, or says in
        one sentence (without its end) why it is none, leaving them as they were. */
    juce::String readSeed (const juce::String& text);
    juce::String readScale (const juce::String& text); // a scale's option name, in any case
    juce::String readRoot (const juce::String& text); // a root's name, in any case, or its number 0 to 11
    juce::String readLockedLanes (const juce::String& text); // lanes' names joined by commas
};
