// What the Library and Collection pages do to the slots, on a session without
// a window: each operation one named step that undo takes back exactly, each
// drag format on its own way, and nothing at all while a job runs.

#include "SessionTestSupport.h"
#include "model/VeskPatternText.h"

using namespace VeskImage;

namespace
{
    using Bytes = std::vector<juce::uint8>;
    using Outcome = LibraryOperations::Outcome;

    struct LibraryOperationsTest : SessionTest
    {
        LibraryOperationsTest()
        {
            // Every slot different, here and in the other library, so any mix-up shows in the bytes.
            other = image();

            for (int slot = 0; slot < numPatternRecords; ++slot)
            {
                model.image[patternRecordOffset (slot) + Pattern::level] = (juce::uint8) (100 + slot);
                other[(size_t) patternRecordOffset (slot) + Pattern::level] = (juce::uint8) (30 + slot);
            }
        }

        static Bytes record (const Bytes& from, int slot)
        {
            const auto start = from.begin() + patternRecordOffset (slot);
            return { start, start + patternSize };
        }

        /** Records of the other library, as the Collection page hands them over. */
        PatternDrag::Contents chosen (const std::vector<int>& slots, const juce::String& name) const
        {
            PatternDrag::Contents contents { {}, name };

            for (int slot : slots)
            {
                PatternDrag::Record bytes;
                std::copy_n (other.begin() + patternRecordOffset (slot), patternSize, bytes.begin());
                contents.records.push_back (bytes);
            }

            return contents;
        }

        /** A page's choice of the given records. */
        static LibraryOperations::Choose give (const PatternDrag::Contents& contents)
        {
            return [contents] (PatternDrag::Contents& chosen)
            {
                chosen = contents;
                return SessionResult::ok();
            };
        }

        LibraryOperations& operations = session.getLibraryOperations();
        Bytes other;
    };

    juce::Result textOf (juce::String& text, const juce::String& clipboard)
    {
        text = clipboard;
        return juce::Result::ok();
    }
}

