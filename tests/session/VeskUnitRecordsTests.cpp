// The "differs from the unit" marks: each one what a Verify would say at that
// moment, and none from what was sent while no unit could hear it.

#include "SessionTestSupport.h"
#include "session/VeskSlotSteps.h"
#include "session/VeskUnitRecords.h"

#include <set>

using namespace VeskImage;

namespace
{
    struct UnitRecordsTest : ::testing::Test, SessionRig
    {
        UnitRecordsTest()
        {
            // Every slot a little different, so a record sent to the wrong place shows.
            for (int slot = 0; slot < numPatternRecords; ++slot)
                model.image[patternRecordOffset (slot) + Pattern::level] = (juce::uint8) (100 + slot);
        }

        std::set<int> marked() const
        {
            std::set<int> slots;

            for (int slot = 0; slot < numPatternRecords; ++slot)
                if (records.differsFromUnit (slotBlock (slot)))
                    slots.insert (slot);

            return slots;
        }

        /** The pattern slots a Verify finds different. */
        std::set<int> verified()
        {
            EXPECT_TRUE (session.startTransfer (VeskTransfer::Kind::verify).wasOk());
            clock.runUntilIdle();
            std::set<int> slots;

            for (const auto& difference : session.getTransfer().getReport().differences)
                if (difference.block.has_value() && difference.block->isPattern())
                    slots.insert (difference.block->record());

            return slots;
        }

        std::vector<juce::uint8> recordOf (int slot) const
        {
            return { model.image + patternRecordOffset (slot), model.image + patternRecordOffset (slot) + patternSize };
        }

        VeskUnitRecords records { session };
    };
}

TEST_F (UnitRecordsTest, EveryMarkIsWhatAVerifyWouldSay)
{
    session.setVirtualUnitInUse (true);
    ASSERT_TRUE (session.startTransfer (VeskTransfer::Kind::sendAll).wasOk());
    clock.runUntilIdle();
    auto heard = recordOf (7);
    heard[Pattern::pan] = 3;

    const std::pair<const char*, std::function<void()>> steps[] = {
        { "an audition from the collection", [&]
          {
              session.showPattern (VeskBlock::temporary());
              EXPECT_TRUE (session.editShownPattern ("Audition Night Bass", heard.data()).wasOk());
          } },
        { "its undo", [&]
          { EXPECT_TRUE (session.undo().wasOk()); } },
        { "its redo", [&]
          { EXPECT_TRUE (session.redo().wasOk()); } },
        { "a knob of a user pattern, which the unit edits in its temporary one", [&]
          {
              session.showPattern (slotBlock (3));
              session.edit (VeskField::pattern (Pattern::filterCutoffOrBdLevel), 5);
              session.edit (VeskField::pattern (Pattern::stepNote + 1), 40);
          } },
        { "the Patterns page's Send", [&]
          { EXPECT_TRUE (session.sendToUnit (slotBlock (3)).wasOk()); } },
        { "a copy on the Library page", [&]
          { EXPECT_TRUE (VeskSlotSteps::copy (session, slotBlock (1), slotBlock (2)).wasOk()); } },
        { "a knob turned on the unit", [&]
          {
              session.showPattern (VeskBlock::temporary());
              EXPECT_TRUE (session.sendToUnit (VeskBlock::temporary()).wasOk());
              session.getVirtualUnit().turnKnob (74, 33);
          } },
        { "a user pattern chosen on the unit, and a knob of it", [&]
          {
              session.getVirtualUnit().changePattern (slotBlock (5));
              clock.runUntilIdle();
              session.getVirtualUnit().turnKnob (74, 35);
          } },
        { "a record the unit holds otherwise, asked for with Store", [&]
          {
              session.getVirtualUnit().memory[patternRecordOffset (6) + Pattern::pan] = 7;
              session.showPattern (slotBlock (6));
              EXPECT_TRUE (session.askUnitFor (slotBlock (6)).wasOk());
          } },
        { "File > New", [&]
          { session.newLibrary(); } },
        { "its first edit", [&]
          { session.edit (VeskField::pattern (Pattern::level), 1); } },
    };

    for (const auto& [what, step] : steps)
    {
        SCOPED_TRACE (what);
        step();
        clock.runUntilIdle();
        const auto marks = marked();
        EXPECT_EQ (marks, verified());
        EXPECT_EQ (marked(), marks) << "the Verify agrees";
    }
}

TEST_F (UnitRecordsTest, WhatWentNowhereMarksNothing)
{
    // No port and no virtual unit: nothing reaches a unit, so nothing is known of it.
    const std::pair<const char*, std::function<void()>> steps[] = {
        { "a copy", [&]
          { EXPECT_TRUE (VeskSlotSteps::copy (session, slotBlock (1), slotBlock (2)).wasOk()); } },
        { "New Library from Selection", [&]
          {
              VeskSlotSteps::Record first;
              std::copy (model.image + patternRecordOffset (5), model.image + patternRecordOffset (6), first.begin());
              session.newLibrary();
              EXPECT_TRUE (VeskSlotSteps::putFrom (session, "New Library from Selection", { first }, slotBlock (1)).wasOk());
          } },
        { "an audition", [&]
          { EXPECT_TRUE (session.editShownPattern ("Audition", recordOf (4).data()).wasOk()); } },
        { "File > New", [&]
          { session.newLibrary(); } },
    };

    for (const auto& [what, step] : steps)
    {
        SCOPED_TRACE (what);
        step();
        clock.runUntilIdle();

        for (int slot = 0; slot < numPatternRecords; ++slot)
            EXPECT_FALSE (records.isKnown (slotBlock (slot))) << slot;
    }

    // A unit that hears the copy knows that record, and only that one.
    session.setVirtualUnitInUse (true);
    model.image[patternRecordOffset (1) + Pattern::pan] = 9;
    ASSERT_TRUE (VeskSlotSteps::copy (session, slotBlock (1), slotBlock (2)).wasOk());
    clock.runUntilIdle();

    for (int slot = 0; slot < numPatternRecords; ++slot)
        EXPECT_EQ (records.isKnown (slotBlock (slot)), slot == 2) << slot;

    EXPECT_TRUE (marked().empty());
    session.newLibrary();
    EXPECT_EQ (marked(), std::set<int> { 2 }) << "New sends no user record: the unit keeps the copy";

    // Whether the unit takes a controller hangs on its system settings, unknown here.
    session.showPattern (VeskBlock::temporary());
    ASSERT_TRUE (session.sendToUnit (VeskBlock::temporary()).wasOk());
    EXPECT_TRUE (records.isKnown (VeskBlock::temporary()));
    session.edit (VeskField::pattern (Pattern::filterCutoffOrBdLevel), 5);
    EXPECT_FALSE (records.isKnown (VeskBlock::temporary()));
}
