#include "HostileMidiFiles.h"
#include "TestBlocks.h"
#include "model/VeskMidiFile.h"
#include "model/VeskMidiSteps.h"
#include "model/VeskModel.h"
#include "model/VeskStepTypes.h"

#include <gtest/gtest.h>

using namespace VeskImage;
using Bytes = std::vector<juce::uint8>;

namespace
{
    struct Image
    {
        Bytes bytes;

        Image() : bytes ((size_t) imageSize) { VeskModel::writeDefaults (bytes.data()); }

        juce::uint8* data() { return bytes.data(); }
        juce::uint8* record (int slot) { return bytes.data() + patternRecordOffset (slot); }
    };

    Bytes vlq (juce::uint32 v)
    {
        Bytes out { (juce::uint8) (v & 0x7F) };

        while ((v >>= 7) != 0)
            out.insert (out.begin(), (juce::uint8) ((v & 0x7F) | 0x80));

        return out;
    }

    Bytes be (juce::uint32 v, int n)
    {
        Bytes out;

        for (int i = n - 1; i >= 0; --i)
            out.push_back ((juce::uint8) (v >> (8 * i)));

        return out;
    }

    Bytes operator+ (Bytes a, const Bytes& b)
    {
        a.insert (a.end(), b.begin(), b.end());
        return a;
    }

    Bytes& operator+= (Bytes& a, const Bytes& b)
    {
        a.insert (a.end(), b.begin(), b.end());
        return a;
    }

    /** Events given as (tick, bytes) in order; deltas and the end of track are added. */
    Bytes track (const std::vector<std::pair<juce::uint32, Bytes>>& events)
    {
        Bytes body;
        juce::uint32 tick = 0;

        // Appended in place: a hundred thousand events would otherwise be copied as often.
        for (auto& [t, bytes] : events)
        {
            body += vlq (t - tick);
            body += bytes;
            tick = t;
        }

        body += Bytes { 0, 0xFF, 0x2F, 0 };
        return Bytes { 'M', 'T', 'r', 'k' } + be ((juce::uint32) body.size(), 4) + body;
    }

    Bytes header (int format, int numTracks, int division)
    {
        return Bytes { 'M', 'T', 'h', 'd', 0, 0, 0, 6 } + be ((juce::uint32) format, 2) + be ((juce::uint32) numTracks, 2) + be ((juce::uint32) division, 2);
    }

    /** Notes (start, key, length, velocity) with their note-offs; at one tick the notes that end come first. */
    std::vector<std::pair<juce::uint32, Bytes>> notes (std::vector<std::tuple<juce::uint32, int, juce::uint32, int>> list)
    {
        std::vector<std::tuple<juce::uint32, bool, Bytes>> raw; // tick, a start, bytes

        for (auto& [start, key, length, velocity] : list)
        {
            raw.push_back ({ start, true, { 0x90, (juce::uint8) key, (juce::uint8) velocity } });
            raw.push_back ({ start + length, false, { 0x80, (juce::uint8) key, 64 } });
        }

        std::sort (raw.begin(), raw.end());
        std::vector<std::pair<juce::uint32, Bytes>> events;

        for (auto& [tick, isStart, bytes] : raw)
            events.push_back ({ tick, bytes });

        return events;
    }

    Bytes tempo (juce::uint32 micros) { return Bytes { 0xFF, 0x51, 3 } + be (micros, 3); }

    VeskMidiFile::ImportResult import (const Bytes& file, Image& image, int slot, int trackNumber = -1)
    {
        return VeskMidiFile::importInto (file.data(), file.size(), image.data(), slotBlock (slot), trackNumber);
    }

    /** A pattern of every step kind, made so that all of it can come back:
        no Slide into a Rest, no Tie without a note before it, no tied note
        ending within 5 hundredths of a step, no level 0. */
    void fillSteps (juce::uint8* record, int numSteps, juce::Random& random)
    {
        int previous = StepType::rest;
        const bool rythm = record[Pattern::type] == PartType::rythm;

        for (int s = 0; s < numSteps; ++s)
        {
            int type = random.nextInt (5);

            if (rythm)
            {
                // Every kind of hit stands on its own.
            }
            else if (type == StepType::tie && (s == 0 || previous == StepType::rest))
                type = StepType::normal;

            // Which note the ties before belong to decides whether a Rest may follow.
            int head = s - 1;

            while (head > 0 && record[Pattern::stepType + head] == StepType::tie)
                --head;

            if (! rythm && type == StepType::rest && s > 0 && record[Pattern::stepType + head] == StepType::slide)
                type = StepType::accent;

            record[Pattern::stepType + s] = (juce::uint8) type;
            record[Pattern::stepNote + s] = (juce::uint8) random.nextInt (128);
            record[Pattern::stepLevel + s] = (juce::uint8) (1 + random.nextInt (127));
            record[Pattern::stepGate + s] = (juce::uint8) (! rythm && type == StepType::tie ? 6 + random.nextInt (100) : random.nextInt (106));
            previous = type;
        }
    }

    /** What a step sounds like: what every export must carry. */
    juce::String sounding (const juce::uint8* record, int numSteps)
    {
        juce::String text;
        int head = StepType::rest; // the type of the note a Tie belongs to

        for (int s = 0; s < numSteps; ++s)
        {
            const int type = record[Pattern::stepType + s];

            // A Rythm hit, closed or open, is heard whole; an empty step not at all.
            if (record[Pattern::type] == PartType::rythm)
            {
                text << s << ":" << type;

                if (type != VeskStepTypes::empty)
                    text << " note " << record[Pattern::stepNote + s] << " level " << record[Pattern::stepLevel + s] << " gate " << record[Pattern::stepGate + s];

                text << "\n";
                continue;
            }
            head = type == StepType::tie ? head : type;
            text << s << ":" << type;

            if (type != StepType::rest && type != StepType::tie)
                text << " note " << record[Pattern::stepNote + s] << " level " << record[Pattern::stepLevel + s];

            const bool endsChain = s + 1 == numSteps || record[Pattern::stepType + s + 1] != StepType::tie;

            // A slide runs into the next note, so no gate of its own is heard.
            if (head != StepType::rest && head != StepType::slide && endsChain)
                text << " gate " << record[Pattern::stepGate + s];

            text << "\n";
        }

        return text;
    }

    using Events = std::vector<std::pair<juce::uint32, Bytes>>;

