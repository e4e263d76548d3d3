#include "VeskSmfReader.h"
#include "WholeFileWriter.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace
{
    using Note = VeskSmfReader::Note;

    juce::String count (juce::int64 n) { return WholeFileWriter::formatCount (n); }

    /** A name event's text: UTF-8 where it is valid, else one byte a character
        (as older programs wrote it), without control characters. */
    juce::String nameFrom (const juce::uint8* bytes, size_t length)
    {
        const auto n = std::min (length, (size_t) VeskSmfReader::maxNameLength * 4);
        const auto* chars = reinterpret_cast<const char*> (bytes);
        juce::String text;

        if (juce::CharPointer_UTF8::isValidString (chars, (int) n))
            text = juce::String::fromUTF8 (chars, (int) n);
        else
            for (size_t i = 0; i < n; ++i)
                text += juce::String::charToString ((juce::juce_wchar) bytes[i]);

        juce::String kept;

        for (auto c : text)
            kept += juce::CharacterFunctions::isPrintable (c) || c > 127 ? juce::String::charToString (c) : juce::String (" ");

        return kept.trim().substring (0, VeskSmfReader::maxNameLength).trim();
    }

    juce::uint32 bigEndian (const juce::uint8* p, int numBytes)
    {
        juce::uint32 value = 0;

        for (int i = 0; i < numBytes; ++i)
            value = (value << 8) | p[i];

        return value;
    }

    /** One track chunk, event by event, with running status. */
    class TrackParser
    {
    public:
        TrackParser (const juce::uint8* d, size_t n, int trackNumber, bool keep, int maxNotes, int accent, int open, const std::vector<juce::uint8>& prefix)
            : data (d), size (n), number (trackNumber), keepNotes (keep), noteLimit (maxNotes), accentController (accent), openController (open), sequencerPrefix (prefix)
        {
            accentAt.fill (0);
            openAt.fill (0);
        }

        /** Empty when the whole chunk was read, else what is wrong with it. */
        juce::String parse()
        {
            while (pos < size)
            {
                juce::uint32 delta = 0;

                if (! readNumber (delta) || pos >= size)
                    return damaged ("a time that runs past the end of the track");

                if (delta != 0 && unsettled)
                    settleAccents();

                tick += delta;
                const auto problem = event();

                if (problem.isNotEmpty())
                    return problem;

                if (endOfTrack)
                    break;
            }

            settleAccents();

            // Notes never released end with the track.
            for (auto& open : openNotes)
                for (auto i = open.head; i < open.indices.size(); ++i)
                    notes[open.indices[i]].end = tick;

            return {};
        }

        std::vector<Note> notes;
        bool hasNotes = false;
        std::optional<juce::String> name;
        std::vector<VeskSmfReader::Tempo> tempos;
        std::optional<std::vector<juce::uint8>> sequencerData;

    private:
        juce::String damaged (const juce::String& what) const
        {
            return "has a damaged track " + juce::String (number) + " (at byte " + count ((juce::int64) eventStart) + " of it: " + what + ")";
        }

        bool readNumber (juce::uint32& value)
        {
            value = 0;

            // At most four bytes of seven bits, as the format allows.
            for (int i = 0; i < 4; ++i)
            {
                if (pos >= size)
                    return false;

                const auto byte = data[pos++];
                value = (value << 7) | (byte & 0x7F);

                if ((byte & 0x80) == 0)
                    return true;
            }

            return false;
        }

        juce::String event()
        {
            eventStart = pos;
            auto status = data[pos];

            if (status >= 0x80)
                ++pos;
            else if (runningStatus == 0)
                return damaged ("a data byte where an event should start");
            else
                status = runningStatus;

            if (status == 0xFF || status == 0xF0 || status == 0xF7)
            {
                // Meta events and exclusive messages end any running status.
                runningStatus = 0;
                int metaType = -1;

                if (status == 0xFF)
                {
                    if (pos >= size)
                        return damaged ("an event that runs past the end of the track");

                    metaType = data[pos++];
                }

                juce::uint32 length = 0;

                if (! readNumber (length) || length > size - pos)
                    return damaged ("an event that runs past the end of the track");

                if (metaType == 0x51 && length == 3)
                    if (const auto micros = (int) bigEndian (data + pos, 3); micros > 0)
                        tempos.push_back ({ tick, micros });

                if (metaType == 0x03 && ! name.has_value())
                    name = nameFrom (data + pos, length);

                if (metaType == 0x7F && keepNotes && ! sequencerData.has_value() && length >= sequencerPrefix.size()
                    && std::equal (sequencerPrefix.begin(), sequencerPrefix.end(), data + pos))
                    sequencerData.emplace (data + pos + sequencerPrefix.size(), data + pos + length);

                endOfTrack = metaType == 0x2F;
                pos += length;
                return {};
            }

            if (status >= 0xF0)
                return damaged ("a system message that does not belong in a file");

            runningStatus = status;
            const int kind = status & 0xF0;
            const int numData = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;

            if (size - pos < (size_t) numData)
                return damaged ("an event that runs past the end of the track");

            const int a = data[pos], b = numData > 1 ? data[pos + 1] : 0;
            pos += (size_t) numData;

            if ((a | b) & 0x80)
                return damaged ("a data byte above 127");

            const int channel = status & 0x0F;

            if (kind == 0x90 && b > 0)
                return noteOn (channel, a, b);

            if (kind == 0x80 || kind == 0x90)
                noteOff (channel, a);
            else if (kind == 0xB0 && a == accentController)
                accentAt[(size_t) channel] = b;
            else if (kind == 0xB0 && a == openController)
                openAt[(size_t) channel] = b;

            return {};
        }

        juce::String noteOn (int channel, int key, int velocity)
        {
            hasNotes = true;

            if (! keepNotes)
                return {};

            if (openNotes.empty())
                openNotes.resize (16 * 128);

            if ((int) notes.size() >= noteLimit)
                return "has more than " + count (noteLimit) + " notes in track " + juce::String (number)
                       + ", more than a pattern's import reads";

            startedNow[(size_t) channel].push_back (notes.size());
            unsettled = true;
            openNotes[(size_t) (channel * 128 + key)].indices.push_back (notes.size());
            notes.push_back ({ tick, tick, channel, key, velocity, false, false });
            return {};
        }

        /** A controller written just after the notes of its own moment still
            belongs to them, so a note's accent is where the controller stands
            once its tick is over: settled once per note, however many
            controllers that tick holds. */
        void settleAccents()
        {
            for (size_t channel = 0; channel < startedNow.size(); ++channel)
            {
                auto& started = startedNow[channel];

                for (auto index : started)
                {
                    notes[index].accent = accentAt[channel] >= 64;
                    notes[index].open = openAt[channel] >= 64;
                }

                started.clear();
            }

            unsettled = false;
        }

        void noteOff (int channel, int key)
        {
            // The earliest note of that key ends first, as most programs pair them.
            if (openNotes.empty())
                return;

            auto& open = openNotes[(size_t) (channel * 128 + key)];

            if (open.head < open.indices.size())
                notes[open.indices[open.head++]].end = tick;
        }

        const juce::uint8* data;
        size_t size;
        int number;
        bool keepNotes;
        int noteLimit;
        int accentController, openController;
        const std::vector<juce::uint8>& sequencerPrefix;

        size_t pos = 0, eventStart = 0;
        juce::int64 tick = 0;
        juce::uint8 runningStatus = 0;
        bool endOfTrack = false;

        std::array<int, 16> accentAt, openAt;
        std::array<std::vector<size_t>, 16> startedNow; // notes started at this tick, by channel
        bool unsettled = false;

        // Per channel and key, the notes still sounding, the earliest at head.
        struct OpenNotes
        {
            std::vector<size_t> indices;
            size_t head = 0;
        };

        std::vector<OpenNotes> openNotes;
    };
}

