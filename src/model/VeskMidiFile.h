#pragma once

#include "VeskBlock.h"
#include "VeskMidiImportChoices.h"

#include <juce_core/juce_core.h>

/**
    A pattern's steps as a Standard MIDI File, both ways: plain byte code with
    no model object, no GUI and nothing sent, so the window can import into a
    scratch copy of the image and make one undo step of the differences.

    Export writes a type 0 file at 480 ticks per quarter note: the tempo (exact
    to 0.1 BPM), a 4/4 time signature, the track name ("User 03 - Bass") and
    one note per played step. 16 steps per bar are sixteenths, 12 divide the
    same bar into eighth-note triplets. Lead and Bass play on channel 1, Rythm
    on channel 10.

    | Step          | In the file                                               |
    |---------------|-----------------------------------------------------------|
    | note          | note number                                               |
    | level         | note-on velocity (level 0 goes out as 1: velocity 0 is a  |
    |               | note-off in MIDI)                                         |
    | gate          | note length: gate x step / 100 (100 fills the step)       |
    | Tie           | the note before runs one step longer; the last tied       |
    |               | step's gate sets where it ends                            |
    | Slide         | the note runs half a step into the next note (legato)     |
    | Rest          | nothing                                                   |
    | Accent        | controller 80 at 127 where the note starts (0 on every    |
    |               | other note)                                               |

    A Rythm step is a hit or empty (VeskStepTypes): every hit one note whose
    length is its gate, an accented hit ("CA", "OA") with the accent
    controller, an open one ("O ", "OA") with controller 81 at 127 (0 on the
    closed ones), an empty step nothing.

    The notes cannot say everything (a Tie after a Rest, level 0, a second bar
    of Rests, 12 steps whose notes all fall on sixteenths, the note of a
    Rest), so the export also carries the played steps as they are, with the
    length and steps per bar, in a sequencer-specific event.

    Import writes only the played steps, the tempo, the length and steps per
    bar of the record. A file of ours whose notes are still those its steps
    play gives those steps back exactly; any other file is read by its notes
    (the grid and bars a file of ours carried still count where its notes
    fit them), and fields that say nothing about what sounds (the note of a
    Rest, the gate of a Slide) keep what they held.
*/
struct VeskMidiFile
{
    /** Readers refuse anything bigger before reading it. */
    static constexpr size_t maxFileSize = 4 * 1024 * 1024;

    /** A file with more notes in one track than this is refused rather than held in memory. */
    static constexpr int maxNotes = 100000;

    static constexpr int ticksPerQuarter = 480;

    /** The controller that marks accented notes; none of the unit's own. */
    static constexpr int accentController = 80;

    /** The controller that marks a Rythm pattern's open hits. */
    static constexpr int openController = 81;

    /** True for the part types whose steps play notes (Lead, Bass, Rythm). */
    static bool hasNotes (int partType) noexcept;

    /** An empty text when the pattern in slot (the temporary or a user one) plays
        notes, so it can be exported and imported into, else why not. */
    static juce::String whyNoNotes (const juce::uint8* image, VeskBlock slot);

    /** The file, or an empty block when whyNoNotes says no. */
    static juce::MemoryBlock exportPattern (const juce::uint8* image, VeskBlock slot);

    /** "User 03 - Bass", "Temporary - Rythm": the track name of the export. */
    static juce::String trackName (const juce::uint8* image, VeskBlock slot);

    /** The track name with ".mid". */
    static juce::String suggestedFileName (const juce::uint8* image, VeskBlock slot);

    struct ImportResult
    {
        bool failed = true;
        juce::String message; // why it failed, or "imported 32 steps; ..." on success
        int stepsImported = 0;
        int notesLeftOut = 0; // notes that start after the pattern's last step
    };

    /** What to take from a file and what a file offers; see VeskMidiImportChoices. */
    using ImportOptions = VeskMidiImportChoices::Options;
    using Survey = VeskMidiImportChoices::Survey;

    static juce::Result survey (const void* fileData, size_t size, int track, Survey& survey)
    {
        return VeskMidiImportChoices::survey (fileData, size, track, survey);
    }

    /** Reads file data into the pattern in slot as options say; bar past
        the last note, a channel without notes or values outside their
        ranges fail with the image untouched. */
    static ImportResult importInto (const void* fileData, size_t size, juce::uint8* image, VeskBlock slot, const ImportOptions& options);
    static ImportResult importFile (const juce::File& file, juce::uint8* image, VeskBlock slot, const ImportOptions& options);

    /** Reads a whole file into the pattern in slot. track is the 1-based
        track to read, or -1 for the first track with notes. On failure the
        image is untouched. */
    static ImportResult importInto (const void* fileData, size_t size, juce::uint8* image, VeskBlock slot, int track = -1);

    /** Reads file (refusing one over maxFileSize unread) and imports it. */
    static ImportResult importFile (const juce::File& file, juce::uint8* image, VeskBlock slot, int track = -1);
};
