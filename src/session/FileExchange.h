#pragma once

#include "EditHistory.h"
#include "model/VeskMidiFile.h"

/**
    The library's exchange with other files: .syx files (the unit's dumps)
    and Standard MIDI Files (the shown pattern's notes), in and out. What
    comes in is one undo step; nothing goes to the unit but the edits a MIDI
    file makes.

    Message thread only.
*/
class FileExchange
{
public:
    FileExchange (VeskModel& model, UnitJobs& jobs, EditHistory& history, SessionListeners& listeners);

    /** Applies every dump of a .syx file to the library as one undo step;
        sends nothing. What it reports says what was applied and ignored. */
    SessionResult importSyx (const juce::File& file);

    /** Writes the library as the messages that restore it into a unit. */
    juce::Result exportSyx (const juce::File& file);

    /** The file's notes into the steps, tempo, length and steps per bar of
        the shown pattern, as one undo step sent as edits of those fields;
        its type and sound stay. */
    SessionResult importMidi (const juce::File& file, const VeskMidiFile::ImportOptions& options);

    /** What a MIDI file offers the import's choices: its tracks, the bars of
        track (-1: the first with notes), the notes on each channel. */
    static juce::Result surveyMidi (const juce::File& file, int track, VeskMidiFile::Survey& survey);

    /** The shown pattern as a Standard MIDI File. */
    juce::Result exportMidi (const juce::File& file);

private:
    VeskModel& model;
    UnitJobs& jobs;
    EditHistory& history;
    SessionListeners& listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileExchange)
};