TEST_F (LibraryOperationsTest, EachIsOneNamedStepThatUndoTakesBackExactly)
{
    const auto start = image();
    Bytes defaults (imageSize);
    VeskModel::writeDefaults (defaults.data());
    const auto bassLine = chosen ({ 6 }, "Bass line");
    const auto twoPatterns = chosen ({ 4, 5 }, "2 patterns");
    const auto otherText = VeskPatternText::fromSlots (other.data(), slotBlocks ({ 5, 6 }));

    struct Case
    {
        const char* stepName;
        std::function<Outcome()> operation;
        std::map<int, Bytes> expected; // slot -> record afterwards; every other byte unchanged
        std::vector<int> written;
    };

    const std::vector<Case> cases = {
        { "Copy User 03 to User 07", [&]
          { return operations.drop (PatternDrag::describeSlots (slotBlocks ({ 3 })), model.image, slotBlock (7), false); },
          { { 7, record (start, 3) } },
          { 7 } },
        { "Swap User 03 and User 07", [&]
          { return operations.drop (PatternDrag::describeSlots (slotBlocks ({ 3 })), model.image, slotBlock (7), true); },
          { { 7, record (start, 3) }, { 3, record (start, 7) } },
          { 7 } },
        { "Copy 2 slots to Temporary", [&]
          { return operations.drop (PatternDrag::describeSlots (slotBlocks ({ 1, 2 })), model.image, slotBlock (0), false); },
          { { 0, record (start, 1) }, { 1, record (start, 2) } },
          { 0, 1 } },
        { "Copy User 09 to User 20", [&] // Shift swaps only two of ours: from elsewhere it copies
          { return operations.drop (PatternDrag::describeSlots (slotBlocks ({ 9 })), other.data(), slotBlock (20), true); },
          { { 20, record (other, 9) } },
          { 20 } },
        { "Copy 2 slots to User 01", [&]
          { return operations.drop (PatternDrag::describeSlots (slotBlocks ({ 2, 3 })), other.data(), slotBlock (1), false); },
          { { 1, record (other, 2) }, { 2, record (other, 3) } },
          { 1, 2 } },
        { "Copy 2 patterns to User 19", [&]
          { return operations.drop (PatternDrag::describe (twoPatterns), nullptr, slotBlock (19), false); },
          { { 19, record (other, 4) }, { 20, record (other, 5) } },
          { 19, 20 } },
        { "Copy Bass line to User 05", [&]
          { return operations.drop (PatternDrag::describe (bassLine), nullptr, slotBlock (5), true); },
          { { 5, record (other, 6) } },
          { 5 } },
        { "Copy Bass line to User 05", [&] // Copy to Slot... is the same step as the drag
          { return operations.copyToSlot (slotBlock (5), give (bassLine)); },
          { { 5, record (other, 6) } },
          { 5 } },
        { "Paste onto 2 slots", [&] // one record onto each selected slot
          { return operations.paste (VeskPatternText::fromSlots (other.data(), slotBlocks ({ 8 })), slotBlocks ({ 1, 8 })); },
          { { 1, record (other, 8) }, { 8, record (other, 8) } },
          { 1, 8 } },
        { "Paste onto 2 slots", [&] // several onto the slots from the first selected
          { return operations.pasteFrom ([&] (juce::String& text)
                                         { return textOf (text, otherText); },
                                         slotBlocks ({ 11, 15 })); },
          { { 11, record (other, 5) }, { 12, record (other, 6) } },
          { 11, 12 } },
        { "Swap User 04 and User 15", [&]
          { return operations.swap (slotBlocks ({ 4 }), slotBlock (15)); },
          { { 4, record (start, 15) }, { 15, record (start, 4) } },
          { 15 } },
        { "Audition Bass line", [&]
          { return Outcome { operations.audition (give (bassLine)), {} }; },
          { { 0, record (other, 6) } },
          {} },
        { "Initialise 2 slots", [&]
          { return operations.initialise (slotBlocks ({ 6, 19 })); },
          { { 6, record (defaults, 6) }, { 19, record (defaults, 19) } },
          {} },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.stepName);
        const int stepsBefore = session.getHistory().getNumDone();
        const auto outcome = c.operation();
        ASSERT_TRUE (outcome.result.wasOk()) << outcome.result.getText();
        EXPECT_EQ (outcome.written, slotBlocks (c.written)) << "the slots the page selects";

        auto expected = start;

        for (const auto& [slot, bytes] : c.expected)
            std::copy (bytes.begin(), bytes.end(), expected.begin() + patternRecordOffset (slot));

        EXPECT_EQ (image(), expected);
        EXPECT_EQ (session.getHistory().getNumDone(), stepsBefore + 1) << "one step";
        EXPECT_EQ (session.getUndoName(), c.stepName);
        clock.runUntilIdle();

        ASSERT_TRUE (session.undo().wasOk());
        clock.runUntilIdle();
        EXPECT_EQ (image(), start) << "undo restores every byte";
    }
}

TEST_F (LibraryOperationsTest, WhileAJobRunsEachIsRefusedAsItsCommandBeforeAnythingElseIsLookedAt)
{
    session.setVirtualUnitInUse (true);
    ASSERT_TRUE (session.startTransfer (VeskTransfer::Kind::sendAll).wasOk());
    ASSERT_TRUE (session.isBusy());
    const auto start = image();
    const auto rows = PatternDrag::describeSlots (slotBlocks ({ 3 }));
    const auto text = VeskPatternText::fromSlots (other.data(), slotBlocks ({ 3 }));
    int asked = 0;

    auto choose = [&] (PatternDrag::Contents& c)
    {
        ++asked;
        c = chosen ({ 3 }, "Lead");
        return SessionResult::ok();
    };

    auto read = [&] (juce::String& clipboard)
    {
        ++asked;
        return textOf (clipboard, text);
    };

    // Half of them with nothing selected: the job is the reason given, not the selection.
    const std::pair<const char*, std::function<Outcome()>> cases[] = {
        { "Paste", [&]
          { return operations.paste (text, slotBlocks ({ 3 })); } },
        { "Paste", [&]
          { return operations.pasteFrom (read, {}); } },
        { "Swap With...", [&]
          { return operations.swap ({}, slotBlock (9)); } },
        { "Initialise", [&]
          { return operations.initialise ({}); } },
        { "Initialise", [&]
          { return operations.initialise (slotBlocks ({ 3 })); } },
        { "Copy", [&]
          { return operations.drop (rows, model.image, slotBlock (9), false); } },
        { "Copy", [&]
          { return operations.drop (PatternDrag::describe (chosen ({ 3 }, "Lead")), nullptr, slotBlock (9), true); } },
        { "Swap", [&]
          { return operations.drop (rows, model.image, slotBlock (9), true); } },
        { "Swap", [&] // the command the user gave, though from elsewhere it would copy
          { return operations.drop (rows, other.data(), slotBlock (9), true); } },
        { "Copy to Slot...", [&]
          { return operations.copyToSlot (slotBlock (9), choose); } },
        { "Audition", [&]
          { return Outcome { operations.audition (choose), {} }; } },
        { "New Library from Selection", [&]
          { return Outcome { operations.checkNewLibrary (choose), {} }; } },
        { "New Library from Selection", [&]
          { return Outcome { operations.newLibraryFrom (choose), {} }; } },
    };

    for (const auto& [command, operation] : cases)
    {
        SCOPED_TRACE (command);
        const auto outcome = operation();
        EXPECT_EQ (outcome.result, session.refusalWhileBusy (command));
        EXPECT_TRUE (outcome.written.empty()) << "the selection stays";
    }

    EXPECT_EQ (asked, 0) << "neither the clipboard nor the page's choice is read";
    EXPECT_EQ (image(), start);
    EXPECT_EQ (session.getShownPattern(), VeskBlock::temporary());
    EXPECT_EQ (session.getHistory().getNumSteps(), 0);
    clock.runUntilIdle();
}