    /** The events of a file of one track at their ticks, each with its status
        byte, without the end of track: to change a file as another program would. */
    Events eventsOf (const juce::MemoryBlock& file)
    {
        auto* d = static_cast<const juce::uint8*> (file.getData());
        size_t pos = 14 + 8;
        juce::uint32 tick = 0;
        juce::uint8 status = 0;
        Events events;

        auto number = [&]
        {
            juce::uint32 value = 0;

            while (d[pos] & 0x80)
                value = (value << 7) | (d[pos++] & 0x7F);

            return (value << 7) | d[pos++];
        };

        while (pos < file.getSize())
        {
            tick += number();

            if (d[pos] & 0x80)
                status = d[pos++];

            Bytes bytes { status };
            size_t length = (status & 0xE0) == 0xC0 ? 1 : 2;

            if (status >= 0xF0)
            {
                if (status == 0xFF)
                    bytes.push_back (d[pos++]);

                const auto start = pos;
                length = number();
                bytes.insert (bytes.end(), d + start, d + pos);
            }

            bytes.insert (bytes.end(), d + pos, d + pos + length);
            pos += length;

            if (bytes[0] != 0xFF || bytes[1] != 0x2F)
                events.push_back ({ tick, bytes });
        }

        return events;
    }

    bool isSequencerEvent (const Bytes& event) { return event[0] == 0xFF && event[1] == 0x7F; }

    /** Every field of the played steps, and the tempo, length and steps per bar. */
    juce::String playedFields (const juce::uint8* record)
    {
        juce::String text;
        text << "tempo " << record[Pattern::tempoHigh] * 128 + record[Pattern::tempoLow] << " length " << record[Pattern::patternLength]
             << " steps per bar " << record[Pattern::stepsPerBar] << "\n";

        for (int s = 0; s < Pattern::playedSteps (record); ++s)
            text << s + 1 << ": type " << record[Pattern::stepType + s] << " note " << record[Pattern::stepNote + s]
                 << " level " << record[Pattern::stepLevel + s] << " gate " << record[Pattern::stepGate + s] << "\n";

        return text;
    }

    /** A pattern whose steps are Rests with notes, levels and gates of their
        own, but for the steps given as (step, type, note, level, gate). */
    struct StepsGiven
    {
        const char* what;
        int type, perBar, bars;
        std::vector<std::tuple<int, int, int, int, int>> steps;

        void writeTo (juce::uint8* record) const
        {
            record[Pattern::type] = (juce::uint8) type;
            record[Pattern::stepsPerBar] = perBar == 16 ? 1 : 0;
            record[Pattern::patternLength] = (juce::uint8) (bars - 1);

            for (int s = 0; s < Pattern::numSteps; ++s)
            {
                record[Pattern::stepType + s] = (juce::uint8) VeskStepTypes::silent (type);
                record[Pattern::stepNote + s] = (juce::uint8) (90 + s);
                record[Pattern::stepLevel + s] = (juce::uint8) (3 * s);
                record[Pattern::stepGate + s] = (juce::uint8) (2 * s);
            }

            for (auto& [s, stepType, note, level, gate] : steps)
            {
                record[Pattern::stepType + s] = (juce::uint8) stepType;
                record[Pattern::stepNote + s] = (juce::uint8) note;
                record[Pattern::stepLevel + s] = (juce::uint8) level;
                record[Pattern::stepGate + s] = (juce::uint8) gate;
            }
        }
    };

    constexpr int normal = StepType::normal, tie = StepType::tie, slide = StepType::slide, accent = StepType::accent;
}

TEST (VeskMidiFile, ExportThenImportGivesThePatternBack)
{
    juce::Random random (17);

    for (int type : { PartType::lead, PartType::bass, PartType::rythm })
        for (int perBar : { 12, 16 })
            for (int bars : { 1, 2 })
                for (int round = 0; round < 4; ++round)
                {
                    SCOPED_TRACE (juce::String (type) + " " + juce::String (perBar) + " steps x " + juce::String (bars) + " round " + juce::String (round));
                    Image image;
                    auto* record = image.record (3);
                    const int tenths = 400 + random.nextInt (2001);
                    record[Pattern::type] = (juce::uint8) type;
                    record[Pattern::tempoHigh] = (juce::uint8) (tenths >> 7);
                    record[Pattern::tempoLow] = (juce::uint8) (tenths & 127);
                    record[Pattern::stepsPerBar] = perBar == 16 ? 1 : 0;
                    record[Pattern::patternLength] = (juce::uint8) (bars - 1);
                    const int numSteps = perBar * bars;
                    fillSteps (record, numSteps, random);

                    // Two bars need a note in the second, as the import decides by that.
                    if (bars == 2)
                        record[Pattern::stepType + numSteps - 1] = StepType::normal;

                    const auto file = VeskMidiFile::exportPattern (image.data(), slotBlock (3));

                    // Over its own pattern: nothing changes, not even what is not heard.
                    Image same = image;
                    EXPECT_EQ (VeskMidiFile::importInto (file.getData(), file.getSize(), same.data(), slotBlock (3)).message, "imported " + juce::String (numSteps) + " steps");
                    EXPECT_TRUE (same.bytes == image.bytes);

                    // Into a default pattern of the same type: all that is heard, also
                    // from a file without our own event, as other programs write it.
                    auto events = eventsOf (file);
                    events.erase (std::remove_if (events.begin(), events.end(), [] (auto& e)
                                                  { return isSequencerEvent (e.second); }),
                                  events.end());
                    const auto foreign = header (0, 1, 480) + track (events);
                    ASSERT_LT (foreign.size(), file.getSize());

                    for (auto [data, size] : { std::pair (file.getData(), file.getSize()), std::pair ((const void*) foreign.data(), foreign.size()) })
                    {
                        SCOPED_TRACE (size == file.getSize() ? "as exported" : "without its own event");
                        Image other;
                        other.record (7)[Pattern::type] = (juce::uint8) type;
                        ASSERT_FALSE (VeskMidiFile::importInto (data, size, other.data(), slotBlock (7)).failed);
                        auto* back = other.record (7);

                        for (int offset : { (int) Pattern::tempoHigh, (int) Pattern::tempoLow, (int) Pattern::patternLength, (int) Pattern::stepsPerBar, (int) Pattern::type })
                            EXPECT_EQ (back[offset], record[offset]) << "offset " << offset;

                        EXPECT_EQ (sounding (back, numSteps), sounding (record, numSteps));
                    }
                }
}

