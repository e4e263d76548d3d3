// A MIDI file into and out of the shown pattern, on a session without a window.

#include "SessionTestSupport.h"
#include "model/VeskFieldTable.h"
#include "model/VeskMidiFile.h"

using namespace VeskImage;

namespace
{
    /** Four quarter notes from middle C up, at 100 BPM. */
    juce::MemoryBlock melody()
    {
        juce::MidiMessageSequence track;
        track.addEvent (juce::MidiMessage::tempoMetaEvent (600000), 0);

        for (int i = 0; i < 4; ++i)
        {
            track.addEvent (juce::MidiMessage::noteOn (1, 60 + 2 * i, (juce::uint8) (70 + 10 * i)), i * 480);
            track.addEvent (juce::MidiMessage::noteOff (1, 60 + 2 * i), i * 480 + 240);
        }

        juce::MidiFile file;
        file.setTicksPerQuarterNote (480);
        file.addTrack (track);
        juce::MemoryOutputStream stream;
        file.writeTo (stream, 0);
        return stream.getMemoryBlock();
    }

    /** The session with a folder for its files. */
    struct SessionMidi : SessionTest
    {
        SessionMidi() { folder.createDirectory(); }
        ~SessionMidi() override { folder.deleteRecursively(); }

        juce::File write (const juce::String& name, const juce::MemoryBlock& data)
        {
            auto file = folder.getChildFile (name);
            file.replaceWithData (data.getData(), data.getSize());
            return file;
        }

        juce::File folder = juce::File::createTempFile ("session-midi");
    };

    std::vector<juce::uint8> recordOf (const std::vector<juce::uint8>& image, int slot)
    {
        const auto at = image.begin() + patternRecordOffset (slot);
        return { at, at + patternSize };
    }

    /** What a second session sends when the user edits every field of the
        shown pattern from one record's value to another's, as the controls do. */
    Messages editsFromTo (int slot, const std::vector<juce::uint8>& start, const std::vector<juce::uint8>& to)
    {
        SessionRig rig;
        std::copy (start.begin(), start.end(), rig.model.image);
        rig.session.showPattern (slotBlock (slot));
        rig.out.clear();

        if (to[Pattern::tempoHigh] != start[Pattern::tempoHigh] || to[Pattern::tempoLow] != start[Pattern::tempoLow])
            rig.session.edit (VeskField::tempo(), (to[Pattern::tempoHigh] << 7) | to[Pattern::tempoLow]);

        for (int offset = Pattern::tempoLow + 1; offset < patternSize; ++offset)
            if (to[(size_t) offset] != start[(size_t) (patternRecordOffset (slot) + offset)])
                rig.session.edit (VeskField::pattern (offset), to[(size_t) offset]);

        return hexLines (rig.out.messages);
    }
}

TEST_F (SessionMidi, AnImportIsOneNamedStepSentAsEditsOfTheFieldsItChangedAndUndoneAsOne)
{
    session.showPattern (slotBlock (3));
    session.edit (VeskField::pattern (Pattern::type), PartType::bass);
    session.edit (VeskField::pattern (Pattern::filterCutoffOrBdLevel), 99);
    const auto before = image();
    const int steps = session.getHistory().getNumSteps();

    out.clear();
    const auto melodyFile = write ("melody.mid", melody());
    const auto outcome = session.importMidi (melodyFile);
    ASSERT_FALSE (outcome.failed()) << outcome.getText();
    const auto after = image();

    EXPECT_EQ (session.getHistory().getNumSteps(), steps + 1);
    EXPECT_EQ (session.getUndoName(), "Import MIDI File");
    EXPECT_EQ (after[patternRecordOffset (3) + Pattern::stepNote + 4], 62) << "the second quarter on step 5";
    EXPECT_EQ (VeskFieldTable::pattern (VeskImage::Pattern::tempoHigh, VeskImage::PartType::lead).stored (100.0), (after[patternRecordOffset (3)] << 7) | after[patternRecordOffset (3) + 1]);

    for (int i = 0; i < imageSize; ++i)
    {
        if (i < patternRecordOffset (3) || i >= patternRecordOffset (4))
        {
            ASSERT_EQ (after[(size_t) i], before[(size_t) i]) << "only the shown pattern changes, offset " << i;
        }
    }

    EXPECT_EQ (hexLines (out.messages), editsFromTo (3, before, recordOf (after, 3)));

    EXPECT_EQ (undoOrRedoSends (true), editsFromTo (3, after, recordOf (before, 3)));
    EXPECT_EQ (image(), before);
    EXPECT_EQ (undoOrRedoSends (false), editsFromTo (3, before, recordOf (after, 3)));
    EXPECT_EQ (image(), after);

    // The same file again changes nothing: no step, nothing sent.
    EXPECT_TRUE (sentBy ([&]
                         { EXPECT_FALSE (session.importMidi (melodyFile).failed()); })
                     .empty());
    EXPECT_EQ (session.getHistory().getNumSteps(), steps + 1);
}

