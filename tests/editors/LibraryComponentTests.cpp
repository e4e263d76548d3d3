// The Library page driven as a user drives it: rows read from the library,
// each operation one undo step with the right bytes, refusals, the marks
// of a Verify, and a double-click that shows the pattern.

#include "EditorTestSupport.h"
#include "editors/VeskComponent.h"
#include "model/VeskFields.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskPatternText.h"

using namespace VeskImage;

namespace
{
    using Bytes = std::vector<juce::uint8>;

    struct LibraryPage : ModelFixture
    {
        LibraryPage()
        {
            editor.setSize (446, 470);
            editor.setCurrentTabIndex (2);
            dispatchPendingMessages();

            // Every slot a little different, so a copy or swap shows in the bytes.
            for (int slot = 0; slot < numPatternRecords; ++slot)
                model.image[patternRecordOffset (slot) + Pattern::level] = (juce::uint8) (100 + slot);

            page.refresh();
            out.clear();
        }

        Bytes image() const { return { model.image, model.image + imageSize }; }
        Bytes record (int slot) const { return record (model.image, slot); }
        static Bytes record (const juce::uint8* image, int slot) { return { image + patternRecordOffset (slot), image + patternRecordOffset (slot) + patternSize }; }

        void select (const std::vector<int>& slots) { page.ourList.selectSlots (slotBlocks (slots)); }

        /** Copies the slots of from and pastes them onto ours selected. */
        SessionResult copyPaste (LibraryList& from, const std::vector<int>& slots, const std::vector<int>& onto)
        {
            from.selectSlots (slotBlocks (slots));
            const auto text = page.copyText();
            select (onto);
            return page.paste (text);
        }

        /** Rows of from dropped on slot to of ours, Shift held or not, as the drag ends. */
        void dropOn (LibraryList& from, const std::vector<int>& slots, int to, bool shift)
        {
            from.selectSlots (slotBlocks (slots));
            juce::SparseSet<int> rows;

            for (int s : slots)
                rows.addRange ({ s, s + 1 });

            auto& target = page.ourList;
            const auto rowArea = target.getListBox().getRowPosition (to, true) + target.getListBox().getPosition();
            const juce::DragAndDropTarget::SourceDetails details (from.getDragSourceDescription (rows), &from.getListBox(), rowArea.getCentre());
            const juce::ScopedValueSetter<juce::ModifierKeys> keys (juce::ModifierKeys::currentModifiers,
                                                                    shift ? juce::ModifierKeys::shiftModifier : 0);
            ASSERT_TRUE (target.isInterestedInDragSource (details));
            target.itemDragEnter (details);
            EXPECT_EQ (target.getDropTarget(), slotBlock (to)) << "the row it would land on is lit";
            target.itemDropped (details);
            EXPECT_FALSE (target.getDropTarget().has_value());
        }

        VeskComponent editor { session };
        LibraryComponent& page = *editor.libraryPage;
        juce::String lastMessage;
    };

    /** A library file of the given image, for Open Other Library. */
    juce::File writeOther (const juce::TemporaryFile& tmp, const Bytes& image)
    {
        EXPECT_TRUE (VeskLibraryFile::write (tmp.getFile(), image.data()).wasOk());
        return tmp.getFile();
    }
}

TEST_F (LibraryPage, IsTheThirdTabWithOneNamedRowPerSlot)
{
    EXPECT_EQ (editor.getTabNames(), juce::StringArray ("Patterns", "System", "Library", "Collection"));

    for (int slot = 0; slot < numPatternRecords; ++slot)
    {
        auto* row = findNamed (page.ourList, slotBlock (slot).name());
        ASSERT_NE (row, nullptr) << slot;
        EXPECT_TRUE (page.ourList.getLocalBounds().contains (row->getBounds() + row->getParentComponent()->getPosition()))
            << "all 21 rows in view without scrolling: " << slot;
    }
}

