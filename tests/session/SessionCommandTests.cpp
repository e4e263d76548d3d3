// What the File and Unit menus do with the library and the unit, on a session
// without a window, against the virtual unit in virtual time.

#include "SessionTestSupport.h"
#include "model/VeskFieldTable.h"
#include "session/VeskSlotSteps.h"

using namespace VeskImage;
using Kind = VeskTransfer::Kind;

namespace
{

    /** The dump that restores a block of an image: -1 system, 0 temporary, 1-20 user patterns. */
    juce::MidiMessage bulkOf (const std::vector<juce::uint8>& image, int block)
    {
        if (block < 0)
            return VeskProtocol::systemBulk (image.data());

        return VeskProtocol::patternBulk (block == 0 ? Area::temporaryPattern : Area::userPattern,
                                          juce::jmax (0, block - 1), image.data() + patternRecordOffset (block));
    }

    Messages bulksOf (const std::vector<juce::uint8>& image, const std::vector<int>& blocks)
    {
        Messages result;

        for (int block : blocks)
            result.push_back (hexOf (bulkOf (image, block)));

        return result;
    }

    /** Each pause after a message equals Send All's after a message of that size. */
    void expectSendAllPace (const TimedRecording& sent)
    {
        static const auto sendAll = []
        {
            SessionRig rig;
            rig.session.setVirtualUnitInUse (true);
            rig.session.startTransfer (Kind::sendAll);
            rig.clock.runUntilIdle();
            const auto pauses = rig.out.pauses();
            return std::map<size_t, double> (pauses.begin(), pauses.end());
        }();

        ASSERT_FALSE (sent.pauses().empty());

        for (auto [size, pause] : sent.pauses())
        {
            ASSERT_EQ (sendAll.count (size), 1u) << size << " bytes";
            EXPECT_NEAR (pause, sendAll.at (size), 1e-6) << "after " << size << " bytes";
        }
    }
}

TEST_F (SessionTest, NewAndOpenForgetTheHistoryAndNewSendsTheDefaults)
{
    session.edit (cutoff, 100);
    session.edit (VeskField::system (System::transpose), 20);

    const auto sent = sentBy ([this]
                              { session.newLibrary(); });

    std::vector<juce::uint8> defaults (imageSize);
    VeskModel::writeDefaults (defaults.data());
    EXPECT_EQ (image(), defaults);
    EXPECT_EQ (sent, startMessages);
    EXPECT_FALSE (session.canUndo());
    EXPECT_FALSE (model.hasChangedSinceSaved());

    juce::TemporaryFile library (".vsk");
    ASSERT_TRUE (model.saveDocument (library.getFile()).wasOk());
    session.edit (cutoff, 100);
    session.undo();
    ASSERT_TRUE (model.loadDocument (library.getFile()).wasOk());
    EXPECT_FALSE (session.canUndo() || session.canRedo());
}

