// Versions of the shown pattern heard on the unit before one is kept: what
// each sends, that only keeping makes a step, and that cancelling puts back
// and sends the pattern as it was.

#include "SessionTestSupport.h"
#include "model/VeskLibraryFile.h"

using namespace VeskImage;

namespace
{
    using Record = std::vector<juce::uint8>;

    Record shownRecord (const VeskModel& model) { return { model.currentPattern, model.currentPattern + patternSize }; }

    /** The shown record with its tempo, a knob and two steps changed. */
    Record variant (const VeskModel& model, int salt)
    {
        auto record = shownRecord (model);
        Pattern::storeTempo (record.data(), Pattern::tempo (record.data()) + salt);
        record[Pattern::filterCutoffOrBdLevel] = (juce::uint8) (10 + salt);
        record[Pattern::stepNote + 2] = (juce::uint8) (60 + salt);
        record[Pattern::stepType + 5] = StepType::rest;
        return record;
    }

    /** What editShownPattern sends to make `from` into `to`, on a rig of its own. */
    Messages recordEditSends (VeskBlock pattern, const Record& from, const Record& to)
    {
        SessionRig rig;
        rig.session.showPattern (pattern);
        std::copy (from.begin(), from.end(), rig.model.currentPattern);
        return rig.sentBy ([&]
                           { EXPECT_TRUE (rig.session.editShownPattern ("Any", to.data()).wasOk()); });
    }

    struct PatternAuditionTest : ::testing::Test, SessionRig
    {
        PatternAudition& audition = session.getAudition();
    };
}

TEST_F (PatternAuditionTest, EachVersionIsSentAsItsChangedFieldsAndOnlyKeepingMakesAStep)
{
    for (auto pattern : { VeskBlock::temporary(), slotBlock (7) })
    {
        SCOPED_TRACE (pattern.name().toStdString());
        session.showPattern (pattern);
        session.getEditHistory().forget();
        const auto original = shownRecord (model);
        const auto first = variant (model, 1), second = variant (model, 3);

        ASSERT_TRUE (audition.begin ("Variations").wasOk());
        EXPECT_EQ (sentBy ([&]
                           { EXPECT_TRUE (audition.audition (first.data()).wasOk()); }),
                   recordEditSends (pattern, original, first));
        EXPECT_EQ (sentBy ([&]
                           { EXPECT_TRUE (audition.audition (second.data()).wasOk()); }),
                   recordEditSends (pattern, first, second));
        EXPECT_EQ (shownRecord (model), second);
        EXPECT_FALSE (session.canUndo()) << "hearing a version is no step";

        const auto kept = sentBy ([&]
                                  { EXPECT_TRUE (audition.keep().wasOk()); });
        EXPECT_EQ (kept, recordEditSends (pattern, original, second)) << "the step's own edits, of values the unit holds";
        EXPECT_FALSE (audition.isOpen());
        EXPECT_EQ (shownRecord (model), second);
        EXPECT_EQ (session.getHistory().getNumSteps(), 1);
        EXPECT_EQ (session.getUndoName(), "Variations");

        ASSERT_TRUE (session.undo().wasOk());
        EXPECT_EQ (shownRecord (model), original);
    }
}

TEST_F (PatternAuditionTest, CancelPutsBackAndSendsThePatternAsItWasAndKeepingNothingNewIsNoStep)
{
    session.showPattern (slotBlock (12));
    const auto library = image();
    const auto original = shownRecord (model);
    const auto heard = variant (model, 2);

    ASSERT_TRUE (audition.begin ("Variations").wasOk());
    ASSERT_TRUE (audition.audition (heard.data()).wasOk());
    EXPECT_EQ (sentBy ([&]
                       { audition.cancel(); }),
               recordEditSends (slotBlock (12), heard, original));
    EXPECT_EQ (image(), library);
    EXPECT_FALSE (session.canUndo());
    EXPECT_FALSE (model.hasChangedSinceSaved());

    // Back to the first version before keeping: nothing changed, nothing sent.
    ASSERT_TRUE (audition.begin ("Variations").wasOk());
    ASSERT_TRUE (audition.audition (heard.data()).wasOk());
    ASSERT_TRUE (audition.audition (original.data()).wasOk());
    EXPECT_TRUE (sentBy ([&]
                         { EXPECT_TRUE (audition.keep().wasOk()); })
                     .empty());
    EXPECT_FALSE (session.canUndo());
    EXPECT_EQ (image(), library);
}

