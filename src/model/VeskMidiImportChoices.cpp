#include "VeskMidiImportChoices.h"
#include "VeskMidiFile.h"
#include "WholeFileWriter.h"

#include <algorithm>

bool VeskMidiImportChoices::isValid (const Options& options) noexcept
{
    return options.bar >= 1 && options.bar <= maxBar && options.channel >= 0 && options.channel <= 16
           && (options.track == -1 || options.track >= 1);
}

juce::Result VeskMidiImportChoices::survey (const void* fileData, size_t size, int track, Survey& survey)
{
    VeskSmfReader::Contents contents;

    if (size > VeskMidiFile::maxFileSize)
        return juce::Result::fail ("is larger than 4 MiB (" + WholeFileWriter::formatCount ((juce::int64) VeskMidiFile::maxFileSize) + " bytes)");

    if (const auto read = VeskSmfReader::read (fileData, size, track, VeskMidiFile::maxNotes, VeskMidiFile::accentController,
                                               VeskMidiFile::openController, {}, contents);
        read.failed())
        return read;

    survey = {};
    survey.numTracks = contents.numTracks;
    survey.track = contents.track;

    for (size_t i = 0; i < contents.tracks.size(); ++i)
        if (contents.tracks[i].hasNotes)
            survey.tracksWithNotes.push_back ({ (int) i + 1, contents.tracks[i].name });

    // Told apart by their numbers: without a name, or where two offered share one.
    auto named = survey.tracksWithNotes;

    for (auto& offered : survey.tracksWithNotes)
    {
        const auto sharing = std::count_if (named.begin(), named.end(), [&] (auto& other)
                                            { return other.name == offered.name; });

        if (offered.name.isEmpty())
            offered.name = "Track " + juce::String (offered.number);
        else if (sharing > 1)
            offered.name << " (track " << offered.number << ")";
    }

    for (auto& note : contents.notes)
    {
        ++survey.notesPerChannel[(size_t) (note.channel & 15)];
        survey.bars = std::max (survey.bars, (int) (note.start / (4 * (juce::int64) contents.ticksPerQuarter)) + 1);
    }

    return juce::Result::ok();
}

bool VeskMidiImportChoices::take (VeskSmfReader::Contents& contents, const Options& options, bool rythm, juce::String& why)
{
    auto& notes = contents.notes;
    int channel = options.channel;

    if (channel == 0 && rythm && std::any_of (notes.begin(), notes.end(), [] (auto& n)
                                              { return n.channel == 9; }))
        channel = 10;

    const auto from = (juce::int64) (options.bar - 1) * 4 * contents.ticksPerQuarter;
    const auto total = notes.size();

    notes.erase (std::remove_if (notes.begin(), notes.end(), [&] (auto& n)
                                 { return (channel != 0 && n.channel != channel - 1) || n.start < from; }),
                 notes.end());

    for (auto& n : notes)
    {
        n.start -= from;
        n.end -= from;
    }

    for (auto& t : contents.tempos)
        t.tick -= from;

    if (notes.empty() && total > 0)
    {
        why = "has no notes" + (channel != 0 ? " on channel " + juce::String (channel) : juce::String())
              + (options.bar > 1 ? " from bar " + juce::String (options.bar) : juce::String()) + " in track " + juce::String (contents.track);
        return false;
    }

    return true;
}