TEST_F (SessionTest, ImportIsOneStepWhoseUndoSendsTheChangedRecordsAtSendAllsPaceAndExportGivesItBack)
{
    auto imported = image();
    imported[System::transpose] = 20;
    imported[userPatternOffset (2) + Pattern::filterCutoffOrBdLevel] = 99;
    imported[temporaryPatternOffset + Pattern::level] = 50;

    // User 9 comes too, as the library holds it already.
    juce::MemoryOutputStream bytes;

    for (int block : { -1, 3, 9, 0 })
    {
        const auto bulk = bulkOf (imported, block);
        bytes.write (bulk.getRawData(), (size_t) bulk.getRawDataSize());
    }

    juce::TemporaryFile syx (".syx");
    ASSERT_TRUE (syx.getFile().replaceWithData (bytes.getData(), bytes.getDataSize()));

    const auto before = image();
    SessionResult outcome;
    EXPECT_TRUE (sentBy ([&]
                         { outcome = session.importSyx (syx.getFile()); })
                     .empty());
    ASSERT_FALSE (outcome.failed()) << outcome.getText();
    EXPECT_EQ (image(), imported);
    EXPECT_EQ (session.getHistory().getNumSteps(), 1);
    EXPECT_EQ (session.getUndoName(), "Import .syx");

    out.clear();
    ASSERT_TRUE (session.undo().wasOk());
    EXPECT_EQ (image(), before);
    EXPECT_FALSE (model.hasChangedSinceSaved());

    // The records go out one by one; until the last has, nothing else may move the library.
    EXPECT_EQ (out.messages.size(), 1u);
    EXPECT_TRUE (session.undo().failed());
    EXPECT_TRUE (session.redo().failed());
    clock.runUntilIdle();
    EXPECT_EQ (hexLines (out.messages), bulksOf (before, { -1, 3, 0 }));
    expectSendAllPace (out);

    out.clear();
    ASSERT_TRUE (session.redo().wasOk());
    clock.runUntilIdle();
    EXPECT_EQ (image(), imported);
    EXPECT_EQ (hexLines (out.messages), bulksOf (imported, { -1, 3, 0 }));

    ASSERT_FALSE (session.importSyx (syx.getFile()).failed());
    EXPECT_EQ (session.getHistory().getNumSteps(), 1) << "the same file again changes nothing";

    session.showPattern (slotBlock (7));
    session.edit (cutoff, 3);
    EXPECT_TRUE (sentBy ([&]
                         { EXPECT_TRUE (session.exportSyx (syx.getFile()).wasOk()); })
                     .empty());
    EXPECT_EQ (session.getHistory().getNumSteps(), 2) << "an export is no step";
    SessionRig other;
    ASSERT_FALSE (other.session.importSyx (syx.getFile()).failed());
    EXPECT_EQ (blocks (other.model.image), blocks (model.image));
}

TEST_F (SessionTest, GetAllIsOneStepWhoseUndoGivesEveryByteBackAndSendsTheChangedRecords)
{
    session.setVirtualUnitInUse (true);
    auto& unit = session.getVirtualUnit();
    ASSERT_EQ (blocks (unit.memory), blocks (model.image));

    ASSERT_TRUE (session.startTransfer (Kind::getAll).wasOk());
    clock.runUntilIdle();
    EXPECT_FALSE (session.canUndo()) << "nothing new came";
    EXPECT_FALSE (model.hasChangedSinceSaved());

    session.edit (VeskField::system (System::transpose), 10);
    unit.memory[System::transpose] = 3;
    unit.memory[userPatternOffset (6) + Pattern::filterCutoffOrBdLevel] = 11;
    unit.memory[userPatternOffset (19) + Pattern::stepNote + 4] = 70;
    const auto before = image();

    ASSERT_TRUE (session.startTransfer (Kind::getAll).wasOk());

    // While it runs, nothing else that moves the library or talks to the unit starts.
    const std::pair<const char*, std::function<SessionResult()>> refusals[] = {
        { "Undo", [this]
          { return session.undo(); } },
        { "Redo", [this]
          { return session.redo(); } },
        { "Find Unit", [this]
          { return session.findUnit(); } },
        { "Send All", [this]
          { return session.startTransfer (Kind::sendAll); } },
        { "Import", [this]
          { return session.importSyx (juce::File::getCurrentWorkingDirectory().getChildFile ("any.syx")); } },
        { "Import MIDI File", [this]
          { return session.importMidi (juce::File::getCurrentWorkingDirectory().getChildFile ("any.mid")); } },
    };

    for (auto& [what, attempt] : refusals)
    {
        SCOPED_TRACE (what);
        const auto refusal = attempt();
        EXPECT_EQ (refusal.getRefusal(), SessionResult::Refusal::busy);
        EXPECT_EQ (refusal.getJobTitle(), "Get All From Unit");
        EXPECT_EQ (session.getHistory().getNumDone(), 1);
    }

    clock.runUntilIdle();
    const auto got = image();
    EXPECT_EQ (blocks (got.data()), blocks (unit.memory));
    EXPECT_EQ (session.getHistory().getNumSteps(), 2);
    EXPECT_EQ (session.getUndoName(), "Get All From Unit");

    out.clear();
    ASSERT_TRUE (session.undo().wasOk());
    EXPECT_EQ (image(), before);
    clock.runUntilIdle();
    EXPECT_EQ (hexLines (out.messages), bulksOf (before, { -1, 7, 20 }));
    expectSendAllPace (out);
    EXPECT_EQ (blocks (unit.memory), blocks (model.image)) << "the unit holds the library again";

    ASSERT_TRUE (session.redo().wasOk());
    clock.runUntilIdle();
    EXPECT_EQ (image(), got);
    EXPECT_EQ (blocks (unit.memory), blocks (got.data()));
}