TEST_F (LibraryPage, RowsReadWhatTheLibraryHolds)
{
    struct Case
    {
        int type, toneOrKit, tempo, length, perBar;
        const char* expected;
    };

    const Case cases[] = {
        { PartType::lead, 0, 1300, 0, 1, "User 04: Lead, 130 BPM, 1 x 16, 01 - SAW 1 Ds1 Off" },
        { PartType::bass, 3, 955, 1, 0, "User 04: Bass, 95 BPM, 2 x 12, " },
        { PartType::rythm, 0, 1800, 1, 1, "User 04: Rythm, 180 BPM, 2 x 16, 808" },
        { PartType::lineIn, 5, 400, 0, 0, "User 04: Line In, 40 BPM, 1 x 12" },
        { PartType::slicer, 0, 2400, 0, 1, "User 04: Slicer, 240 BPM, 1 x 16" },
        { PartType::bass, 3, 16383, 0, 1, "User 04: Bass, 16383 (out of range), 1 x 16, " }, // a damaged tempo, as vesk show marks it
    };

    for (const auto& c : cases)
    {
        auto* r = model.image + patternRecordOffset (4);
        r[Pattern::type] = (juce::uint8) c.type;
        r[Pattern::toneOrKit] = (juce::uint8) c.toneOrKit;
        r[Pattern::tempoHigh] = (juce::uint8) (c.tempo / 128);
        r[Pattern::tempoLow] = (juce::uint8) (c.tempo % 128);
        r[Pattern::patternLength] = (juce::uint8) c.length;
        r[Pattern::stepsPerBar] = (juce::uint8) c.perBar;

        const auto shown = page.ourList.getTooltipForRow (4);
        EXPECT_TRUE (shown.startsWith (c.expected)) << shown << " / " << c.expected;
    }
}

TEST_F (LibraryPage, StepDrawingShowsPlayedStepsAndLeavesRestsAndUnplayedStepsEmpty)
{
    auto* r = model.image + patternRecordOffset (2);
    r[Pattern::patternLength] = 0;
    r[Pattern::stepsPerBar] = 0; // 12 steps played

    for (int s = 0; s < Pattern::numSteps; ++s)
        r[Pattern::stepType + s] = StepType::normal;

    r[Pattern::stepType + 1] = StepType::rest;
    r[Pattern::stepType + 2] = StepType::tie; // after a rest: nothing to hold

    juce::Image picture (juce::Image::ARGB, 32 * 4, 20, true);
    {
        juce::Graphics g (picture);
        g.fillAll (LibraryRows::background);
        LibraryRows::paintSteps (g, r, { 0, 0, 32 * 4, 20 });
    }

    // Painted: step 1 and 12; empty: a rest, a tie after a rest (it holds nothing), past the 12 steps played.
    for (auto [step, painted] : { std::pair (0, true), std::pair (1, false), std::pair (2, false), std::pair (11, true), std::pair (12, false) })
    {
        bool found = false;

        for (int y = 0; y < 18; ++y)
            found = found || picture.getPixelAt (step * 4, y).getGreen() > 200;

        EXPECT_EQ (found, painted) << "step " << step + 1;
    }
}

TEST_F (LibraryPage, StepDrawingOfARythmPatternPaintsItsHitsAndLeavesItsBlankStepsEmpty)
{
    auto* r = model.image + patternRecordOffset (2);
    r[Pattern::type] = PartType::rythm;
    r[Pattern::patternLength] = 0;
    r[Pattern::stepsPerBar] = 0;

    // "C ", "O ", "CA", "OA", then blank steps, and an open hit after a blank one.
    for (int s = 0; s < Pattern::numSteps; ++s)
        r[Pattern::stepType + s] = (juce::uint8) (s < 4 ? s : 4);

    r[Pattern::stepType + 6] = 1;

    juce::Image picture (juce::Image::ARGB, 32 * 4, 20, true);
    {
        juce::Graphics g (picture);
        g.fillAll (LibraryRows::background);
        LibraryRows::paintSteps (g, r, { 0, 0, 32 * 4, 20 });
    }

    for (int step = 0; step < 8; ++step)
    {
        bool found = false;

        for (int y = 0; y < 18; ++y)
            found = found || picture.getPixelAt (step * 4, y).getGreen() > 200;

        EXPECT_EQ (found, step < 4 || step == 6) << "step " << step + 1;
    }
}