TEST_F (SessionMidi, AFileThatCannotBeImportedLeavesThePatternAndTheUnitAlone)
{
    session.showPattern (slotBlock (5));
    const auto before = image();

    for (auto& file : { folder.getChildFile ("none.mid"), write ("text.mid", juce::MemoryBlock ("hello, this is text", 19)) })
    {
        SCOPED_TRACE (file.getFileName());
        SessionResult outcome;
        EXPECT_TRUE (sentBy ([&]
                             { outcome = session.importMidi (file); })
                         .empty());
        EXPECT_TRUE (outcome.failed());
        EXPECT_TRUE (outcome.getText().contains (file.getFileName()) && outcome.getText().contains ("left as it was")) << outcome.getText();
        EXPECT_EQ (image(), before);
        EXPECT_FALSE (session.canUndo());
    }
}

TEST_F (SessionMidi, TheShownPatternIsExportedButNeverOntoTheLibrarysOwnFile)
{
    session.showPattern (slotBlock (2));
    session.edit (VeskField::pattern (Pattern::type), PartType::lead);
    const auto file = folder.getChildFile ("out.mid");
    ASSERT_TRUE (session.exportMidi (file).wasOk());
    juce::MemoryBlock written;
    ASSERT_TRUE (file.loadFileAsData (written));
    EXPECT_EQ (written, VeskMidiFile::exportPattern (model.image, slotBlock (2)));

    const auto library = folder.getChildFile ("lib.vsk");
    ASSERT_TRUE (model.saveDocument (library).wasOk());
    model.setFile (library);
    juce::MemoryBlock saved, now;
    ASSERT_TRUE (library.loadFileAsData (saved));
    EXPECT_TRUE (session.exportMidi (library).getErrorMessage().contains ("library's own file"));
    ASSERT_TRUE (library.loadFileAsData (now));
    EXPECT_EQ (now, saved);
}

TEST_F (SessionMidi, TheWindowsChoicesOfBarAndChannelSkipACountInAndOtherParts)
{
    // A bar of count-in clicks on channel 10, then the melody on channel 2 from bar 2.
    juce::MidiMessageSequence track;

    for (int beat = 0; beat < 4; ++beat)
    {
        track.addEvent (juce::MidiMessage::noteOn (10, 37, (juce::uint8) 100), beat * 480);
        track.addEvent (juce::MidiMessage::noteOff (10, 37), beat * 480 + 120);
    }

    for (int i = 0; i < 4; ++i)
    {
        track.addEvent (juce::MidiMessage::noteOn (2, 60 + 2 * i, (juce::uint8) 90), 1920 + i * 480);
        track.addEvent (juce::MidiMessage::noteOff (2, 60 + 2 * i), 1920 + i * 480 + 240);
    }

    juce::MidiFile midi;
    midi.setTicksPerQuarterNote (480);
    midi.addTrack (track);
    juce::MemoryOutputStream stream;
    midi.writeTo (stream, 0);
    const auto file = write ("count-in.mid", stream.getMemoryBlock());

    VeskMidiFile::Survey survey;
    ASSERT_TRUE (FileExchange::surveyMidi (file, -1, survey).wasOk());
    EXPECT_EQ (survey.numTracks, 1);
    EXPECT_EQ (survey.bars, 2);
    EXPECT_EQ (survey.notesPerChannel[9], 4);
    EXPECT_EQ (survey.notesPerChannel[1], 4);

    const auto before = image();
    VeskMidiFile::ImportOptions options;
    options.bar = 2;
    options.channel = 3; // no notes there
    EXPECT_TRUE (session.importMidi (file, options).failed());
    EXPECT_EQ (image(), before);

    options.channel = 2;
    ASSERT_TRUE (session.importMidi (file, options).wasOk());

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ (model.currentPattern[Pattern::stepNote + 4 * i], 60 + 2 * i) << "step " << 4 * i + 1;

    EXPECT_EQ (session.getUndoName(), "Import MIDI File");

    VeskMidiFile::Survey missing;
    EXPECT_TRUE (FileExchange::surveyMidi (folder.getChildFile ("none.mid"), -1, missing).failed());
}
