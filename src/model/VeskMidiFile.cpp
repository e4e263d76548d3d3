#include "VeskMidiFile.h"
#include "BoundedFileReader.h"
#include "VeskFields.h"
#include "VeskImage.h"
#include "VeskMidiSteps.h"
#include "VeskPattern.h"
#include "VeskSmfReader.h"
#include "VeskStepTypes.h"
#include "WholeFileWriter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace
{
    using namespace VeskImage;

    constexpr int stepsPerQuarter (int stepsPerBar) noexcept { return stepsPerBar / 4; }

    // Gate is in hundredths of a step; 105 is the most the unit holds.
    constexpr int fullStep = 100;

    // The unit's tempo range, in tenths of a beat per minute.
    constexpr int minTempo = 400, maxTempo = 2400;

    const juce::uint8* recordOf (const juce::uint8* image, VeskBlock slot) { return image + slot.imageOffset(); }

    struct Layout
    {
        int stepsPerBar, numSteps, stepTicks;
    };

    Layout layoutOf (const juce::uint8* record)
    {
        const VeskPattern pattern (record);
        const int perBar = pattern.stepsPerBar();
        return { perBar, perBar * (pattern.hasSecondBar() ? 2 : 1), VeskMidiFile::ticksPerQuarter / stepsPerQuarter (perBar) };
    }

    /** One event of the exported track; order settles events of one tick:
        the file's settings first, then notes that end, the accent controller,
        notes that start and last the notes of no length. */
    struct Event
    {
        juce::int64 tick;
        int order;
        std::vector<juce::uint8> bytes;
    };

    void writeNumber (std::vector<juce::uint8>& out, juce::uint32 value)
    {
        juce::uint8 bytes[5];
        int n = 0;

        do
        {
            bytes[n++] = (juce::uint8) (value & 0x7F);
            value >>= 7;
        } while (value != 0);

        while (--n > 0)
            out.push_back ((juce::uint8) (bytes[n] | 0x80));

        out.push_back (bytes[0]);
    }

    std::vector<juce::uint8> meta (int type, const std::vector<juce::uint8>& data)
    {
        std::vector<juce::uint8> bytes { 0xFF, (juce::uint8) type };
        writeNumber (bytes, (juce::uint32) data.size());
        bytes.insert (bytes.end(), data.begin(), data.end());
        return bytes;
    }

    /** What sounds: one note per step that starts one. */
    struct Played
    {
        juce::int64 start, end;
        juce::uint8 key, velocity;
        bool accent, open;
    };

    /** partType says what the step types mean: the record's own type, or a
        Lead's for the files of builds that read every pattern's steps so. */
    std::vector<Played> playedNotes (const juce::uint8* record, int partType)
    {
        const auto layout = layoutOf (record);
        const int T = layout.stepTicks;
        const auto* types = record + Pattern::stepType;
        std::vector<Played> played;

        for (int s = 0; s < layout.numSteps; ++s)
        {
            const int type = types[s];

            // Rests, and Ties with no note before them, play nothing.
            if (! VeskStepTypes::starts (partType, type))
                continue;

            int ties = 0;

            while (s + ties + 1 < layout.numSteps && VeskStepTypes::holds (partType, types[s + ties + 1]))
                ++ties;

            const juce::int64 start = (juce::int64) s * T;
            const int gate = std::min ((int) record[Pattern::stepGate + s + ties], Pattern::maxGate);
            const juce::int64 end = VeskStepTypes::slides (partType, type) ? (juce::int64) (s + ties + 1) * T + T / 2
                                                                           : (juce::int64) (s + ties) * T + (gate * T + fullStep / 2) / fullStep;

            played.push_back ({ start, end, (juce::uint8) (record[Pattern::stepNote + s] & 0x7F),
                                (juce::uint8) juce::jlimit (1, 127, (int) record[Pattern::stepLevel + s]),
                                VeskStepTypes::accented (partType, type), VeskStepTypes::isOpen (partType, type) });
        }

        // A note running into the next one of the same key ends no later than
        // that one, so that readers pairing note-offs first come, first served
        // give each its own length.
        for (size_t i = 0; i + 1 < played.size(); ++i)
            if (played[i].key == played[i + 1].key && played[i].end > played[i + 1].start)
                played[i].end = std::min (played[i].end, played[i + 1].end);

        return played;
    }

    /** True when the file's notes are exactly those the steps play: the file
        was not changed elsewhere (a new resolution aside). */
    bool playsAsWritten (const juce::uint8* record, int partType, const VeskSmfReader::Contents& contents)
    {
        const auto played = playedNotes (record, partType);
        const auto& notes = contents.notes;
        const auto Q = (juce::int64) contents.ticksPerQuarter, ours = (juce::int64) VeskMidiFile::ticksPerQuarter;

        if (played.size() != notes.size())
            return false;

        for (size_t i = 0; i < played.size(); ++i)
        {
            const auto& p = played[i];
            const auto& n = notes[i];

            if (n.start * ours != p.start * Q || n.end * ours != p.end * Q || n.key != p.key || n.velocity != p.velocity || n.accent != p.accent
                || n.open != p.open)
                return false;
        }

        return true;
    }

    juce::String slotName (VeskBlock slot) { return slot.name(); }

    juce::String noNotes (const juce::uint8* record, VeskBlock slot)
    {
        return slotName (slot) + " is a " + VeskPattern (record).typeName() + " pattern, whose steps play no notes; only Lead, Bass and Rythm patterns do";
    }

    struct Placed
    {
        int numSteps = 0, notesLeftOut = 0;
        bool anyNote = false;
    };

    /** The guesses, for files of other programs: every note on the nearest
        step of the grid its starts fit, the length as a gate, Ties or a
        Slide. hint is the record our own export carried, if any: its grid
        wins where the notes still fit it, and it has at least its bars. */
    Placed placeNotes (const VeskSmfReader::Contents& contents, const juce::uint8* hint, bool highestWins, juce::uint8* record)
    {
        Placed placed;
        const auto Q = (juce::int64) contents.ticksPerQuarter;
        const auto& notes = contents.notes;

        // The grid: triplets only when every start lies on a triplet and not every
        // one on a sixteenth, both within a 48th of a quarter.
        bool allSixteenths = true, allTriplets = true;

        for (auto& n : notes)
        {
            const auto r16 = (n.start * 4) % Q, r12 = (n.start * 3) % Q;
            allSixteenths = allSixteenths && std::min (r16, Q - r16) * 12 <= Q;
            allTriplets = allTriplets && std::min (r12, Q - r12) * 16 <= Q;
        }

        int perBar = allTriplets && ! allSixteenths ? 12 : 16;

        if (hint != nullptr && (VeskPattern (hint).stepsPerBar() == 16 ? allSixteenths : allTriplets))
            perBar = VeskPattern (hint).stepsPerBar();

        const auto spq = (juce::int64) stepsPerQuarter (perBar);
        auto stepOf = [&] (juce::int64 tick)
        { return (tick * spq * 2 + Q) / (2 * Q); };

        const auto firstAfterBar = std::find_if (notes.begin(), notes.end(), [&] (auto& n)
                                                 { return stepOf (n.start) >= perBar; });
        const int numSteps = firstAfterBar != notes.end() || (hint != nullptr && VeskPattern (hint).hasSecondBar()) ? 2 * perBar : perBar;
        placed.numSteps = numSteps;

        // One note per step: where notes start together the lowest wins for Bass
        // (and Rythm), the highest for Lead.
        std::array<const VeskSmfReader::Note*, Pattern::numSteps> winner {};

        for (auto& n : notes)
        {
            const auto step = stepOf (n.start);

            if (step >= numSteps)
            {
                ++placed.notesLeftOut;
                continue;
            }

            auto*& w = winner[(size_t) step];

            if (w == nullptr || (highestWins ? n.key > w->key : n.key < w->key))
                w = &n;
        }

        placed.anyNote = std::any_of (winner.begin(), winner.end(), [] (auto* w)
                                      { return w != nullptr; });

        // A Rythm hit is one step: no Tie or Slide, its length only a gate.
        const int partType = record[Pattern::type];
        const bool rythm = VeskStepTypes::isRythm (partType);

        for (int s = 0; s < numSteps;)
        {
            const auto* n = winner[(size_t) s];

            if (n == nullptr)
            {
                record[Pattern::stepType + s++] = (juce::uint8) VeskStepTypes::silent (partType);
                continue;
            }

            int next = s + 1;

            while (next < numSteps && winner[(size_t) next] == nullptr)
                ++next;

            // Length in hundredths of a step, rounded to the nearest.
            const auto length = (int) std::min<juce::int64> (((n->end - n->start) * spq * fullStep * 2 + Q) / (2 * Q), 1 << 20);
            const int free = next - s - 1; // steps after this one where nothing starts
            const bool slide = ! rythm && length > free * fullStep + Pattern::maxGate;
            const int ties = slide ? free : (rythm ? 0 : std::max (0, (length - Pattern::maxGate + fullStep - 1) / fullStep));

            record[Pattern::stepNote + s] = (juce::uint8) n->key;
            record[Pattern::stepLevel + s] = (juce::uint8) n->velocity;
            record[Pattern::stepType + s] = (juce::uint8) (rythm ? VeskStepTypes::rythmHit (n->accent, n->open)
                                                                 : (slide ? StepType::slide : n->accent ? StepType::accent
                                                                                                        : StepType::normal));

            for (int t = 1; t <= ties; ++t)
                record[Pattern::stepType + s + t] = StepType::tie;

            // A Slide's gate is not heard: it keeps what it held.
            if (! slide)
                record[Pattern::stepGate + s + ties] = (juce::uint8) std::min (length - ties * fullStep, (int) Pattern::maxGate);

            s += ties + 1;
        }

        record[Pattern::patternLength] = (juce::uint8) (numSteps / perBar - 1);
        record[Pattern::stepsPerBar] = (juce::uint8) (perBar == 16 ? 1 : 0);
        return placed;
    }
}

