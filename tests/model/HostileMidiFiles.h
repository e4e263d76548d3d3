#pragma once

// The worst MIDI files that still pass the import's bounds (4 MiB, 100,000
// notes), each filled to just under the size bound: the tests import them and
// the benchmark times them.

#include "model/VeskImage.h"
#include "model/VeskMidiFile.h"

#include <vector>

namespace HostileMidiFiles
{
    using Bytes = std::vector<juce::uint8>;

    /** Bytes + bytes, for building events. */
    inline Bytes operator+ (Bytes a, const Bytes& b)
    {
        a.insert (a.end(), b.begin(), b.end());
        return a;
    }

    struct File
    {
        const char* what;
        Bytes bytes;
        juce::String message; // what the import says
        int firstStep = -1; // the type of step 1 after the import, -1 for a refusal
    };

    /** A file built chunk by chunk, with helpers to fill it up to the bound. */
    struct Builder
    {
        Builder (int format, int numTracks)
        {
            bytes = { 'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, (juce::uint8) format, (juce::uint8) (numTracks >> 8), (juce::uint8) numTracks, 480 >> 8, 480 & 0xFF };
        }

        Builder& add (const Bytes& b)
        {
            bytes.insert (bytes.end(), b.begin(), b.end());
            return *this;
        }

        Builder& beginTrack()
        {
            add ({ 'M', 'T', 'r', 'k', 0, 0, 0, 0 });
            trackStart = bytes.size();
            return *this;
        }

        /** Closes the track chunk, with an end of track unless it is to be cut short. */
        Builder& endTrack (bool withEndOfTrack = true)
        {
            if (withEndOfTrack)
                add ({ 0, 0xFF, 0x2F, 0 });

            const auto length = (juce::uint32) (bytes.size() - trackStart);

            for (int i = 0; i < 4; ++i)
                bytes[trackStart - 4 + (size_t) i] = (juce::uint8) (length >> (24 - 8 * i));

            return *this;
        }

        Builder& repeat (const Bytes& event, int times)
        {
            bytes.reserve (bytes.size() + event.size() * (size_t) times);

            for (int i = 0; i < times; ++i)
                add (event);

            return *this;
        }

        /** Repeats event as often as fits, leaving reserve bytes for what follows. */
        Builder& fill (const Bytes& event, size_t reserve)
        {
            return repeat (event, (int) ((VeskMidiFile::maxFileSize - reserve - bytes.size()) / event.size()));
        }

        Bytes bytes;
        size_t trackStart = 0;
    };

    constexpr int maxNotes = VeskMidiFile::maxNotes;

    /** The most notes at one tick, then a controller at that tick over and over. */
    inline Bytes controllersAtTheNotesTick (juce::uint8 firstValue, juce::uint8 otherValue, bool cutShort)
    {
        Builder b (0, 1);
        b.beginTrack().add ({ 0, 0x90, 60, 100 }).repeat ({ 0, 60, 100 }, maxNotes - 1);
        b.add ({ 0, 0xB0, VeskMidiFile::accentController, firstValue }).fill ({ 0, VeskMidiFile::accentController, otherValue }, 4);

        if (cutShort)
            return b.add ({ 0, VeskMidiFile::accentController }).endTrack (false).bytes;

        return b.endTrack().bytes;
    }

    inline std::vector<File> all()
    {
        std::vector<File> files;
        const Bytes oneNote { 0, 0x90, 60, 100, 120, 0x80, 60, 0 };

        files.push_back ({ "accents at the tick of 100,000 notes", controllersAtTheNotesTick (127, 127, false), "imported 16 steps", VeskImage::StepType::accent });
        files.push_back ({ "the accent turned on and off at the tick of 100,000 notes", controllersAtTheNotesTick (127, 0, false), "imported 16 steps", VeskImage::StepType::normal });
        files.push_back ({ "accents at the tick of 100,000 notes, cut short at the end", controllersAtTheNotesTick (127, 127, true), "runs past the end of the track" });

        {
            // 100,000 notes of every key at one tick, released at the next, then note-offs of nothing.
            Builder b (0, 1);
            b.beginTrack().add ({ 0, 0x90, 0, 100 });

            for (int i = 1; i < maxNotes; ++i)
                b.add ({ 0, (juce::uint8) (i % 128), 100 });

            b.add ({ 120, 0x80, 0, 0 });

            for (int i = 1; i < maxNotes; ++i)
                b.add ({ 0, (juce::uint8) (i % 128), 0 });

            files.push_back ({ "100,000 notes at one tick", b.fill ({ 0, 5, 0 }, 4).endTrack().bytes, "imported 16 steps", VeskImage::StepType::normal });
        }

        files.push_back ({ "note-offs without note-ons", Builder (0, 1).beginTrack().add (oneNote).fill ({ 0, 61, 0 }, 4).endTrack().bytes, "imported 16 steps", VeskImage::StepType::normal });

        // A new tick for each note, each with its controller.
        files.push_back ({ "100,000 notes, a tick each", Builder (0, 1).beginTrack().repeat ({ 1, 0x90, 60, 100, 0, 0xB0, VeskMidiFile::accentController, 127 }, maxNotes).fill ({ 0, 0x80, 60, 0 }, 4).endTrack().bytes, "imported 32 steps; 96,221 notes after step 32 were left out", VeskImage::StepType::slide });

        files.push_back ({ "a tempo map", Builder (0, 1).beginTrack().add (oneNote).fill ({ 1, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20 }, 4).endTrack().bytes, "imported 16 steps", VeskImage::StepType::normal });

        {
            // Each event four bytes of time later, ticks beyond 2^47; the first note never ends.
            const Bytes longest { 0xFF, 0xFF, 0xFF, 0x7F };
            Builder b (0, 1);
            b.beginTrack().add ({ 0, 0x90, 60, 100 }).repeat (longest + Bytes { 62, 100 }, maxNotes - 1);
            files.push_back ({ "the longest times", b.fill (longest + Bytes { 61, 0 }, 4).endTrack().bytes, "imported 32 steps; 99,999 notes after step 32 were left out", VeskImage::StepType::slide });
        }

        files.push_back ({ "text events", Builder (0, 1).beginTrack().add (oneNote).fill ({ 0, 0xFF, 0x01, 0 }, 4).endTrack().bytes, "imported 16 steps", VeskImage::StepType::normal });
        files.push_back ({ "exclusive messages", Builder (0, 1).beginTrack().add (oneNote).fill ({ 0, 0xF0, 1, 0xF7 }, 4).endTrack().bytes, "imported 16 steps", VeskImage::StepType::normal });
        files.push_back ({ "unknown chunks", Builder (0, 1).beginTrack().add (oneNote).endTrack().fill ({ 'X', 'Y', 'Z', 'W', 0, 0, 0, 0 }, 0).bytes, "imported 16 steps", VeskImage::StepType::normal });

        // More tracks than the header can count, all read; the notes in the last.
        files.push_back ({ "empty tracks", Builder (1, 65535).fill ({ 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0 }, 8 + 12).beginTrack().add (oneNote).endTrack().bytes, "imported 16 steps", VeskImage::StepType::normal });

        return files;
    }
}