juce::Result VeskSmfReader::read (const void* fileData, size_t size, int track, int maxNotes, int accentController, int openController,
                                  const std::vector<juce::uint8>& sequencerPrefix, Contents& contents)
{
    auto fail = [] (const juce::String& message)
    { return juce::Result::fail (message); };
    auto* data = static_cast<const juce::uint8*> (fileData);

    if (size < 8 || std::memcmp (data, "MThd", 4) != 0)
        return fail ("is not a MIDI file (it does not start with an MThd header)");

    const auto headerLength = bigEndian (data + 4, 4);

    if (headerLength < 6)
        return fail ("is not a MIDI file (its header holds " + count (headerLength) + " bytes, not 6)");

    if (headerLength > size - 8)
        return fail ("is cut short: its header says " + count (headerLength) + " bytes and the file ends after "
                     + count ((juce::int64) size - 8));

    const auto format = (int) bigEndian (data + 8, 2);
    const auto announcedTracks = (int) bigEndian (data + 10, 2);
    const auto division = (int) bigEndian (data + 12, 2);

    if (format > 2)
        return fail ("is a MIDI file of format " + juce::String (format) + ", which is not known (0, 1 and 2 are)");

    if ((division & 0x8000) != 0)
        return fail ("counts time in SMPTE frames, not in beats; save it with ticks per quarter note");

    if (division == 0)
        return fail ("has 0 ticks per quarter note, so its notes have no place in time");

    Contents read;
    read.format = format;
    read.ticksPerQuarter = division;

    for (size_t pos = 8 + headerLength; pos < size;)
    {
        if (size - pos < 8)
            return fail ("is cut short: " + count ((juce::int64) (size - pos)) + " bytes after the last chunk are not a chunk");

        const auto length = bigEndian (data + pos + 4, 4);
        const bool isTrack = std::memcmp (data + pos, "MTrk", 4) == 0;
        const auto body = pos + 8;

        if (length > size - body)
            return fail ("is cut short: " + (isTrack ? "track " + juce::String (read.numTracks + 1) : juce::String ("a chunk"))
                         + " says it holds " + count (length) + " bytes, but the file ends after " + count ((juce::int64) (size - body)));

        pos = body + length;

        if (! isTrack)
            continue;

        const int number = ++read.numTracks;
        const bool wanted = track == number || (track < 0 && read.notes.empty() && read.track == 0);
        TrackParser parser (data + body, length, number, wanted, maxNotes, accentController, openController, sequencerPrefix);
        const auto problem = parser.parse();

        if (problem.isNotEmpty())
            return fail (problem);

        if (wanted && (track == number || parser.hasNotes))
        {
            read.track = number;
            read.notes = std::move (parser.notes);
            read.sequencerData = std::move (parser.sequencerData);
        }

        read.tracks.push_back ({ parser.name.value_or (juce::String()), parser.hasNotes });
        read.tempos.insert (read.tempos.end(), parser.tempos.begin(), parser.tempos.end());
    }

    // A tempo map may lie in any track; at one tick the file's order stays.
    std::stable_sort (read.tempos.begin(), read.tempos.end(), [] (const Tempo& a, const Tempo& b)
                      { return a.tick < b.tick; });

    if (read.numTracks < announcedTracks)
        return fail ("is cut short: its header announces " + count (announcedTracks) + " tracks and it holds " + count (read.numTracks));

    if (track > read.numTracks)
        return fail ("has no track " + juce::String (track) + " (it has " + count (read.numTracks) + ")");

    if (read.notes.empty())
        return fail (track > 0 ? "holds no notes in track " + juce::String (track)
                               : juce::String ("holds no notes (only controllers or other events)"));

    std::stable_sort (read.notes.begin(), read.notes.end(), [] (const Note& a, const Note& b)
                      { return a.start < b.start; });
    contents = std::move (read);
    return juce::Result::ok();
}

std::optional<int> VeskSmfReader::Contents::startTempo() const
{
    if (tempos.empty())
        return std::nullopt;

    // The last tick at or before the start; at that tick the first event, as at the file's start.
    auto after = std::upper_bound (tempos.begin(), tempos.end(), (juce::int64) 0, [] (juce::int64 tick, const Tempo& t)
                                   { return tick < t.tick; });

    if (after == tempos.begin())
        return tempos.front().micros;

    const auto lastTick = std::prev (after)->tick;
    return std::lower_bound (tempos.begin(), after, lastTick, [] (const Tempo& t, juce::int64 tick)
                             { return t.tick < tick; })
        ->micros;
}