TEST_F (LibraryPage, EachOperationIsOneUndoStepWithTheRightBytes)
{
    const auto start = image();
    Bytes otherImage (imageSize);
    VeskModel::writeDefaults (otherImage.data());
    otherImage[patternRecordOffset (9) + Pattern::pan] = 3;
    juce::TemporaryFile otherFile (".vsk");
    ASSERT_TRUE (page.openOtherLibrary (writeOther (otherFile, otherImage)).wasOk());

    Bytes defaults (imageSize);
    VeskModel::writeDefaults (defaults.data());

    struct Case
    {
        const char* name;
        std::function<void()> action;
        std::map<int, Bytes> expected; // slot -> record afterwards; every other byte unchanged
    };

    const std::vector<Case> cases = {
        { "drag User 03 onto User 07", [&]
          { dropOn (page.ourList, { 3 }, 7, false); },
          { { 7, record (start.data(), 3) } } },
        { "Shift-drag User 03 onto User 07", [&]
          { dropOn (page.ourList, { 3 }, 7, true); },
          { { 7, record (start.data(), 3) }, { 3, record (start.data(), 7) } } },
        { "drag User 01-02 onto the Temporary", [&]
          { dropOn (page.ourList, { 1, 2 }, 0, false); },
          { { 0, record (start.data(), 1) }, { 1, record (start.data(), 2) } } },
        { "drag the other's User 09 onto User 20", [&]
          { dropOn (*page.getOtherList(), { 9 }, 20, true); },
          { { 20, record (otherImage.data(), 9) } } },
        { "paste a copy of User 05 onto User 11", [&]
          { EXPECT_TRUE (copyPaste (page.ourList, { 5 }, { 11 }).wasOk()); },
          { { 11, record (start.data(), 5) } } },
        { "paste one pattern onto two selected slots", [&]
          { EXPECT_TRUE (copyPaste (page.ourList, { 5 }, { 1, 8 }).wasOk()); },
          { { 1, record (start.data(), 5) }, { 8, record (start.data(), 5) } } },
        { "paste the other library's copy of User 09", [&]
          { EXPECT_TRUE (copyPaste (*page.getOtherList(), { 9 }, { 12 }).wasOk()); },
          { { 12, record (otherImage.data(), 9) } } },
        { "swap with User 15", [&]
          {
              select ({ 4 });
              EXPECT_TRUE (page.swapSelectedWith (slotBlock (15)).wasOk());
          },
          { { 4, record (start.data(), 15) }, { 15, record (start.data(), 4) } } },
        { "initialise two slots", [&]
          {
              select ({ 6, 19 });
              EXPECT_TRUE (page.initialiseSelected().wasOk());
          },
          { { 6, record (defaults.data(), 6) }, { 19, record (defaults.data(), 19) } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const int stepsBefore = session.getHistory().getNumDone();
        out.clear();
        c.action();
        clock.runUntilIdle();

        auto expected = start;

        for (const auto& [slot, bytes] : c.expected)
            std::copy (bytes.begin(), bytes.end(), expected.begin() + patternRecordOffset (slot));

        EXPECT_EQ (image(), expected);
        EXPECT_EQ (session.getHistory().getNumDone(), stepsBefore + 1) << "one step";
        // The changed records go to the unit whole, each once, in Send All's order.
        std::vector<std::string> sent, expectedSent;

        for (auto& m : out.messages)
            if (m.front() == 0xF0)
                sent.push_back (RecordingMidiOut::hex (m));

        for (int slot = 1; slot <= numPatternRecords; ++slot)
            if (c.expected.count (slot % numPatternRecords) > 0)
                expectedSent.push_back (hexOf (slot == numPatternRecords ? VeskProtocol::patternBulk (Area::temporaryPattern, 0, expected.data() + patternRecordOffset (0))
                                                                         : VeskProtocol::patternBulk (Area::userPattern, slot - 1, expected.data() + patternRecordOffset (slot))));

        EXPECT_EQ (sent, expectedSent);

        ASSERT_TRUE (session.undo().wasOk());
        clock.runUntilIdle();
        EXPECT_EQ (image(), start) << "undo restores every byte";
    }
}

TEST_F (LibraryPage, ForeignClipboardTextIsRefusedAndChangesNothing)
{
    const auto start = image();
    select ({ 3 });

    for (const juce::String text : { "", "hello", "F0 41 10 00 4F 12 01 00 00 05 40 3B F7", "F0 41 10 00 4F 12 F7" })
    {
        SCOPED_TRACE (text);
        const auto result = page.paste (text);
        EXPECT_TRUE (result.failed());
        EXPECT_TRUE (result.getText().contains ("Nothing was changed")) << result.getText();
    }

    // Too many patterns for the slots after the one selected.
    EXPECT_TRUE (copyPaste (page.ourList, { 1, 2, 3 }, { 19 }).getText().contains ("past User 20"));

    EXPECT_EQ (image(), start);
    EXPECT_EQ (session.getHistory().getNumSteps(), 0);
}

TEST_F (LibraryPage, PasteReadsTheClipboardThroughItsReaderOnlyWhenItCanPaste)
{
    select ({ 5 });
    const auto copied = page.copyText();
    int reads = 0;
    juce::String onClipboard;
    auto why = juce::Result::ok();

    page.readClipboard = [&] (juce::String& text)
    {
        ++reads;
        text = onClipboard;
        return why;
    };

    // Refused by the reader: its reason, and nothing changes.
    onClipboard = copied;
    why = juce::Result::fail (VeskPatternText::describeTooLarge());
    select ({ 11 });
    const auto start = image();
    const auto refused = page.pasteFromClipboard();
    EXPECT_TRUE (refused.getText().startsWith ("The clipboard holds no patterns that can be pasted: it is more than 64 KiB of text.")) << refused.getText();
    EXPECT_TRUE (refused.getText().contains ("Nothing was changed"));
    EXPECT_EQ (image(), start);
    EXPECT_EQ (reads, 1);

    // Nothing selected: the clipboard's owner is not even asked.
    select ({});
    EXPECT_TRUE (page.pasteFromClipboard().getText().contains ("Select the slot"));
    EXPECT_EQ (reads, 1);

    why = juce::Result::ok();
    select ({ 11 });
    ASSERT_TRUE (page.pasteFromClipboard().wasOk());
    EXPECT_EQ (record (11), record (5));
    EXPECT_EQ (reads, 2);
    clock.runUntilIdle();
}

TEST_F (LibraryPage, OperationsAreRefusedWhileATransferRuns)
{
    session.setVirtualUnitInUse (true);
    select ({ 3 });
    const auto copied = page.copyText();
    ASSERT_TRUE (session.startTransfer (VeskTransfer::Kind::sendAll).wasOk());
    ASSERT_TRUE (session.isBusy());
    const auto start = image();

    const std::pair<const char*, std::function<SessionResult()>> cases[] = {
        { "Paste", [&]
          { return page.paste (copied); } },
        { "Swap With...", [&]
          { return page.swapSelectedWith (slotBlock (9)); } },
        { "Initialise", [&]
          { return page.initialiseSelected(); } },
        { "Copy", [&]
          { return page.drop (PatternDrag::describeSlots (slotBlocks ({ 3 })), &page.ourList, slotBlock (9), false); } },
        { "Swap", [&]
          { return page.drop (PatternDrag::describeSlots (slotBlocks ({ 3 })), &page.ourList, slotBlock (9), true); } },
    };

    for (const auto& [what, action] : cases)
        EXPECT_EQ (action(), session.refusalWhileBusy (what));

    EXPECT_EQ (image(), start);
    clock.runUntilIdle();
}

TEST_F (LibraryPage, AVerifyMarksTheSlotsThatDifferUntilTheyAreEqualAgain)
{
    session.setVirtualUnitInUse (true);
    auto& unit = session.getVirtualUnit();
    ASSERT_TRUE (session.startTransfer (VeskTransfer::Kind::sendAll).wasOk());
    clock.runUntilIdle();

    for (int slot = 0; slot < numPatternRecords; ++slot)
        EXPECT_FALSE (page.ourList.rowState (slotBlock (slot), false).differsFromUnit) << "nothing verified yet: " << slot;

    // The temporary pattern is marked as a user pattern is.
    unit.memory[patternRecordOffset (6) + Pattern::pan] = 1;
    unit.memory[patternRecordOffset (0) + Pattern::level] = 1;
    ASSERT_TRUE (session.startTransfer (VeskTransfer::Kind::verify).wasOk());
    clock.runUntilIdle();

    for (int slot = 0; slot < numPatternRecords; ++slot)
        EXPECT_EQ (page.ourList.rowState (slotBlock (slot), false).differsFromUnit, slot == 6 || slot == 0) << slot;

    EXPECT_TRUE (page.ourList.getTooltipForRow (6).endsWith ("(differs from the unit)"));
    EXPECT_TRUE (page.ourList.getTooltipForRow (0).endsWith ("(differs from the unit)"));
    model.image[patternRecordOffset (0) + Pattern::level] = 1;
    EXPECT_FALSE (page.ourList.rowState (slotBlock (0), false).differsFromUnit);

    // The library made equal to the unit's copy: the mark goes.
    model.image[patternRecordOffset (6) + Pattern::pan] = 1;
    EXPECT_FALSE (page.ourList.rowState (slotBlock (6), false).differsFromUnit);

    // A copy sends its record: the unit then holds what the library holds.
    model.image[patternRecordOffset (6) + Pattern::pan] = 64;
    EXPECT_TRUE (page.ourList.rowState (slotBlock (6), false).differsFromUnit);
    dropOn (page.ourList, { 2 }, 6, false);
    clock.runUntilIdle();
    EXPECT_FALSE (page.ourList.rowState (slotBlock (6), false).differsFromUnit);
}

TEST_F (LibraryPage, DoubleClickAndReturnShowThePatternOnThePatternsPage)
{
    auto& list = page.ourList;
    list.listBoxItemDoubleClicked (5, mouseEventOn (list, {}, {}, {}, 2));
    EXPECT_EQ (session.getShownPattern(), slotBlock (5));
    EXPECT_EQ (editor.getCurrentTabName(), "Patterns");
    EXPECT_EQ (editor.patternsPage->patternsCombo->getSelectedItemIndex(), 5);

    editor.setCurrentTabIndex (2);
    list.returnKeyPressed (0);
    EXPECT_EQ (session.getShownPattern(), slotBlock (0));
    EXPECT_EQ (editor.getCurrentTabName(), "Patterns");
}

TEST_F (LibraryPage, OtherLibrariesShowWhatTheyHoldAndADamagedOneChangesNothing)
{
    juce::TemporaryFile syx (".syx"), damaged (".vsk");
    Bytes image (imageSize);
    VeskModel::writeDefaults (image.data());
    image[patternRecordOffset (4) + Pattern::pan] = 7;

    // A .syx of user pattern 4 alone.
    const auto dump = VeskProtocol::patternBulk (Area::userPattern, 3, image.data() + patternRecordOffset (4));
    ASSERT_TRUE (syx.getFile().replaceWithData (dump.getRawData(), (size_t) dump.getRawDataSize()));
    ASSERT_TRUE (damaged.getFile().replaceWithText ("VSK not really"));

    ASSERT_TRUE (page.openOtherLibrary (syx.getFile()).wasOk());
    auto* other = page.getOtherList();
    ASSERT_NE (other, nullptr);

    for (int slot = 0; slot < numPatternRecords; ++slot)
        EXPECT_EQ (other->rowState (slotBlock (slot), false).held, slot == 4) << slot;

    juce::SparseSet<int> notHeld;
    notHeld.addRange ({ 3, 5 });
    EXPECT_TRUE (other->getDragSourceDescription (notHeld).isVoid()) << "a slot it does not hold cannot be dragged";
    EXPECT_FALSE (other->isInterestedInDragSource ({ juce::Array<juce::var> { 1 }, &page.ourList.getListBox(), {} })) << "read-only";

    const auto before = this->image();
    EXPECT_TRUE (page.openOtherLibrary (damaged.getFile()).failed());
    EXPECT_EQ (page.getOtherList(), other) << "the one shown stays";
    EXPECT_EQ (this->image(), before);

    page.closeOtherLibrary();
    EXPECT_EQ (page.getOtherList(), nullptr);
}