TEST (SessionUndoOfWholeBlocks, LeavesTheUnitEditingTheShownPatternAsTheLibraryHoldsIt)
{
    // Blocks the unit changes (-1 system, 0 temporary, 1-20 user patterns) while a pattern is shown.
    const std::tuple<const char*, int, std::vector<int>> cases[] = {
        { "one user pattern, the temporary one shown", 0, { 3 } },
        { "the shown user pattern and the system", 3, { -1, 3 } },
        { "the temporary pattern, a user pattern shown", 2, { 0, 5 } },
    };

    for (const auto& [what, shownBefore, changedOnUnit] : cases)
    {
        SCOPED_TRACE (what);
        SessionRig rig;
        auto& unit = rig.session.getVirtualUnit();
        rig.session.setVirtualUnitInUse (true);

        // Every record differs from the others, and the unit holds them all.
        for (int record = 0; record < numPatternRecords; ++record)
            rig.model.image[patternRecordOffset (record) + Pattern::stepNote] = (juce::uint8) (40 + record);

        rig.session.startTransfer (Kind::sendAll);
        rig.clock.runUntilIdle();

        // Its stored blocks change before the pattern is chosen there, its edit buffer after.
        auto changeOnUnit = [&, &changed = changedOnUnit] (bool editBuffer)
        {
            for (int block : changed)
                if ((block == 0) == editBuffer)
                    unit.memory[block < 0 ? System::transpose : patternRecordOffset (block) + Pattern::level] = 5;
        };

        changeOnUnit (false);
        rig.session.showPattern (slotBlock (shownBefore));
        changeOnUnit (true);

        ASSERT_TRUE (rig.session.startTransfer (Kind::getAll).wasOk());
        rig.clock.runUntilIdle();
        ASSERT_TRUE (rig.session.undo().wasOk());
        rig.clock.runUntilIdle();

        const auto shown = rig.session.getShownPattern();
        ASSERT_TRUE (shown.isUser());
        EXPECT_EQ (unit.selectedUserPattern, shown);
        const auto* editBuffer = unit.memory + temporaryPatternOffset;
        EXPECT_TRUE (std::equal (editBuffer, editBuffer + patternSize, rig.model.bytesOf (shown)));
        EXPECT_TRUE (std::equal (unit.memory + userPatternsOffset, unit.memory + reservedAreaOffset, rig.model.userPatterns));
    }
}