TEST_F (LibraryOperationsTest, EachDragFormatIsTakenOnlyFromWhereItComesAndWhatCannotBeDoneChangesNothing)
{
    const auto rows = PatternDrag::describeSlots (slotBlocks ({ 3 }));
    const auto records = PatternDrag::describe (chosen ({ 3 }, "Lead"));

    // A library list's rows, or records from elsewhere; nothing else.
    EXPECT_TRUE (PatternDrag::canDrop (rows, true));
    EXPECT_FALSE (PatternDrag::canDrop (rows, false)) << "slot numbers mean nothing without their library";
    EXPECT_TRUE (PatternDrag::canDrop (records, false));
    EXPECT_FALSE (PatternDrag::canDrop (juce::var ("User 03"), true));
    EXPECT_EQ (PatternDrag::readSlots (rows), slotBlocks ({ 3 }));
    EXPECT_TRUE (PatternDrag::readSlots (records).empty());

    const auto start = image();

    const std::pair<const char*, std::function<Outcome()>> nothingToDo[] = {
        { "rows from no list", [&]
          { return operations.drop (rows, nullptr, slotBlock (9), false); } },
        { "records said to come from a list", [&]
          { return operations.drop (records, model.image, slotBlock (9), false); } },
        { "rows onto the system block", [&]
          { return operations.drop (rows, model.image, VeskBlock::system(), false); } },
        { "records onto the system block", [&]
          { return operations.drop (records, nullptr, VeskBlock::system(), false); } },
        { "a row onto itself", [&]
          { return operations.drop (rows, model.image, slotBlock (3), true); } },
        { "a swap with itself", [&]
          { return operations.swap (slotBlocks ({ 3 }), slotBlock (3)); } },
    };

    for (const auto& [name, operation] : nothingToDo)
    {
        SCOPED_TRACE (name);
        const auto outcome = operation();
        EXPECT_TRUE (outcome.result.wasOk());
        EXPECT_TRUE (outcome.written.empty());
    }

    const std::pair<const char*, std::function<Outcome()>> refused[] = {
        { "past User 20", [&]
          { return operations.drop (PatternDrag::describe (chosen ({ 1, 2 }, "2 patterns")), nullptr, slotBlock (20), false); } },
        { "past User 20", [&]
          { return operations.drop (PatternDrag::describeSlots (slotBlocks ({ 1, 2, 3 })), other.data(), slotBlock (19), false); } },
        { "one pattern at a time", [&]
          { return operations.drop (PatternDrag::describeSlots (slotBlocks ({ 1, 2 })), model.image, slotBlock (9), true); } },
        { "Select the slot to paste onto", [&]
          { return operations.paste (VeskPatternText::fromSlots (other.data(), slotBlocks ({ 3 })), {}); } },
        { "Select the one slot to swap", [&]
          { return operations.swap (slotBlocks ({ 3, 4 }), slotBlock (9)); } },
        { "Select the slots to initialise", [&]
          { return operations.initialise ({}); } },
    };

    for (const auto& [said, operation] : refused)
    {
        SCOPED_TRACE (said);
        const auto outcome = operation();
        EXPECT_TRUE (outcome.result.getText().contains (said)) << outcome.result.getText();
        EXPECT_TRUE (outcome.written.empty());
    }

    EXPECT_EQ (image(), start);
    EXPECT_EQ (session.getHistory().getNumSteps(), 0);
}
