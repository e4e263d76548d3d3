// The edit history on its own: the changed mark against the saved state and
// the unit's own changes, and what an undo shows and sends first.

#include "SessionPartsRig.h"
#include "model/VeskPatternSlots.h"

using namespace VeskImage;

TEST (EditHistory, TheChangedMarkFollowsTheSavedStateUnlessTheUnitChangedTheLibrary)
{
    SessionParts parts;
    auto& history = parts.history;

    // As the document saves: its own mark cleared, then the history told.
    auto saved = [&]
    {
        parts.model.setChangedFlag (false);
        history.librarySaved();
    };

    const std::pair<const char*, std::function<void()>> steps[] = {
        { "edit", [&]
          { history.edit (cutoff, 90); } },
        { "saved", [&]
          { saved(); } },
        { "undo past the save", [&]
          { EXPECT_TRUE (history.undo().wasOk()); } },
        { "redo back to it", [&]
          { EXPECT_TRUE (history.redo().wasOk()); } },
        { "a knob turned on the unit", [&]
          { history.controllerReceived (74); } },
        { "undo and redo again", [&]
          { EXPECT_TRUE (history.undo().wasOk() && history.redo().wasOk()); } },
        { "saved again", [&]
          { saved(); } },
        { "a dump the unit sent", [&]
          {
              VeskDecoder::Dump dump;
              dump.result = VeskDecoder::DumpResult::systemBlock;
              history.dumpReceived (dump, true);
          } },
        { "a new library", [&]
          {
              parts.model.resetToDefaults();
              history.forget();
          } },
    };
    const bool changedAfter[] = { true, false, true, false, true, true, false, true, false };

    for (size_t i = 0; i < std::size (steps); ++i)
    {
        SCOPED_TRACE (steps[i].first);
        steps[i].second();
        EXPECT_EQ (parts.model.hasChangedSinceSaved(), changedAfter[i]);
    }

    EXPECT_EQ (history.getSteps().getNumSteps(), 0);
}

TEST (EditHistory, AnUndoShowsItsPatternFirstAndWaitsForTheRecordsItSends)
{
    SessionParts parts;
    auto& history = parts.history;
    auto& model = parts.model;

    // A field step of User 03, undone while the temporary pattern is shown:
    // User 03 is shown and selected on the unit before its byte goes back.
    model.currentPatternIndex = 2;
    model.selectUserPattern();
    history.edit (cutoff, 5);
    model.selectTemporaryPattern();
    ASSERT_TRUE (history.undo().wasOk());
    EXPECT_EQ (parts.shown, (std::vector<std::pair<VeskBlock, bool>> { { *VeskBlock::user (3), true } }));

    // A whole record of User 05: shown without a word to the unit, which gets
    // the record, paced, as a job without a window.
    model.selectTemporaryPattern();
    model.bytesOf (*VeskBlock::user (5))[Pattern::level] = 1;
    ASSERT_TRUE (history.changeRecords ("Initialise User 05", { *VeskBlock::user (5) }, [&]
                                        { VeskPatternSlots::initialise (model.image, *VeskBlock::user (5)); })
                     .wasOk());
    parts.clock.runUntilIdle();
    parts.shown.clear();
    parts.out.clear();
    ASSERT_TRUE (history.undo().wasOk());
    EXPECT_EQ (parts.shown, (std::vector<std::pair<VeskBlock, bool>> { { *VeskBlock::user (5), false } }));
    EXPECT_EQ (history.redo(), SessionResult::busy ("Redo", "Undo Initialise User 05", false));

    parts.clock.runUntilIdle();
    EXPECT_FALSE (parts.out.messages.empty());
    EXPECT_TRUE (history.redo().wasOk());
    parts.clock.runUntilIdle();
}