TEST_F (SessionTest, SendAllAndVerifyGoOnlyToTheVirtualUnitInUseAndAreNoSteps)
{
    auto& unit = session.getVirtualUnit();
    auto refused = [this]
    {
        for (auto kind : { Kind::getAll, Kind::sendAll, Kind::verify })
        {
            SCOPED_TRACE (VeskTransfer::title (kind));
            EXPECT_TRUE (sentBy ([&]
                                 { EXPECT_EQ (session.startTransfer (kind).getRefusal(), SessionResult::Refusal::noOutput); })
                             .empty());
            EXPECT_FALSE (session.isBusy());
        }
    };

    refused();
    session.edit (cutoff, 100);
    EXPECT_EQ (unit.memory[temporaryPatternOffset + Pattern::filterCutoffOrBdLevel], 64) << "not in use";

    session.setVirtualUnitInUse (true);
    session.showPattern (slotBlock (4));
    session.edit (VeskField::tempo(), VeskFieldTable::pattern (VeskImage::Pattern::tempoHigh, VeskImage::PartType::lead).stored (99.0));
    const auto library = image();

    ASSERT_TRUE (session.startTransfer (Kind::sendAll).wasOk());
    clock.runUntilIdle();
    EXPECT_EQ (blocks (unit.memory), blocks (model.image));

    unit.memory[userPatternOffset (9) + Pattern::level] = 1;
    ASSERT_TRUE (session.startTransfer (Kind::verify).wasOk());
    clock.runUntilIdle();
    EXPECT_EQ (session.getTransfer().getReport().differences.size(), 1u);
    EXPECT_EQ (image(), library);
    EXPECT_EQ (session.getHistory().getNumSteps(), 2);

    session.setVirtualUnitInUse (false);
    EXPECT_EQ (session.getNumReceivers(), 0);
    refused();
}

