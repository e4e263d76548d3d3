#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

/**
    Reads what a pattern needs from a Standard MIDI File held in memory: the
    notes of one track and the first tempo of the file. Nothing else of the
    file is kept, so memory is bounded by the note limit, and time by one pass
    over the bytes.

    Formats 0, 1 and 2 are read; chunks of unknown kinds are skipped. A file
    whose header, chunks or events run past its end, that counts time in SMPTE
    frames or has 0 ticks per quarter is refused with a message that reads
    after the file's name ("is cut short: ...").
*/
struct VeskSmfReader
{
    struct Note
    {
        juce::int64 start = 0, end = 0; // ticks from the start of the track
        int channel = 0; // 0-15
        int key = 0;
        int velocity = 0; // 1-127
        bool accent = false; // the accent controller stood at 64 or more at the end of the note's first tick
        bool open = false; // the same for the controller of open hits
    };

    struct Contents
    {
        int format = 0;
        int ticksPerQuarter = 0;
        int numTracks = 0; // track chunks in the file
        int track = 0; // 1-based: the track the notes come from
        std::vector<Note> notes; // in the order they start
        std::optional<int> firstTempo; // microseconds per quarter note of the earliest tempo event
        std::optional<std::vector<juce::uint8>> sequencerData; // see read()
    };

    /** track is 1-based, or -1 for the first track that holds a note.
        sequencerData gets what follows sequencerPrefix in the first
        sequencer-specific event of that track which starts with it. */
    static juce::Result read (const void* data, size_t size, int track, int maxNotes, int accentController, int openController,
                              const std::vector<juce::uint8>& sequencerPrefix, Contents& contents);
};
