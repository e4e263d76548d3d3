#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

/**
    Reads what a pattern needs from a Standard MIDI File held in memory: the
    notes of one track, the file's tempo changes and each track's name and
    whether it holds notes. Nothing else of the file is kept, so memory is
    bounded by the note limit and the file's size, and time by one pass over
    the bytes.

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

    struct Tempo
    {
        juce::int64 tick = 0; // from the start of the file, or of what is taken from it
        int micros = 0; // per quarter note
    };

    struct Track
    {
        juce::String name; // its first name event, or empty
        bool hasNotes = false;
    };

    static constexpr int maxNameLength = 64; // characters of a track's name that are kept

    struct Contents
    {
        int format = 0;
        int ticksPerQuarter = 0;
        int numTracks = 0; // track chunks in the file
        int track = 0; // 1-based: the track the notes come from
        std::vector<Note> notes; // in the order they start
        std::vector<Track> tracks; // every track chunk, in the file's order
        std::vector<Tempo> tempos; // every tempo event, by tick; at one tick in the file's order
        std::optional<std::vector<juce::uint8>> sequencerData; // see read()

        /** Microseconds per quarter note in force at tick 0: of the tempo
            events at or before it the latest (the first of those at one
            tick), or else the earliest of the file. */
        std::optional<int> startTempo() const;
    };

    /** track is 1-based, or -1 for the first track that holds a note.
        sequencerData gets what follows sequencerPrefix in the first
        sequencer-specific event of that track which starts with it. */
    static juce::Result read (const void* data, size_t size, int track, int maxNotes, int accentController, int openController,
                              const std::vector<juce::uint8>& sequencerPrefix, Contents& contents);
};