TEST (VeskMidiFile, ExportNamesTheFileAndRefusesPatternsWithoutNotes)
{
    Image image;
    image.record (3)[Pattern::type] = PartType::bass;
    image.record (0)[Pattern::type] = PartType::rythm;
    image.record (5)[Pattern::type] = PartType::lineIn;

    EXPECT_EQ (VeskMidiFile::suggestedFileName (image.data(), slotBlock (3)), "User 03 - Bass.mid");
    EXPECT_EQ (VeskMidiFile::trackName (image.data(), slotBlock (0)), "Temporary - Rythm");
    EXPECT_TRUE (VeskMidiFile::whyNoNotes (image.data(), slotBlock (3)).isEmpty());
    EXPECT_EQ (VeskMidiFile::whyNoNotes (image.data(), slotBlock (5)), "User 05 is a Line In pattern, whose steps play no notes; only Lead, Bass and Rythm patterns do");
    EXPECT_EQ (VeskMidiFile::exportPattern (image.data(), slotBlock (5)).getSize(), 0u);

    // The Rythm pattern plays on channel 10, the others on channel 1.
    for (auto [slot, channel] : { std::pair (0, 9), std::pair (3, 0) })
    {
        const auto file = VeskMidiFile::exportPattern (image.data(), slotBlock (slot));
        auto* bytes = static_cast<const juce::uint8*> (file.getData());
        EXPECT_NE (std::find (bytes, bytes + file.getSize(), 0x90 | channel), bytes + file.getSize()) << slot;
        EXPECT_EQ (std::find (bytes, bytes + file.getSize(), 0x90 | (9 - channel)), bytes + file.getSize()) << slot;
    }

    Image lineIn = image;
    const auto file = VeskMidiFile::exportPattern (image.data(), slotBlock (3));
    const auto result = VeskMidiFile::importInto (file.getData(), file.getSize(), lineIn.data(), slotBlock (5));
    EXPECT_TRUE (result.failed);
    EXPECT_TRUE (lineIn.bytes == image.bytes);
}