bool VeskMidiFile::hasNotes (int partType) noexcept
{
    return partType == PartType::lead || partType == PartType::bass || partType == PartType::rythm;
}

juce::String VeskMidiFile::whyNoNotes (const juce::uint8* image, VeskBlock slot)
{
    const auto* record = recordOf (image, slot);
    return hasNotes (record[Pattern::type]) ? juce::String() : noNotes (record, slot);
}

juce::String VeskMidiFile::trackName (const juce::uint8* image, VeskBlock slot)
{
    return slotName (slot) + " - " + VeskPattern (recordOf (image, slot)).typeName();
}

juce::String VeskMidiFile::suggestedFileName (const juce::uint8* image, VeskBlock slot)
{
    return trackName (image, slot) + ".mid";
}

//==============================================================================
juce::MemoryBlock VeskMidiFile::exportPattern (const juce::uint8* image, VeskBlock slot)
{
    const auto* record = recordOf (image, slot);

    if (! hasNotes (record[Pattern::type]))
        return {};

    const auto layout = layoutOf (record);
    const int channel = record[Pattern::type] == PartType::rythm ? 9 : 0;
    std::vector<Event> events;

    const auto name = trackName (image, slot);
    events.push_back ({ 0, -1, meta (0x03, { name.toRawUTF8(), name.toRawUTF8() + name.getNumBytesAsUTF8() }) });

    const auto micros = (juce::uint32) std::lround (600000000.0 / juce::jlimit (1, 16383, VeskPattern (record).tempo()));
    events.push_back ({ 0, -1, meta (0x51, { (juce::uint8) (micros >> 16), (juce::uint8) (micros >> 8), (juce::uint8) micros }) });
    events.push_back ({ 0, -1, meta (0x58, { 4, 2, 24, 8 }) }); // 4/4, a click per quarter

    if (VeskMidiSteps::holdsOnlyValidSteps (record))
        events.push_back ({ 0, -1, meta (0x7F, VeskMidiSteps::write (record)) });

    const int partType = record[Pattern::type];
    const auto played = playedNotes (record, partType);
    juce::int64 lastTick = (juce::int64) layout.numSteps * layout.stepTicks;
    const auto status = (juce::uint8) channel;

    for (const auto& n : played)
    {
        events.push_back ({ n.start, 1, { (juce::uint8) (0xB0 | status), (juce::uint8) accentController, (juce::uint8) (n.accent ? 127 : 0) } });

        if (VeskStepTypes::isRythm (partType))
            events.push_back ({ n.start, 1, { (juce::uint8) (0xB0 | status), (juce::uint8) openController, (juce::uint8) (n.open ? 127 : 0) } });

        events.push_back ({ n.start, 2, { (juce::uint8) (0x90 | status), n.key, n.velocity } });
        events.push_back ({ n.end, n.end > n.start ? 0 : 3, { (juce::uint8) (0x80 | status), n.key, 0 } });
        lastTick = std::max (lastTick, n.end);
    }

    events.push_back ({ lastTick, 4, meta (0x2F, {}) });
    std::stable_sort (events.begin(), events.end(), [] (const Event& a, const Event& b)
                      { return a.tick != b.tick ? a.tick < b.tick : a.order < b.order; });

    std::vector<juce::uint8> track;
    juce::int64 tick = 0;

    for (auto& e : events)
    {
        writeNumber (track, (juce::uint32) (e.tick - tick));
        track.insert (track.end(), e.bytes.begin(), e.bytes.end());
        tick = e.tick;
    }

    juce::MemoryOutputStream file;
    file.write ("MThd", 4);
    file.writeIntBigEndian (6);
    file.writeShortBigEndian (0); // format 0: one track
    file.writeShortBigEndian (1);
    file.writeShortBigEndian ((short) ticksPerQuarter);
    file.write ("MTrk", 4);
    file.writeIntBigEndian ((int) track.size());
    file.write (track.data(), track.size());
    return file.getMemoryBlock();
}

