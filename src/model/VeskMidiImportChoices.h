#pragma once

#include "VeskSmfReader.h"

#include <juce_core/juce_core.h>

#include <array>
#include <vector>

/**
    What to take from a MIDI file made by another program, which often starts
    with a count-in or an intro or holds other parts on other channels, and
    what a file offers, so the window's import can offer it.
*/
struct VeskMidiImportChoices
{
    struct Options
    {
        int track = -1; // 1-based, or -1 for the first track with notes
        int bar = 1; // the file's bar (from 1, 4/4 at the file's ticks per quarter) that becomes step 1
        int channel = 0; // 1-16, or 0 for every channel; a Rythm pattern then takes channel 10 when the track has notes there
    };

    static constexpr int maxBar = 9999;

    struct Survey
    {
        struct Track
        {
            int number = 0; // 1-based
            juce::String name; // its own, else "Track N"; "NAME (track N)" where another track has that name
        };

        int numTracks = 0;
        std::vector<Track> tracksWithNotes; // what can be imported, in the file's order
        int track = 0; // the track read (1-based)
        int bars = 0; // bars the track's notes start in
        std::array<int, 16> notesPerChannel {}; // notes of the track, channel 1 at [0]
    };

    /** Bar 1 to maxBar, channel 0 to 16, track -1 or 1 and more. */
    static bool isValid (const Options& options) noexcept;

    /** Fills survey from the notes of track (-1: the first with notes). */
    static juce::Result survey (const void* fileData, size_t size, int track, Survey& survey);

    /** Keeps the notes of the chosen channel that start in the chosen bar or
        later, moved to the start with the tempo changes, so that the tempo at
        the start is the one in force at the chosen bar. A Rythm pattern takes channel 10 when none
        is chosen and the track has notes there: other programs put drums
        there. False, with why, when that leaves none of a track's notes. */
    static bool take (VeskSmfReader::Contents& contents, const Options& options, bool rythm, juce::String& why);
};