TEST (VeskMidiFile, ImportRules)
{
    constexpr juce::uint32 q = 480, x = 120; // a quarter and a sixteenth at 480 ticks per quarter
    const auto melody = [] (int key)
    { return track (notes ({ { 0, key, 120, 64 } })); };
    const auto conductor = track ({ { 0, tempo (500000) }, { 960, tempo (250000) } });

    struct Case
    {
        const char* what;
        int type;
        Bytes file;
        int length, stepsPerBar; // what the pattern becomes
        std::vector<std::tuple<int, int, int, int, int>> steps; // step, type, note, level, gate (-1: unchanged)
        const char* message;
        int tempo = 1300, track = -1; // the defaults' tempo stays without a tempo event
    };

    const Case cases[] = {
        { "nearest step", PartType::lead, header (0, 1, q) + track (notes ({ { 59, 60, 60, 100 }, { 61, 62, 60, 90 }, { 2 * x + 20, 64, 120, 80 } })), 0, 16, { { 0, 0, 60, 100, 50 }, { 1, 0, 62, 90, 50 }, { 2, 0, 64, 80, 100 }, { 3, 3, -1, -1, -1 } }, "imported 16 steps" },
        { "highest wins for Lead", PartType::lead, header (0, 1, q) + track (notes ({ { 0, 48, x, 100 }, { 0, 72, x, 101 }, { 0, 60, x, 102 } })), 0, 16, { { 0, 0, 72, 101, 100 } }, "imported 16 steps" },
        { "lowest wins for Bass", PartType::bass, header (0, 1, q) + track (notes ({ { 0, 48, x, 100 }, { 0, 36, x, 101 }, { 0, 60, x, 102 } })), 0, 16, { { 0, 0, 36, 101, 100 } }, "imported 16 steps" },
        { "triplets", PartType::bass, header (0, 1, q) + track (notes ({ { 0, 40, 160, 64 }, { 160, 41, 80, 64 }, { 320, 42, 160, 64 } })), 0, 12, { { 1, 0, 41, 64, 50 }, { 2, 0, 42, 64, 100 } }, "imported 12 steps" },
        { "beats alone are sixteenths", PartType::bass, header (0, 1, q) + track (notes ({ { 0, 40, x, 64 }, { q, 41, x, 64 } })), 0, 16, { { 4, 0, 41, 64, 100 } }, "imported 16 steps" },
        { "a sixteenth among triplets", PartType::bass, header (0, 1, q) + track (notes ({ { 0, 40, x, 64 }, { 160, 41, x, 64 }, { x, 42, x, 64 } })), 0, 16, { { 1, 0, 41, 64, 100 } }, "imported 16 steps" },
        { "a note in bar two", PartType::lead, header (0, 1, q) + track (notes ({ { 16 * x, 70, x, 64 } })), 1, 16, { { 0, 3, -1, -1, -1 }, { 16, 0, 70, 64, 100 } }, "imported 32 steps" },
        { "notes beyond 32 steps", PartType::lead, header (0, 1, q) + track (notes ({ { 0, 60, x, 64 }, { 31 * x, 61, x, 64 }, { 32 * x, 62, x, 64 }, { 40 * x, 63, x, 64 } })), 1, 16, { { 31, 0, 61, 64, 100 } }, "imported 32 steps; 2 notes after step 32 were left out" },
        { "one note beyond 24 steps", PartType::lead, header (0, 1, q) + track (notes ({ { 0, 60, 160, 64 }, { 13 * 160, 61, 160, 64 }, { 24 * 160, 62, 160, 64 } })), 1, 12, { { 13, 0, 61, 64, 100 } }, "imported 24 steps; 1 note after step 24 was left out" },
        { "long notes tie over empty steps", PartType::lead, header (0, 1, q) + track (notes ({ { 0, 60, 3 * x + 60, 64 }, { 4 * x, 62, x + 6, 64 } })), 0, 16, { { 0, 0, 60, 64, -1 }, { 1, 1, -1, -1, -1 }, { 2, 1, -1, -1, -1 }, { 3, 1, -1, -1, 50 }, { 4, 0, 62, 64, 105 }, { 5, 3, -1, -1, -1 } }, "imported 16 steps" },
        { "overlapping the next note is a slide", PartType::bass, header (0, 1, q) + track (notes ({ { 0, 40, 2 * x + 30, 64 }, { 2 * x, 43, x, 64 } })), 0, 16, { { 0, 2, 40, 64, -1 }, { 1, 1, -1, -1, -1 }, { 2, 0, 43, 64, 100 } }, "imported 16 steps" },
        { "the accent controller", PartType::bass, header (0, 1, q) + track ({ { 0, { 0xB0, 80, 127 } }, { 0, { 0x90, 40, 90 } }, { x, { 0x80, 40, 0 } }, { x, { 0x90, 41, 90 } }, { x, { 0xB0, 80, 0 } }, { 2 * x, { 0x90, 41, 0 } }, { 2 * x, { 0x90, 42, 90 } }, { 3 * x, { 0x80, 42, 0 } } }), 0, 16, { { 0, 4, 40, 90, 100 }, { 1, 0, 41, 90, 100 }, { 2, 0, 42, 90, 100 } }, "imported 16 steps" },
        { "another resolution", PartType::lead, header (0, 1, 96) + track (notes ({ { 0, 60, 24, 64 }, { 24 * 5, 61, 12, 64 } })), 0, 16, { { 0, 0, 60, 64, 100 }, { 5, 0, 61, 64, 50 } }, "imported 16 steps" },
        { "the first tempo event", PartType::lead, header (1, 3, q) + conductor + melody (51) + melody (52), 0, 16, { { 0, 0, 51, 64, 100 } }, "imported 16 steps", 1200 },
        { "a chosen track", PartType::lead, header (1, 3, q) + conductor + melody (51) + melody (52), 0, 16, { { 0, 0, 52, 64, 100 } }, "imported 16 steps", 1200, 3 },
        { "the earliest tempo in any track", PartType::lead, header (1, 2, q) + track ({ { 100, tempo (600000) } }) + melody (53) + track ({ { 0, tempo (400000) } }), 0, 16, { { 0, 0, 53, 64, 100 } }, "imported 16 steps", 1500 },
        { "tempo kept in the unit's range", PartType::lead, header (0, 1, q) + track ({ { 0, tempo (100000) } }) + melody (54), 0, 16, { { 0, 0, 54, 64, 100 } }, "imported 16 steps", 2400 },
        { "tenths of a beat", PartType::lead, header (0, 1, q) + track ({ { 0, tempo (60000000 / 1234 * 10) } }) + melody (55), 0, 16, { { 0, 0, 55, 64, 100 } }, "imported 16 steps", 1234 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        Image image;
        auto* record = image.record (4);
        record[Pattern::type] = (juce::uint8) c.type;
        record[Pattern::stepsPerBar] = c.stepsPerBar == 16 ? 0 : 1; // the opposite of what comes
        record[Pattern::patternLength] = (juce::uint8) (1 - c.length);
        const Image before = image;

        EXPECT_EQ (import (c.file, image, 4, c.track).message, c.message);
        EXPECT_EQ (record[Pattern::tempoHigh] * 128 + record[Pattern::tempoLow], c.tempo);
        EXPECT_EQ (record[Pattern::patternLength], c.length);
        EXPECT_EQ (record[Pattern::stepsPerBar], c.stepsPerBar == 16 ? 1 : 0);

        for (auto& [s, type, note, level, gate] : c.steps)
        {
            SCOPED_TRACE ("step " + juce::String (s + 1));
            auto* old = before.bytes.data() + patternRecordOffset (4);
            EXPECT_EQ (record[Pattern::stepType + s], type);
            EXPECT_EQ (record[Pattern::stepNote + s], note < 0 ? old[Pattern::stepNote + s] : note);
            EXPECT_EQ (record[Pattern::stepLevel + s], level < 0 ? old[Pattern::stepLevel + s] : level);
            EXPECT_EQ (record[Pattern::stepGate + s], gate < 0 ? old[Pattern::stepGate + s] : gate);
        }

        // The type and the sound, other records and the system block stay.
        for (int i = 0; i < imageSize; ++i)
        {
            const int offset = i - patternRecordOffset (4);

            if (offset < 0 || offset >= patternSize || (offset > Pattern::stepsPerBar && offset < Pattern::stepNote))
            {
                ASSERT_EQ (image.bytes[(size_t) i], before.bytes[(size_t) i]) << "image offset " << i;
            }
        }
    }
}

TEST (VeskMidiFile, HostileFilesChangeNothing)
{
    const auto good = track (notes ({ { 0, 60, 120, 64 } }));
    const auto manyNotes = track (std::vector<std::pair<juce::uint32, Bytes>> ((size_t) VeskMidiFile::maxNotes + 1, { 0, { 0x90, 60, 64 } }));

    struct Case
    {
        const char* what;
        Bytes file;
        const char* message;
        int track = -1;
    };

    const Case cases[] = {
        { "empty", {}, "is not a MIDI file" },
        { "text", { 'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd' }, "is not a MIDI file" },
        { "a short header", Bytes { 'M', 'T', 'h', 'd', 0, 0, 0, 2, 0, 0 } + good, "its header holds 2 bytes, not 6" },
        { "a header past the end", Bytes { 'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0 }, "is cut short" },
        { "an oversized chunk", header (0, 1, 480) + Bytes { 'M', 'T', 'r', 'k', 0xFF, 0xFF, 0xFF, 0xFF, 0 }, "track 1 says it holds 4,294,967,295 bytes" },
        { "a track beyond the file", header (0, 1, 480) + Bytes (good.begin(), good.end() - 3), "is cut short" },
        { "an unknown chunk beyond the file", header (0, 1, 480) + good + Bytes { 'X', 'Y', 'Z', 'W', 0, 0, 1, 0 }, "a chunk says it holds 256 bytes" },
        { "bytes after the last chunk", header (0, 1, 480) + good + Bytes { 'M', 'T' }, "are not a chunk" },
        { "fewer tracks than announced", header (1, 3, 480) + good, "announces 3 tracks and it holds 1" },
        { "0 ticks per quarter", header (0, 1, 0) + good, "has 0 ticks per quarter note" },
        { "SMPTE timing", header (0, 1, 0xE728) + good, "SMPTE" },
        { "an unknown format", header (7, 1, 480) + good, "format 7" },
        { "only controllers", header (0, 1, 480) + track ({ { 0, { 0xB0, 7, 100 } }, { 10, { 0xB0, 80, 127 } } }), "holds no notes" },
        { "no such track", header (0, 1, 480) + good, "has no track 2 (it has 1)", 2 },
        { "no notes in the chosen track", header (1, 2, 480) + track ({}) + good, "holds no notes in track 1", 1 },
        { "data without a status", header (0, 1, 480) + track ({ { 0, { 60, 64 } } }), "a data byte where an event should start" },
        { "a meta event past the track", header (0, 1, 480) + Bytes { 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x51, 9 }, "runs past the end of the track" },
        { "a time of five bytes", header (0, 1, 480) + Bytes { 'M', 'T', 'r', 'k', 0, 0, 0, 6, 0x81, 0x81, 0x81, 0x81, 0x01, 0 }, "a time that runs past" },
        { "a time with no event", header (0, 1, 480) + Bytes { 'M', 'T', 'r', 'k', 0, 0, 0, 5, 0, 0xC0, 5, 0x81, 0x00 }, "a time that runs past" },
        { "a note cut short", header (0, 1, 480) + Bytes { 'M', 'T', 'r', 'k', 0, 0, 0, 3, 0, 0x90, 60 }, "runs past the end of the track" },
        { "a status byte as data", header (0, 1, 480) + track ({ { 0, { 0x90, 60, 0x90 } } }), "a data byte above 127" },
        { "notes only after two bars", header (0, 1, 480) + track (notes ({ { 33 * 120, 60, 120, 64 }, { 40 * 120, 61, 120, 64 } })), "has no note in the pattern's 32 steps (all 2 start after step 32)" },
        { "too many notes", header (0, 1, 480) + manyNotes, "has more than 100,000 notes in track 1" },
        { "over the size bound", Bytes (VeskMidiFile::maxFileSize + 1, 0), "is larger than 4 MiB" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        Image image;
        const Image before = image;
        const auto result = import (c.file, image, 2, c.track);
        EXPECT_TRUE (result.failed);
        EXPECT_TRUE (result.message.contains (c.message)) << result.message;
        EXPECT_TRUE (image.bytes == before.bytes);
    }

    // Many tracks, each of them read, still find the notes and the tempo.
    Bytes many = header (1, 20001, 480);

    const auto empty = track ({});

    for (int i = 0; i < 20000; ++i)
        many.insert (many.end(), empty.begin(), empty.end());

    Image image;
    EXPECT_EQ (import (many + track ({ { 0, tempo (500000) } }) + good, image, 2).message, "imported 16 steps");
    EXPECT_EQ (image.record (2)[Pattern::stepNote], 60);
}

TEST (VeskMidiFile, TheWorstFilesWithinTheBoundsAreReadWhole)
{
    for (const auto& file : HostileMidiFiles::all())
    {
        SCOPED_TRACE (file.what);
        ASSERT_LE (file.bytes.size(), VeskMidiFile::maxFileSize);
        ASSERT_GT (file.bytes.size(), VeskMidiFile::maxFileSize - 16) << "filled up to the bound";

        Image image;
        image.record (2)[Pattern::type] = PartType::lead;
        const Image before = image;
        const auto result = import (file.bytes, image, 2);

        if (file.firstStep < 0)
        {
            EXPECT_TRUE (result.failed);
            EXPECT_TRUE (result.message.contains (file.message)) << result.message;
            EXPECT_TRUE (image.bytes == before.bytes);
        }
        else
        {
            EXPECT_EQ (result.message, file.message);
            EXPECT_EQ (image.record (2)[Pattern::stepType], file.firstStep);
        }
    }
}

TEST (VeskMidiFile, OwnFilesBringBackWhatTheirNotesCannotSay)
{
    const StepsGiven cases[] = {
        { "12 steps whose notes all fall on quarters", PartType::rythm, 12, 1, { { 0, normal, 36, 100, 50 }, { 3, normal, 36, 100, 50 }, { 6, normal, 36, 100, 50 }, { 9, normal, 36, 100, 50 } } },
        { "a second bar of Rests", PartType::bass, 16, 2, { { 0, normal, 40, 90, 80 }, { 8, accent, 43, 90, 80 } } },
        { "a Tie after a Rest", PartType::lead, 16, 1, { { 0, normal, 60, 90, 80 }, { 2, tie, 61, 91, 81 }, { 3, normal, 62, 92, 82 } } },
        { "a Tie on the first step", PartType::lead, 12, 1, { { 0, tie, 60, 90, 80 }, { 1, normal, 62, 92, 82 } } },
        { "level 0", PartType::bass, 16, 1, { { 0, normal, 40, 0, 80 }, { 1, accent, 41, 0, 80 } } },
        { "a Slide into a Rest", PartType::bass, 16, 1, { { 0, slide, 40, 90, 80 }, { 2, normal, 41, 90, 80 } } },
        { "a Tie that ends early in its step", PartType::lead, 16, 1, { { 0, normal, 60, 90, 80 }, { 1, tie, 0, 0, 3 }, { 2, normal, 62, 90, 80 } } },
        { "a Slide into a short note of its own key", PartType::bass, 16, 1, { { 0, slide, 40, 90, 80 }, { 1, normal, 40, 90, 20 } } },
        { "a long note into a note of no length on its key", PartType::lead, 16, 1, { { 0, normal, 60, 90, 105 }, { 1, normal, 60, 90, 0 } } },
        { "two bars of triplets", PartType::lead, 12, 2, { { 0, accent, 60, 127, 100 }, { 12, normal, 60, 1, 0 } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        Image image;
        c.writeTo (image.record (3));
        const auto file = VeskMidiFile::exportPattern (image.data(), slotBlock (3));

        Image other;
        other.record (7)[Pattern::type] = (juce::uint8) c.type;
        EXPECT_FALSE (VeskMidiFile::importInto (file.getData(), file.getSize(), other.data(), slotBlock (7)).failed);
        EXPECT_EQ (playedFields (other.record (7)), playedFields (image.record (3)));
    }
}

TEST (VeskMidiFile, EveryPlayedFieldOfARandomPatternComesBack)
{
    constexpr juce::int64 seed = 20240611;
    juce::Random random (seed);
    const int types[] = { PartType::lead, PartType::bass, PartType::rythm };

    for (int t = 0; t < 3; ++t)
        for (int perBar : { 12, 16 })
            for (int bars : { 1, 2 })
                for (int round = 0; round < 25; ++round)
                {
                    SCOPED_TRACE ("seed " + juce::String (seed) + ": type " + juce::String (types[t]) + ", " + juce::String (perBar) + " steps x "
                                  + juce::String (bars) + ", round " + juce::String (round));
                    Image image;
                    auto* record = image.record (3);
                    const int tenths = 400 + random.nextInt (2001);
                    record[Pattern::type] = (juce::uint8) types[t];
                    record[Pattern::tempoHigh] = (juce::uint8) (tenths >> 7);
                    record[Pattern::tempoLow] = (juce::uint8) (tenths & 127);
                    record[Pattern::stepsPerBar] = perBar == 16 ? 1 : 0;
                    record[Pattern::patternLength] = (juce::uint8) (bars - 1);

                    for (int s = 0; s < Pattern::numSteps; ++s)
                    {
                        record[Pattern::stepType + s] = (juce::uint8) random.nextInt (StepType::numTypes);
                        record[Pattern::stepNote + s] = (juce::uint8) random.nextInt (128);
                        record[Pattern::stepLevel + s] = (juce::uint8) random.nextInt (128);
                        record[Pattern::stepGate + s] = (juce::uint8) random.nextInt (Pattern::maxGate + 1);
                    }

                    // One note at least: a file without notes is refused.
                    record[Pattern::stepType + random.nextInt (perBar * bars)] = StepType::normal;
                    const auto file = VeskMidiFile::exportPattern (image.data(), slotBlock (3));

                    Image same = image;
                    EXPECT_FALSE (VeskMidiFile::importInto (file.getData(), file.getSize(), same.data(), slotBlock (3)).failed);
                    EXPECT_TRUE (same.bytes == image.bytes);

                    // Into another pattern whose steps mean the same (a Lead's into a
                    // Bass, a Rythm's into another Rythm): the played steps come back,
                    // the type, the sound and the steps after the played ones stay.
                    Image other;
                    auto* into = other.record (7);
                    into[Pattern::type] = (juce::uint8) (types[t] == PartType::lead ? PartType::bass : (types[t] == PartType::bass ? PartType::lead : PartType::rythm));
                    into[Pattern::filterCutoffOrBdLevel] = 3;
                    Image expected = other;
                    std::copy (record, record + Pattern::stepsPerBar + 1, expected.record (7));

                    for (int array : { (int) Pattern::stepNote, (int) Pattern::stepLevel, (int) Pattern::stepGate, (int) Pattern::stepType })
                        std::copy (record + array, record + array + perBar * bars, expected.record (7) + array);

                    EXPECT_FALSE (VeskMidiFile::importInto (file.getData(), file.getSize(), other.data(), slotBlock (7)).failed);
                    EXPECT_EQ (playedFields (into), playedFields (record));
                    EXPECT_TRUE (other.bytes == expected.bytes);
                }
}

TEST (VeskMidiFile, RythmStepsPlayAsTheGridLabelsThem)
{
    // "C ", "O ", "CA", "OA" and the blank on steps 1 to 5, the rest blank.
    constexpr int closed = VeskStepTypes::closed, open = VeskStepTypes::open, closedAccent = VeskStepTypes::closedAccent,
                  openAccent = VeskStepTypes::openAccent, empty = VeskStepTypes::empty;
    const StepsGiven drums { "drums", PartType::rythm, 16, 1, { { 0, closed, 36, 100, 50 }, { 1, open, 42, 90, 50 }, { 2, closedAccent, 38, 80, 50 }, { 3, openAccent, 46, 70, 50 }, { 4, empty, 49, 60, 50 } } };
    Image image;
    drums.writeTo (image.record (3));
    const auto file = VeskMidiFile::exportPattern (image.data(), slotBlock (3));

    // One note per hit on channel 10, marked by the accent and the open controllers.
    juce::StringArray played;
    std::map<int, int> controllers;

    for (auto& [tick, bytes] : eventsOf (file))
    {
        if (bytes[0] == 0xB9)
            controllers[bytes[1]] = bytes[2];

        if (bytes[0] == 0x99 && bytes[2] > 0)
            played.add (juce::String ((int) tick) + " key " + juce::String (bytes[1]) + " accent " + juce::String (controllers[VeskMidiFile::accentController])
                        + " open " + juce::String (controllers[VeskMidiFile::openController]));
    }

    EXPECT_EQ (played.joinIntoString (", "), "0 key 36 accent 0 open 0, 120 key 42 accent 0 open 127, 240 key 38 accent 127 open 0, 360 key 46 accent 127 open 127");

    // Read by its notes alone (as another program's file), into a Rythm
    // pattern that held Lead-like bytes: every hit comes back, the steps
    // without a note are blank, and no long note becomes an open hit.
    auto events = eventsOf (file);
    events.erase (std::remove_if (events.begin(), events.end(), [] (auto& e)
                                  { return isSequencerEvent (e.second) || (e.second[0] == 0x89 && e.second[1] == 36); }),
                  events.end());
    events.push_back ({ 1000, { 0x89, 36, 0 } }); // the first hit held over eight steps
    std::stable_sort (events.begin(), events.end(), [] (auto& a, auto& b)
                      { return a.first < b.first; });

    Image other;
    auto* into = other.record (7);
    into[Pattern::type] = PartType::rythm;
    std::fill (into + Pattern::stepType, into + Pattern::stepType + Pattern::numSteps, StepType::rest);
    ASSERT_FALSE (import (header (0, 1, 480) + track (events), other, 7).failed);

    for (int s = 0; s < 16; ++s)
    {
        SCOPED_TRACE (s);
        EXPECT_EQ (into[Pattern::stepType + s], s < 4 ? image.record (3)[Pattern::stepType + s] : (int) empty);
    }

    EXPECT_EQ (into[Pattern::stepGate], Pattern::maxGate);

    // A Lead line into a Rythm pattern: hits where its notes start, blank elsewhere.
    const StepsGiven line { "line", PartType::lead, 16, 1, { { 0, normal, 60, 100, 80 }, { 1, tie, 0, 0, 80 }, { 2, slide, 62, 100, 80 }, { 3, accent, 64, 100, 80 } } };
    Image lead;
    line.writeTo (lead.record (3));
    const auto leadFile = VeskMidiFile::exportPattern (lead.data(), slotBlock (3));
    Image drumsFromLine;
    drumsFromLine.record (7)[Pattern::type] = PartType::rythm;
    ASSERT_FALSE (VeskMidiFile::importInto (leadFile.getData(), leadFile.getSize(), drumsFromLine.data(), slotBlock (7)).failed);
    const auto* hits = drumsFromLine.record (7) + Pattern::stepType;
    EXPECT_EQ (juce::String::toHexString (hits, 6), "00 04 00 02 04 04");
}

TEST (VeskMidiFile, AnOlderExportOfARythmPatternComesBackAsItWas)
{
    // An older build wrote a Rythm pattern's notes as a Lead's steps play
    // ("O " held the hit before, "OA" was silent, the blank accented): its
    // file brings back the pattern's bytes exactly, as it always did.
    const StepsGiven drums { "drums", PartType::lead, 16, 1, { { 0, 0, 36, 100, 50 }, { 1, 1, 42, 90, 50 }, { 2, 2, 38, 80, 50 }, { 3, 3, 46, 70, 50 }, { 4, 4, 49, 60, 50 }, { 6, 0, 36, 100, 50 } } };
    Image image;
    drums.writeTo (image.record (3));
    auto events = eventsOf (VeskMidiFile::exportPattern (image.data(), slotBlock (3)));

    for (const juce::uint8 version : { VeskMidiSteps::leadMeaningVersion, VeskMidiSteps::version })
    {
        SCOPED_TRACE ((int) version);

        for (auto& e : events)
            if (isSequencerEvent (e.second))
                e.second[3 + VeskMidiSteps::prefix().size()] = version;

        Image other;
        auto* into = other.record (7);
        into[Pattern::type] = PartType::rythm;
        ASSERT_FALSE (import (header (0, 1, 480) + track (events), other, 7).failed);

        // A file of today says the steps play otherwise: it is read by its notes.
        const bool asItWas = version == VeskMidiSteps::leadMeaningVersion;
        EXPECT_EQ (playedFields (into) == playedFields (image.record (3)), asItWas);
        EXPECT_EQ (into[Pattern::stepType + 3], asItWas ? 3 : VeskStepTypes::empty);
    }
}

TEST (VeskMidiFile, OwnFilesChangedElsewhereAreReadByTheirNotes)
{
    // Kicks on every beat of a 12-step bar, accented and open ones, and level 0.
    constexpr int closed = VeskStepTypes::closed, open = VeskStepTypes::open, closedAccent = VeskStepTypes::closedAccent, empty = VeskStepTypes::empty;
    const StepsGiven kicks { "kicks", PartType::rythm, 12, 1, { { 0, closed, 36, 100, 50 }, { 3, closed, 36, 0, 50 }, { 6, closedAccent, 36, 100, 50 }, { 9, open, 36, 100, 50 } } };
    Image image;
    kicks.writeTo (image.record (3));
    const auto events = eventsOf (VeskMidiFile::exportPattern (image.data(), slotBlock (3)));

    /** Changes the event of the nth note-on. */
    const auto withNote = [&] (int n, std::function<void (std::pair<juce::uint32, Bytes>&)> change)
    {
        auto changed = events;

        for (auto& e : changed)
            if ((e.second[0] & 0xF0) == 0x90 && n-- == 0)
                change (e);

        std::stable_sort (changed.begin(), changed.end(), [] (auto& a, auto& b)
                          { return a.first < b.first; });
        return header (0, 1, 480) + track (changed);
    };

    auto atTwiceTheResolution = events;

    for (auto& e : atTwiceTheResolution)
        e.first *= 2;

    auto withoutOwnEvent = events;
    withoutOwnEvent.erase (std::remove_if (withoutOwnEvent.begin(), withoutOwnEvent.end(), [] (auto& e)
                                           { return isSequencerEvent (e.second); }),
                           withoutOwnEvent.end());

    struct Case
    {
        const char* what;
        Bytes file;
        int stepsPerBar, bars;
        std::vector<std::pair<int, int>> types; // (step, type) after the import
        std::pair<int, int> level; // (step, level)
    };

    const Case cases[] = {
        { "as exported but at 960 ticks a quarter", header (0, 1, 960) + track (atTwiceTheResolution), 12, 1, { { 5, empty }, { 7, closedAccent }, { 10, open } }, { 4, 0 } },
        { "without its own event: the guesses", header (0, 1, 480) + track (withoutOwnEvent), 16, 1, { { 2, empty }, { 5, closed }, { 9, closedAccent }, { 13, open } }, { 5, 1 } },
        { "a velocity changed: the grid stays", withNote (1, [] (auto& e)
                                                          { e.second[2] = 99; }),
          12,
          1,
          { { 6, empty }, { 7, closedAccent } },
          { 4, 99 } },
        { "a note started off the triplets, running into the next", withNote (1, [] (auto& e)
                                                                              { e.first += 120; }),
          16,
          1,
          { { 5, empty }, { 6, closed } },
          { 6, 1 } },
        { "a note moved into a second bar", withNote (3, [] (auto& e)
                                                      { e.first += 1920; }),
          12,
          2,
          { { 10, empty }, { 22, open } },
          { 4, 1 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        Image other;
        auto* into = other.record (7);
        into[Pattern::type] = PartType::rythm;
        const auto result = import (c.file, other, 7);
        ASSERT_FALSE (result.failed) << result.message;
        EXPECT_EQ (into[Pattern::stepsPerBar], c.stepsPerBar == 16 ? 1 : 0);
        EXPECT_EQ (into[Pattern::patternLength], c.bars - 1);
        EXPECT_EQ (into[Pattern::stepLevel + c.level.first - 1], c.level.second) << "level of step " << c.level.first;

        for (auto [step, type] : c.types)
            EXPECT_EQ (into[Pattern::stepType + step - 1], type) << "step " << step;
    }
}

TEST (VeskMidiFile, ImportFromABarAndAChannelOfAnotherProgramsFile)
{
    // A count-in bar of clicks on channel 1, then a melody on channel 1 and drums on channel 10.
    constexpr juce::uint32 x = 120, bar = 16 * x;
    auto on = [] (int channel, int key)
    { return Bytes { (juce::uint8) (0x90 + channel - 1), (juce::uint8) key, 100 }; };
    auto off = [] (int channel, int key)
    { return Bytes { (juce::uint8) (0x80 + channel - 1), (juce::uint8) key, 0 }; };
    std::vector<std::pair<juce::uint32, Bytes>> events;

    for (juce::uint32 beat = 0; beat < 4; ++beat)
        events.insert (events.end(), { { beat * 4 * x, on (1, 37) }, { beat * 4 * x + x, off (1, 37) } });

    events.insert (events.end(), { { bar, on (1, 60) }, { bar, on (10, 36) }, { bar + x, off (1, 60) }, { bar + x, off (10, 36) }, { bar + 2 * x, on (10, 38) }, { bar + 3 * x, off (10, 38) } });
    const auto file = header (0, 1, 480) + track (events);

    struct Case
    {
        const char* what;
        int type, bar, channel;
        const char* message;
        int firstStep, thirdStep, seventeenthStep; // a note, or -1 for a Rest, -2 for unchanged
    };

    const Case cases[] = {
        { "the count-in too", PartType::lead, 1, 0, "imported 32 steps", 37, -1, 60 },
        { "from bar 2", PartType::lead, 2, 0, "imported 16 steps", 60, 38, -2 },
        { "one channel", PartType::lead, 2, 1, "imported 16 steps", 60, -1, -2 },
        { "Rythm takes channel 10", PartType::rythm, 1, 0, "imported 32 steps", -1, -1, 36 },
        { "Rythm from bar 2", PartType::rythm, 2, 0, "imported 16 steps", 36, 38, -2 },
        { "a chosen channel wins", PartType::rythm, 2, 1, "imported 16 steps", 60, -1, -2 },
        { "a channel without notes", PartType::lead, 1, 5, "has no notes on channel 5 in track 1", -2, -2, -2 },
        { "past the last note", PartType::lead, 3, 0, "has no notes from bar 3 in track 1", -2, -2, -2 },
        { "bar 0", PartType::lead, 0, 0, nullptr, -2, -2, -2 },
        { "channel 17", PartType::lead, 1, 17, nullptr, -2, -2, -2 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        Image image;
        auto* record = image.record (2);
        record[Pattern::type] = (juce::uint8) c.type;
        const Image before = image;

        VeskMidiFile::ImportOptions options;
        options.bar = c.bar;
        options.channel = c.channel;
        const auto result = VeskMidiFile::importInto (file.data(), file.size(), image.data(), slotBlock (2), options);

        if (c.firstStep == -2)
        {
            EXPECT_TRUE (result.failed);
            EXPECT_TRUE (c.message == nullptr || result.message == c.message) << result.message;
            EXPECT_EQ (image.bytes, before.bytes);
            continue;
        }

        EXPECT_EQ (result.message, c.message);
        const std::pair<int, int> expected[] = { { 0, c.firstStep }, { 2, c.thirdStep }, { 16, c.seventeenthStep } };

        for (const auto& [step, note] : expected)
        {
            SCOPED_TRACE (step);

            if (note == -1)
            {
                EXPECT_EQ (record[Pattern::stepType + step], VeskStepTypes::silent (c.type));
            }
            else if (note >= 0)
            {
                EXPECT_EQ (record[Pattern::stepNote + step], note);
            }
        }
    }

    VeskMidiFile::Survey survey;
    ASSERT_TRUE (VeskMidiFile::survey (file.data(), file.size(), -1, survey).wasOk());
    EXPECT_EQ (survey.bars, 2);
    EXPECT_EQ (survey.notesPerChannel[0], 5);
    EXPECT_EQ (survey.notesPerChannel[9], 2);
}

TEST (VeskMidiFile, TracksOfferedByNameAndTheTempoInForceAtTheStartBar)
{
    // Another program's song: a tempo map of its own (120 BPM, then 80 at the
    // same tick, 90 from bar 2, 60 a beat later), then parts named, unnamed,
    // named alike, and named without notes.
    constexpr juce::uint32 q = 480, bar = 4 * q;
    auto name = [] (const std::string& text)
    { return Bytes { 0xFF, 0x03 } + vlq ((juce::uint32) text.size()) + Bytes (text.begin(), text.end()); };
    auto part = [&] (const std::string& trackName, int key)
    {
        std::vector<std::pair<juce::uint32, Bytes>> events;

        if (! trackName.empty())
            events.push_back ({ 0, name (trackName) });

        for (auto [tick, bytes] : notes ({ { 0, key, q, 100 }, { bar, key + 1, q, 100 }, { 2 * bar, key + 2, q, 100 } }))
            events.push_back ({ tick, bytes });

        return track (events);
    };
    const auto tempoMap = track ({ { 0, name ("Tempo Map") }, { 0, tempo (500000) }, { 0, tempo (750000) }, { bar, tempo (666667) }, { bar + q, tempo (1000000) } });
    const auto file = header (1, 7, q) + tempoMap + part ("Bass Line", 36) + part ("", 60) + part ("Pad", 48) + part ("Pad", 50)
                      + part ("Caf\xe9\t\x01 ", 70) + track ({ { 0, name ("Silent") } });

    VeskMidiFile::Survey survey;
    ASSERT_TRUE (VeskMidiFile::survey (file.data(), file.size(), -1, survey).wasOk());
    EXPECT_EQ (survey.numTracks, 7);
    EXPECT_EQ (survey.track, 2);
    juce::StringArray offered;

    for (auto& t : survey.tracksWithNotes)
        offered.add (juce::String (t.number) + " " + t.name);

    // Latin-1 where the bytes are not UTF-8; a control character is a space, trimmed.
    EXPECT_EQ (offered.joinIntoString (", "), juce::String (juce::CharPointer_UTF8 ("2 Bass Line, 3 Track 3, 4 Pad (track 4), 5 Pad (track 5), 6 Caf\xc3\xa9")));

    struct Case
    {
        int bar;
        int tenths; // the pattern's tempo
        const char* message;
    };

    const Case cases[] = {
        { 1, 1200, "imported 32 steps; 1 note after step 32 was left out" }, // the first event at the start's tick, as ever
        { 2, 900, "imported 32 steps" }, // the change at the bar, not the one a beat later
        { 3, 600, "imported 16 steps" }, // the last change before the bar
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.bar);
        Image image;
        VeskMidiFile::ImportOptions options;
        options.bar = c.bar;
        options.track = 3;
        const auto result = VeskMidiFile::importInto (file.data(), file.size(), image.data(), slotBlock (2), options);
        EXPECT_EQ (result.message, c.message);
        EXPECT_EQ (Pattern::tempo (image.record (2)), c.tenths);
    }

    // A name past the length kept is cut; valid UTF-8 stays as it is.
    const auto longName = std::string (100, 'x');
    const auto named = header (0, 1, q) + track ({ { 0, name (longName) }, { 0, Bytes { 0x90, 60, 100 } }, { q, Bytes { 0x80, 60, 0 } } });
    ASSERT_TRUE (VeskMidiFile::survey (named.data(), named.size(), -1, survey).wasOk());
    ASSERT_EQ (survey.tracksWithNotes.size(), 1u);
    EXPECT_EQ (survey.tracksWithNotes[0].name, juce::String::repeatedString ("x", VeskSmfReader::maxNameLength));
}