//==============================================================================
VeskMidiFile::ImportResult VeskMidiFile::importFile (const juce::File& file, juce::uint8* image, VeskBlock slot, int track)
{
    ImportOptions options;
    options.track = track;
    return importFile (file, image, slot, options);
}

VeskMidiFile::ImportResult VeskMidiFile::importInto (const void* fileData, size_t size, juce::uint8* image, VeskBlock slot, int track)
{
    ImportOptions options;
    options.track = track;
    return importInto (fileData, size, image, slot, options);
}

VeskMidiFile::ImportResult VeskMidiFile::importFile (const juce::File& file, juce::uint8* image, VeskBlock slot, const ImportOptions& options)
{
    ImportResult result;
    const auto size = file.getSize();

    if (size > (juce::int64) maxFileSize)
    {
        result.message = "is " + juce::String ((double) size / (1024.0 * 1024.0), 1) + " MiB (" + WholeFileWriter::formatCount (size)
                         + " bytes): a MIDI file of a pattern is at most 4 MiB (" + WholeFileWriter::formatCount ((juce::int64) maxFileSize) + " bytes)";
        return result;
    }

    // Read no more than the bound, whatever the size said a moment ago.
    juce::MemoryBlock data;

    if (const auto read = BoundedFileReader::read (file, maxFileSize, data); read.failed())
    {
        result.message = read.getErrorMessage();
        return result;
    }

    return importInto (data.getData(), data.getSize(), image, slot, options);
}