TEST_F (SessionTest, PatternsCopiedSwappedAndInitialisedAreStepsThatSendTheRecordsTheyChanged)
{
    auto record = [] (std::vector<juce::uint8>& image, int slot)
    { return image.begin() + patternRecordOffset (slot); };

    model.image[patternRecordOffset (3) + Pattern::level] = 11;
    model.image[patternRecordOffset (7) + Pattern::type] = PartType::rythm;
    std::vector<juce::uint8> other (model.image, model.image + imageSize);
    other[patternRecordOffset (5) + Pattern::pan] = 5;
    std::vector<juce::uint8> defaults (imageSize);
    VeskModel::writeDefaults (defaults.data());
    const auto start = image();

    struct Case
    {
        const char* name;
        std::function<SessionResult()> step;
        std::vector<int> sent;
        std::function<void (std::vector<juce::uint8>&)> expect;
    };

    const Case cases[] = {
        { "Copy User 03 to User 07", [&]
          { return VeskSlotSteps::copy (session, slotBlock (3), slotBlock (7)); },
          { 7 },
          [&] (auto& i)
          { std::copy_n (record (i, 3), patternSize, record (i, 7)); } },
        { "Swap User 03 and User 07", [&]
          { return VeskSlotSteps::swap (session, slotBlock (3), slotBlock (7)); },
          { 3, 7 },
          [&] (auto& i)
          { std::swap_ranges (record (i, 3), record (i, 3) + patternSize, record (i, 7)); } },
        { "Copy User 05 to Temporary", [&]
          { return VeskSlotSteps::copyFrom (session, other.data(), slotBlock (5), slotBlock (0)); },
          { 0 },
          [&] (auto& i)
          { std::copy_n (record (other, 5), patternSize, record (i, 0)); } },
        { "Initialise User 03", [&]
          { return VeskSlotSteps::initialise (session, slotBlock (3)); },
          { 3 },
          [&] (auto& i)
          { std::copy_n (record (defaults, 3), patternSize, record (i, 3)); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        auto expected = start;
        c.expect (expected);

        // An undo of one user pattern's step shows that pattern, selected on the unit once its record is in.
        auto undoSends = bulksOf (start, c.sent);

        if (c.sent.size() == 1 && c.sent.front() >= 1)
            for (auto& m : sentBy ([&]
                                   { session.showPattern (slotBlock (c.sent.front())); }))
                undoSends.push_back (m);

        session.showPattern (slotBlock (0));

        out.clear();
        ASSERT_TRUE (c.step().wasOk());
        const auto busy = session.refusalWhileBusy ("Undo");
        EXPECT_TRUE (busy.getRefusal() == SessionResult::Refusal::busy && ! busy.jobHasWindow()) << "no window to cancel in";
        EXPECT_EQ (image(), expected) << "the target records and no other byte";
        EXPECT_EQ (session.getUndoName(), c.name);
        EXPECT_TRUE (model.hasChangedSinceSaved());
        clock.runUntilIdle();
        EXPECT_EQ (hexLines (out.messages), bulksOf (expected, c.sent));

        if (c.sent.size() > 1)
            expectSendAllPace (out);

        out.clear();
        ASSERT_TRUE (session.undo().wasOk());
        clock.runUntilIdle();
        EXPECT_EQ (image(), start);
        EXPECT_EQ (hexLines (out.messages), undoSends);
        EXPECT_FALSE (model.hasChangedSinceSaved());
    }

    // Nothing to change is no step and sends nothing; a slot that does not exist, or a running job, refuses.
    const int steps = session.getHistory().getNumDone();
    EXPECT_TRUE (sentBy ([&]
                         { EXPECT_TRUE (VeskSlotSteps::copy (session, slotBlock (1), slotBlock (2)).wasOk()); })
                     .empty());
    EXPECT_FALSE (VeskSlotSteps::copy (session, slotBlock (3), VeskBlock::system()).wasOk());
    EXPECT_FALSE (VeskSlotSteps::copyFrom (session, other.data(), VeskBlock::system(), slotBlock (3)).wasOk());
    ASSERT_TRUE (VeskSlotSteps::swap (session, slotBlock (3), slotBlock (7)).wasOk());
    EXPECT_FALSE (VeskSlotSteps::initialise (session, slotBlock (7)).wasOk()) << "while the swap's records go out";
    clock.runUntilIdle();
    EXPECT_EQ (session.getHistory().getNumDone(), steps + 1);
    EXPECT_NE (image(), start);
}

TEST_F (SessionTest, SendAndStoreOfThePagesGoOutAsTheySayAndWaitWhileAJobRuns)
{
    session.setVirtualUnitInUse (true);
    session.showPattern (slotBlock (4));
    const auto shown = model.bytesOf (slotBlock (4));
    const Messages sendsPattern { hexOf (VeskProtocol::patternBulk (Area::temporaryPattern, 3, shown)),
                                  hexOf (VeskProtocol::patternBulk (Area::userPattern, 3, shown)) };

    EXPECT_EQ (sentBy ([&]
                       { EXPECT_TRUE (session.sendToUnit (slotBlock (4)).wasOk()); }),
               sendsPattern);
    EXPECT_EQ (sentBy ([&]
                       { EXPECT_TRUE (session.askUnitFor (VeskBlock::system()).wasOk()); }),
               Messages { hexOf (VeskProtocol::systemRequest()) });
    clock.runUntilIdle();

    // Both a transfer with a window and the few records an undo sends without one.
    model.image[patternRecordOffset (1) + Pattern::level] = 9;
    ASSERT_TRUE (VeskSlotSteps::copy (session, slotBlock (1), slotBlock (2)).wasOk());
    clock.runUntilIdle();
    const std::function<SessionResult()> startJobs[] = { [&]
                                                         { return session.startTransfer (Kind::sendAll); },
                                                         [&]
                                                         { return session.undo(); } };

    for (const auto& start : startJobs)
    {
        ASSERT_TRUE (start().wasOk());
        ASSERT_TRUE (session.isBusy());
        const auto library = image();

        for (const auto block : { VeskBlock::system(), slotBlock (4) })
        {
            SCOPED_TRACE (block.name());
            const auto sends = sentBy ([&]
                                       {
                                           EXPECT_EQ (session.sendToUnit (block), session.refusalWhileBusy ("Send"));
                                           EXPECT_EQ (session.askUnitFor (block), session.refusalWhileBusy ("Store")); });
            EXPECT_TRUE (sends.empty()) << sends.front();
        }

        EXPECT_EQ (image(), library);
        clock.runUntilIdle();
    }
}