TEST_F (PatternAuditionTest, NothingIsHeardOrKeptWhileATransferRuns)
{
    session.setVirtualUnitInUse (true);
    ASSERT_TRUE (session.startTransfer (VeskTransfer::Kind::sendAll).wasOk());
    const auto refusal = audition.begin ("Variations");
    EXPECT_EQ (refusal.getRefusal(), SessionResult::Refusal::busy);
    EXPECT_EQ (refusal.getCommand(), "Variations");
    EXPECT_FALSE (audition.isOpen());

    const auto heard = variant (model, 4);
    EXPECT_TRUE (audition.audition (heard.data()).failed()) << "not begun";
    clock.runUntilIdle();

    // Begun, then a job: the version waits, and so does keeping it.
    ASSERT_TRUE (audition.begin ("Variations").wasOk());
    ASSERT_TRUE (audition.audition (heard.data()).wasOk());
    ASSERT_TRUE (session.startTransfer (VeskTransfer::Kind::verify).wasOk());
    EXPECT_EQ (audition.audition (variant (model, 5).data()).getRefusal(), SessionResult::Refusal::busy);
    EXPECT_EQ (audition.keep().getRefusal(), SessionResult::Refusal::busy);
    EXPECT_TRUE (audition.isOpen());
    EXPECT_EQ (shownRecord (model), heard);
    clock.runUntilIdle();
    EXPECT_TRUE (audition.keep().wasOk());
    EXPECT_EQ (session.getUndoName(), "Variations");
}

TEST_F (PatternAuditionTest, AnAuditionBelongsToTheLibraryItWasBegunOn)
{
    struct Told : VeskSession::Listener
    {
        void auditionChanged() override { ++count; }
        int count = 0;
    } told;
    session.addListener (&told);

    const juce::TemporaryFile otherFile (".vsk");
    auto otherImage = image();
    otherImage[temporaryPatternOffset + Pattern::level] = 22;
    ASSERT_TRUE (VeskLibraryFile::write (otherFile.getFile(), otherImage.data()).wasOk());

    const std::pair<const char*, std::function<void()>> replacements[] = {
        { "another library opened", [&]
          { ASSERT_TRUE (model.loadFrom (otherFile.getFile(), false).wasOk()); } },
        { "a new library", [&]
          { session.newLibrary(); } },
    };

    for (const auto& [what, replace] : replacements)
    {
        SCOPED_TRACE (what);
        session.showPattern (VeskBlock::temporary());
        told.count = 0;
        ASSERT_TRUE (audition.begin ("Variations").wasOk());
        ASSERT_TRUE (audition.audition (variant (model, 3).data()).wasOk());

        // Imports wait: a cancel would put back what they brought.
        const auto held = session.refusalWhileHeld ("Open");
        EXPECT_EQ (held, SessionResult::heldBack ("Open", "Variations"));
        EXPECT_EQ (session.importSyx (otherFile.getFile()), SessionResult::heldBack ("Import .syx", "Variations"));
        EXPECT_EQ (session.importMidi (otherFile.getFile()), SessionResult::heldBack ("Import MIDI File", "Variations"));

        replace();
        const auto replaced = image();
        EXPECT_FALSE (audition.isOpen());
        EXPECT_EQ (told.count, 2) << "begun, and ended by the new library";
        EXPECT_TRUE (session.refusalWhileHeld ("Open").wasOk());

        // Neither cancel nor keep writes the old pattern into the library there now.
        EXPECT_TRUE (sentBy ([&]
                             { audition.cancel(); EXPECT_TRUE (audition.keep().wasOk()); })
                         .empty());
        EXPECT_EQ (image(), replaced);
        EXPECT_FALSE (session.canUndo());
        EXPECT_FALSE (model.hasChangedSinceSaved());
    }

    session.removeListener (&told);
}