VeskMidiFile::ImportResult VeskMidiFile::importInto (const void* fileData, size_t size, juce::uint8* image, VeskBlock slot, const ImportOptions& options)
{
    const int track = options.track;
    ImportResult result;
    auto* target = image + slot.imageOffset();

    if (! VeskMidiImportChoices::isValid (options))
    {
        result.message = "cannot be read from bar " + juce::String (options.bar) + ", channel " + juce::String (options.channel)
                         + ", track " + juce::String (track) + ": bars count from 1, channels are 1 to 16";
        return result;
    }

    if (size > maxFileSize)
    {
        result.message = "is larger than 4 MiB (" + WholeFileWriter::formatCount ((juce::int64) maxFileSize) + " bytes), the most a MIDI file of a pattern may be";
        return result;
    }

    if (! hasNotes (target[Pattern::type]))
    {
        result.message = noNotes (target, slot);
        return result;
    }

    VeskSmfReader::Contents contents;
    const auto read = VeskSmfReader::read (fileData, size, track, maxNotes, accentController, openController, VeskMidiSteps::prefix(), contents);

    if (read.failed())
    {
        result.message = read.getErrorMessage();
        return result;
    }

    const auto whole = contents.notes.size();

    if (! VeskMidiImportChoices::take (contents, options, target[Pattern::type] == PartType::rythm, result.message))
        return result;

    VeskPattern::Record record;
    std::memcpy (record.data(), target, record.size());

    // Our own export comes back as it was written, unless its notes were changed since or only some are taken.
    const bool allNotes = options.bar == 1 && contents.notes.size() == whole;
    const auto own = contents.sequencerData.has_value() && allNotes ? VeskMidiSteps::read (*contents.sequencerData, target) : std::nullopt;
    int numSteps = 0;

    // An older export's notes played every pattern's steps as a Lead's.
    const int meaning = own.has_value() && own->version == VeskMidiSteps::leadMeaningVersion ? (int) PartType::lead : target[Pattern::type];

    if (own.has_value() && playsAsWritten (own->record.data(), meaning, contents))
    {
        const auto& carried = own->record;
        numSteps = Pattern::playedSteps (carried.data());
        record[Pattern::patternLength] = carried[Pattern::patternLength];
        record[Pattern::stepsPerBar] = carried[Pattern::stepsPerBar];

        for (auto array : VeskMidiSteps::stepArrays)
            std::copy (carried.begin() + array, carried.begin() + array + numSteps, record.begin() + array);
    }
    else
    {
        const auto placed = placeNotes (contents, own.has_value() ? own->record.data() : nullptr, target[Pattern::type] == PartType::lead, record.data());
        numSteps = placed.numSteps;
        result.notesLeftOut = placed.notesLeftOut;

        // A file whose notes all start later would leave nothing but Rests.
        if (! placed.anyNote)
        {
            result.message = "has no note in the pattern's " + juce::String (numSteps) + " steps (all "
                             + WholeFileWriter::formatCount (result.notesLeftOut) + " start after step " + juce::String (numSteps) + ")";
            result.notesLeftOut = 0;
            return result;
        }
    }

    if (const auto micros = contents.startTempo())
    {
        const auto tenths = juce::jlimit (minTempo, maxTempo, (int) std::lround (600000000.0 / *micros));
        Pattern::storeTempo (record.data(), tenths);
    }

    std::memcpy (target, record.data(), record.size());

    result.failed = false;
    result.stepsImported = numSteps;
    result.message = "imported " + juce::String (numSteps) + " steps";

    if (result.notesLeftOut > 0)
        result.message << "; " << WholeFileWriter::formatCount (result.notesLeftOut) << (result.notesLeftOut == 1 ? " note" : " notes")
                       << " after step " << numSteps << (result.notesLeftOut == 1 ? " was" : " were") << " left out";

    return result;
}
