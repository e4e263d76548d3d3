#include "UnitTestSupport.h"
#include "model/VeskProtocol.h"

using namespace VeskImage;
using Status = VeskTransfer::BlockResult::Status;

namespace
{
    /** Blocks as the image orders them: -1 the system block, 0 the temporary pattern, 1-20 user patterns. */
    std::optional<VeskBlock> blockAt (int index)
    {
        return index < 0 ? VeskBlock::system() : VeskBlock::fromRecord (index);
    }

    const VeskTransfer::BlockResult& resultFor (const VeskTransfer::Report& report, int block)
    {
        for (auto& b : report.blocks)
            if (b.block == blockAt (block))
                return b;

        throw std::runtime_error ("no such block");
    }
}

TEST_F (UnitLink, SendAllThenGetAllGivesTheLibraryBackByteForByte)
{
    scramble (model.image, 1);
    auto original = library();

    runTransfer (VeskTransfer::Kind::sendAll);
    EXPECT_EQ (blocks (unitMemory()), blocks (original));
    EXPECT_EQ (library(), original) << "sending changes nothing of the library";

    // A new library of zeros gets everything back from the unit.
    std::fill (model.image, model.image + imageSize, (juce::uint8) 0);
    std::fill (original.begin() + reservedAreaOffset, original.end(), (juce::uint8) 0);
    model.setChangedFlag (false);

    runTransfer (VeskTransfer::Kind::getAll);
    EXPECT_EQ (library(), original);
    EXPECT_TRUE (model.hasChangedSinceSaved());
    EXPECT_EQ (transfer.getReport().numDone(), 22);
    EXPECT_TRUE (transfer.getReport().summary().startsWith ("Got all 22 blocks from the unit"));
}

TEST_F (UnitLink, GetAllTakesExactlyTheUnitsMemoryAndOnlyItsBlocks)
{
    scramble (unit.memory, 2);
    unit.memory[reservedAreaOffset + 10] = 99; // never travels
    model.image[reservedAreaOffset + 5] = 7;

    runTransfer (VeskTransfer::Kind::getAll);

    EXPECT_EQ (blocks (library()), blocks (unitMemory()));
    EXPECT_EQ (model.image[reservedAreaOffset + 5], 7);
    EXPECT_EQ (model.image[reservedAreaOffset + 10], 0);

    // One request per block, in order: system, temporary, user 1 to 20.
    ASSERT_EQ (wire.sent.size(), 22u);
    EXPECT_EQ (wire.sent[0].bytes, bytesOf (VeskProtocol::systemRequest()));
    EXPECT_EQ (wire.sent[1].bytes, bytesOf (VeskProtocol::patternRequest (1, 0)));
    EXPECT_EQ (wire.sent[21].bytes, bytesOf (VeskProtocol::patternRequest (2, 19)));
}

TEST_F (UnitLink, VerifyNamesExactlyTheFieldThatDiffersAndLeavesTheLibraryAlone)
{
    runTransfer (VeskTransfer::Kind::sendAll);
    unit.memory[userPatternOffset (2) + Pattern::filterCutoffOrBdLevel] = 100;
    model.setChangedFlag (false);
    const auto before = library();

    runTransfer (VeskTransfer::Kind::verify);

    const auto& report = transfer.getReport();
    ASSERT_EQ (report.differences.size(), 1u);
    EXPECT_EQ (report.differences[0].where, "User 03");
    EXPECT_EQ (report.differences[0].field, "filterCutoffOrBdLevel");
    EXPECT_EQ (report.differences[0].valueA, "64");
    EXPECT_EQ (report.differences[0].valueB, "100");
    EXPECT_EQ (library(), before);
    EXPECT_FALSE (model.hasChangedSinceSaved());

    const auto summary = report.summary();
    EXPECT_TRUE (summary.contains ("differs from the library in 1 field of 1 block")) << summary;
    EXPECT_TRUE (summary.contains ("Same as the library: System, Temporary, User 01-02, User 04-20")) << summary;

    unit.memory[userPatternOffset (2) + Pattern::filterCutoffOrBdLevel] = 64;
    runTransfer (VeskTransfer::Kind::verify);
    EXPECT_TRUE (transfer.getReport().differences.empty());
    EXPECT_TRUE (transfer.getReport().summary().startsWith ("The unit matches the library: all 22 blocks are the same."));
}

// Answer 2 is the temporary pattern's (answer 1 the system block's).
TEST_F (UnitLink, FaultsOnTheLineAreRetriedSkippedAndNamed)
{
    using Fault = VeskVirtualUnit::Fault;

    struct Case
    {
        const char* what;
        std::vector<std::pair<int, Fault>> faults;
        Status status;
        juce::StringArray failedTries;
        int requests;
        const char* reported = nullptr; // the summary's line for a skipped block
    };

    Fault late, tooLate, dropped, damaged, cut, foreign;
    late.extraDelayMs = 900.0;
    tooLate.extraDelayMs = 1500.0;
    dropped.drop = true;
    damaged.badChecksum = true;
    cut.cutShort = true;
    foreign.foreignBefore = true;

    const Case cases[] = {
        { "late, inside the timeout", { { 2, late } }, Status::done, {}, 22 },
        { "late, beyond the timeout", { { 2, tooLate } }, Status::done, { "no answer" }, 23 },
        { "dropped once", { { 2, dropped } }, Status::done, { "no answer" }, 23 },
        { "dropped every time", { { 2, dropped }, { 3, dropped }, { 4, dropped } }, Status::skipped, { "no answer", "no answer", "no answer" }, 24, "Temporary: no answer (3 tries)" },
        { "bad checksum", { { 2, damaged } }, Status::done, { "bad checksum" }, 23 },
        { "bad checksum, then nothing", { { 2, damaged }, { 3, dropped }, { 4, dropped } }, Status::skipped, { "bad checksum", "no answer", "no answer" }, 24, "Temporary: bad checksum, no answer (3 tries)" },
        { "cut short", { { 2, cut } }, Status::done, { "cut short" }, 23 },
        { "another device's message in between", { { 2, foreign } }, Status::done, {}, 22 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        VirtualClock caseClock;
        VeskVirtualUnit caseUnit (caseClock);
        TimedMidiOut caseWire (caseClock, caseUnit);
        VeskModel caseModel (caseWire);
        VeskTransfer caseTransfer (caseModel, caseClock);
        MyMidiInputCallback caseReceiver (caseModel);
        caseUnit.connectTo (&caseReceiver);
        caseReceiver.addListener (&caseTransfer);
        caseWire.sent.clear();

        scramble (caseUnit.memory, 3);

        for (auto& [answer, fault] : c.faults)
            caseUnit.setFault (answer, fault);

        const std::vector<juce::uint8> temporaryBefore (caseModel.temporaryPattern, caseModel.temporaryPattern + patternSize);

        ASSERT_TRUE (caseTransfer.start (VeskTransfer::Kind::getAll));
        caseClock.runUntilIdle();

        const auto& report = caseTransfer.getReport();
        ASSERT_TRUE (report.finished);
        const auto& temporary = resultFor (report, 0);
        EXPECT_EQ (temporary.status, c.status);
        EXPECT_EQ (temporary.failedTries, c.failedTries);
        EXPECT_EQ (caseWire.numRequests(), c.requests);
        EXPECT_EQ (report.numDone(), c.status == Status::done ? 22 : 21);

        // Nothing half-written: a skipped block keeps the library's own, every other block is the unit's.
        const std::vector<juce::uint8> temporaryAfter (caseModel.temporaryPattern, caseModel.temporaryPattern + patternSize);
        const std::vector<juce::uint8> temporaryOfUnit (caseUnit.memory + temporaryPatternOffset, caseUnit.memory + userPatternsOffset);
        EXPECT_EQ (temporaryAfter, c.status == Status::skipped ? temporaryBefore : temporaryOfUnit);
        EXPECT_TRUE (std::equal (caseModel.userPatterns, caseModel.userPatterns + numUserPatterns * patternSize, caseUnit.memory + userPatternsOffset));

        const auto summary = report.summary();

        if (c.reported != nullptr)
        {
            EXPECT_TRUE (summary.contains ("Got 21 of 22 blocks")) << summary;
            EXPECT_TRUE (summary.contains (c.reported)) << summary;
        }
    }
}

TEST_F (UnitLink, ADamagedAnswerIsAskedForAgainWithoutWaitingForTheTimeout)
{
    VeskVirtualUnit::Fault damaged;
    damaged.badChecksum = true;
    unit.setFault (1, damaged);

    ASSERT_TRUE (transfer.start (VeskTransfer::Kind::getAll));
    clock.runFor (50.0);

    ASSERT_GE (wire.sent.size(), 2u);
    EXPECT_EQ (wire.sent[1].bytes, bytesOf (VeskProtocol::systemRequest())) << "the system block again";
    EXPECT_LT (wire.sent[1].time, 20.0);
}

TEST_F (UnitLink, CancelStopsGetAllWhereItIsAndKeepsWhatArrived)
{
    scramble (unit.memory, 4);
    const auto before = library();

    ASSERT_TRUE (transfer.start (VeskTransfer::Kind::getAll));

    while (transfer.getReport().current < 5)
        clock.runFor (1.0);

    transfer.cancel();
    const auto sentAtCancel = wire.sent.size();
    clock.runFor (10000.0);

    EXPECT_EQ (wire.sent.size(), sentAtCancel) << "nothing further is asked for";
    const auto& report = transfer.getReport();
    EXPECT_TRUE (report.cancelled);
    EXPECT_FALSE (report.finished);
    EXPECT_EQ (report.numDone(), 5);

    // The five blocks that arrived are the unit's, the rest the library's own.
    EXPECT_TRUE (std::equal (model.image, model.image + userPatternOffset (3), unit.memory));
    EXPECT_TRUE (std::equal (model.image + userPatternOffset (4), model.image + imageSize, before.begin() + userPatternOffset (4)));

    const auto summary = report.summary();
    EXPECT_TRUE (summary.startsWith ("Cancelled at User 04 (6 of 22)")) << summary;
    EXPECT_TRUE (summary.contains ("Got 5 blocks before that")) << summary;
}

TEST_F (UnitLink, CancelStopsSendAllAndTheUnitHasOnlyWhatWentBefore)
{
    scramble (model.image, 5);

    ASSERT_TRUE (transfer.start (VeskTransfer::Kind::sendAll));
    clock.runFor (500.0);
    transfer.cancel();
    const auto sent = wire.sent.size();
    clock.runFor (10000.0);

    EXPECT_EQ (wire.sent.size(), sent);
    EXPECT_GT (sent, 1u);
    EXPECT_LT (sent, 22u);
    EXPECT_EQ (transfer.getReport().numDone(), (int) sent);
    EXPECT_TRUE (std::equal (unit.memory, unit.memory + systemBlockSize, model.systemBlock));
    EXPECT_FALSE (std::equal (unit.memory + temporaryPatternOffset, unit.memory + userPatternsOffset, model.temporaryPattern))
        << "the temporary pattern goes last and was not reached";
    EXPECT_TRUE (transfer.getReport().summary().startsWith ("Cancelled after sending " + juce::String ((int) sent) + " of 22 blocks"));
}

TEST_F (UnitLink, OneTransferAtATime)
{
    ASSERT_TRUE (transfer.start (VeskTransfer::Kind::getAll));
    const auto sent = wire.sent.size();

    EXPECT_FALSE (transfer.start (VeskTransfer::Kind::sendAll));
    EXPECT_FALSE (transfer.start (VeskTransfer::Kind::verify));
    EXPECT_EQ (wire.sent.size(), sent);
    EXPECT_EQ (transfer.getReport().kind, VeskTransfer::Kind::getAll);

    clock.runUntilIdle();
    EXPECT_TRUE (transfer.getReport().finished);
    EXPECT_TRUE (transfer.start (VeskTransfer::Kind::verify)) << "free again once it has ended";
}

TEST_F (UnitLink, AReceiverDeletedDuringGetAllLeavesTheRestSkipped)
{
    scramble (unit.memory, 6);
    const auto before = library();
    ASSERT_TRUE (transfer.start (VeskTransfer::Kind::getAll));

    while (transfer.getReport().current < 3)
        clock.runFor (1.0);

    // Answers already on their way are dropped with the receiver.
    unit.connectTo (nullptr);
    receiver = nullptr;
    clock.runUntilIdle();

    const auto& report = transfer.getReport();
    ASSERT_TRUE (report.finished);
    EXPECT_EQ (report.numDone(), 3);
    EXPECT_EQ (resultFor (report, 2).failedTries, juce::StringArray ({ "no answer", "no answer", "no answer" }));
    EXPECT_TRUE (std::equal (model.image + userPatternOffset (1), model.image + imageSize, before.begin() + userPatternOffset (1)));
    EXPECT_TRUE (report.summary().contains ("User 20: no answer (3 tries)"));
}

TEST_F (UnitLink, SendAllIsPacedByWireTimePlusGap)
{
    runTransfer (VeskTransfer::Kind::sendAll);

    const auto expected = VeskProtocol::wholeImage (model.image);
    ASSERT_EQ (wire.sent.size(), expected.size());
    double floor = 0.0;

    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ (wire.sent[i].bytes, bytesOf (expected[i])) << i;

        const double pause = VeskProtocol::wireMilliseconds ((int) wire.sent[i].bytes.size()) + transfer.settings.gapMs;

        if (i + 1 < expected.size())
        {
            EXPECT_GE (wire.sent[i + 1].time - wire.sent[i].time, pause - 1e-9) << i; // sums of doubles
        }

        floor += pause;
    }

    // 25 + 21 x 171 bytes at 0.32 ms each, and 22 gaps of 40 ms.
    EXPECT_NEAR (floor, 2037.12, 1e-6);
    EXPECT_NEAR (clock.time, floor, 1e-6) << "done when the last message has had its time";
}

TEST_F (UnitLink, KnobsTurnedOnTheUnitStillReachThePagesDuringATransfer)
{
    struct Pages : MyMidiInputCallback::Listener
    {
        void controllerReceived (int number) override { controllers.push_back (number); }
        std::vector<int> controllers;
    } pages;

    receiver->addListener (&pages);
    ASSERT_TRUE (transfer.start (VeskTransfer::Kind::verify));
    clock.runFor (100.0);
    unit.turnKnob (74, 33);
    clock.runUntilIdle();

    EXPECT_EQ (pages.controllers, std::vector<int> ({ 74 }));
    EXPECT_EQ (model.currentPattern[Pattern::filterCutoffOrBdLevel], 33);
    EXPECT_TRUE (transfer.getReport().finished);

    // The knob changed the library, so the summary does not call it unchanged.
    const auto summary = transfer.getReport().summary();
    EXPECT_FALSE (summary.contains ("The library is unchanged")) << summary;
    EXPECT_TRUE (summary.contains ("knob moves the unit sent meanwhile changed it")) << summary;
}

TEST_F (UnitLink, ACancelFromTheProgressWindowStopsAtOnce)
{
    // The window's Cancel may run from inside a progress report.
    for (auto kind : { VeskTransfer::Kind::sendAll, VeskTransfer::Kind::getAll })
    {
        wire.sent.clear();
        transfer.onProgress = [this]
        {
            if (transfer.getReport().current == 2)
                transfer.cancel();
        };

        runTransfer (kind);
        EXPECT_TRUE (transfer.getReport().cancelled);
        EXPECT_EQ (wire.sent.size(), kind == VeskTransfer::Kind::sendAll ? 3u : 2u);
    }
}

//==============================================================================
// What a transfer takes: only the answers to what it asked for, and only while
// it still wants them.
namespace
{
    std::vector<juce::uint8> blockOf (const juce::uint8* image, int n)
    {
        const auto block = blockAt (n).value();
        return { image + block.imageOffset(), image + block.imageOffset() + block.size() };
    }

    /** UnitLink that also records every dump the receiver handed on, so a test knows a late answer did arrive. */
    struct Taking : UnitLink, MyMidiInputCallback::Listener
    {
        Taking() { receiver->addListener (this); }

        void dumpReceived (const VeskDecoder::Dump& dump, bool) override { heard.push_back (dump.block); }

        int timesHeard (int block) const { return (int) std::count (heard.begin(), heard.end(), blockAt (block)); }

        void runUntilRequests (int n)
        {
            while (wire.numRequests() < n)
                clock.runFor (1.0);
        }

        /** A dump of user pattern n (1-20) from somewhere else on the line, holding filler everywhere. */
        void stray (int n, juce::uint8 filler)
        {
            std::vector<juce::uint8> record ((size_t) patternSize, filler);
            receiver->handleIncomingMidiMessage (nullptr, VeskProtocol::patternBulk (Area::userPattern, n - 1, record.data()));
        }

        /** Blocks -1 (system) to 20: the unit's where fromUnit says so, else as before. */
        void expectBlocks (const std::vector<juce::uint8>& before, const std::function<bool (int)>& fromUnit) const
        {
            for (int n = -1; n <= numUserPatterns; ++n)
                EXPECT_EQ (blockOf (model.image, n), blockOf (fromUnit (n) ? unit.memory : before.data(), n)) << "block " << n;
        }

        std::vector<std::optional<VeskBlock>> heard;
    };
}

TEST_F (Taking, ACancelledTransferTakesNothingOfTheAnswerOnItsWay)
{
    // The block just asked for when Cancel is pressed, and how many requests that took.
    const std::tuple<VeskTransfer::Kind, int, int, const char*> cases[] = {
        { VeskTransfer::Kind::verify, 2, 4, "The library is unchanged." },
        { VeskTransfer::Kind::getAll, 4, 6, "Got 5 blocks before that; they stay in the library." },
    };

    for (const auto& [kind, block, number, said] : cases)
    {
        SCOPED_TRACE (VeskTransfer::title (kind));
        scramble (unit.memory, 7 + block);
        model.setChangedFlag (false);
        heard.clear();
        wire.sent.clear();
        const auto before = library();

        ASSERT_TRUE (transfer.start (kind));
        runUntilRequests (number);
        transfer.cancel();
        clock.runUntilIdle();

        ASSERT_EQ (heard.size(), (size_t) number) << "the answer did arrive";
        EXPECT_EQ (heard.back(), blockAt (block));
        EXPECT_EQ (transfer.getReport().numDone(), number - 1);
        const bool gets = kind == VeskTransfer::Kind::getAll;
        expectBlocks (before, [gets, b = block] (int n)
                      { return gets && n < b; });
        EXPECT_EQ (model.hasChangedSinceSaved(), gets);
        EXPECT_TRUE (transfer.getReport().summary().contains (said)) << transfer.getReport().summary();
    }

    // Cancelled with an answer on its way, and at once a new Get All: the old
    // answer is neither taken as one of the new one's nor named.
    ASSERT_TRUE (transfer.start (VeskTransfer::Kind::getAll));
    runUntilRequests (wire.numRequests() + 3);
    transfer.cancel();
    wire.sent.clear();
    runTransfer (VeskTransfer::Kind::getAll);

    EXPECT_EQ (transfer.getReport().numDone(), 22);
    EXPECT_EQ (wire.numRequests(), 22) << "no try lost to the old answer";
    EXPECT_FALSE (transfer.getReport().summary().contains ("nobody asked for")) << transfer.getReport().summary();
    EXPECT_EQ (blocks (library()), blocks (unitMemory()));
}

TEST_F (Taking, ASkippedBlocksLateAnswerStaysOutAndLaterDumpsAreTakenAgain)
{
    // The block whose three tries are the answers from firstAnswer on.
    const std::tuple<VeskTransfer::Kind, int, int, const char*> cases[] = {
        { VeskTransfer::Kind::verify, 20, 22, "The library is unchanged." },
        { VeskTransfer::Kind::getAll, 0, 2, "Not received, so the library keeps its own:\n  Temporary: no answer (3 tries)" },
    };

    for (const auto& [kind, block, number, said] : cases)
    {
        SCOPED_TRACE (VeskTransfer::title (kind));
        scramble (unit.memory, 8 + block);
        model.setChangedFlag (false);
        heard.clear();
        const auto before = library();

        // Two answers lost, the third too late for its timeout.
        VeskVirtualUnit::Fault dropped, late;
        dropped.drop = true;
        late.extraDelayMs = 1500.0;
        unit.setFault (unit.getNumAnswers() + number, dropped);
        unit.setFault (unit.getNumAnswers() + number + 1, dropped);
        unit.setFault (unit.getNumAnswers() + number + 2, late);

        runTransfer (kind);

        const auto& report = transfer.getReport();
        EXPECT_EQ (resultFor (report, block).status, Status::skipped);
        EXPECT_EQ (timesHeard (block), 1) << "the late answer did arrive";
        const bool gets = kind == VeskTransfer::Kind::getAll;
        expectBlocks (before, [gets, b = block] (int n)
                      { return gets && n != b; });
        EXPECT_EQ (model.hasChangedSinceSaved(), gets);
        EXPECT_TRUE (report.summary().contains (said)) << report.summary();

        // Once the grace period is over, a dump from the unit is taken as always.
        clock.runFor (2.0 * transfer.settings.timeoutMs);
        model.setChangedFlag (false);
        stray (20, 9);
        clock.runUntilIdle();
        EXPECT_EQ (blockOf (model.image, 20), std::vector<juce::uint8> ((size_t) patternSize, 9));
        EXPECT_TRUE (model.hasChangedSinceSaved());
    }
}

TEST_F (Taking, DumpsNobodyAskedForAreNotTakenWhileATransferRunsAndAreNamed)
{
    const std::pair<VeskTransfer::Kind, const char*> cases[] = {
        { VeskTransfer::Kind::getAll, "getting" },
        { VeskTransfer::Kind::verify, "verifying" },
        { VeskTransfer::Kind::sendAll, "sending" },
    };

    for (const auto& [kind, while_] : cases)
    {
        SCOPED_TRACE (while_);
        scramble (unit.memory, 10);
        scramble (model.image, 11);
        model.setChangedFlag (false);
        heard.clear();
        const auto before = library();

        // Another User 01 before User 01 is asked for, and one after it has arrived.
        ASSERT_TRUE (transfer.start (kind));
        stray (1, 5);

        while (transfer.getReport().current < 5)
            clock.runFor (1.0);

        stray (1, 6);
        clock.runUntilIdle();

        const auto& report = transfer.getReport();
        ASSERT_TRUE (report.finished);
        EXPECT_EQ (report.numDone(), 22);
        EXPECT_EQ (timesHeard (1), kind == VeskTransfer::Kind::sendAll ? 2 : 3);
        const auto summary = report.summary();
        EXPECT_TRUE (summary.contains ("Ignored while " + juce::String (while_) + ": 2 dumps of User 01 nobody asked for.")) << summary;
        const bool gets = kind == VeskTransfer::Kind::getAll;
        expectBlocks (before, [gets] (int)
                      { return gets; });
        EXPECT_EQ (model.hasChangedSinceSaved(), gets);

        if (gets)
        {
            EXPECT_TRUE (summary.startsWith ("Got all 22 blocks")) << summary;
        }

        // Verify compared the unit's own User 01, not a stray one.
        if (kind == VeskTransfer::Kind::verify)
        {
            EXPECT_EQ (report.differences.size(), VeskFields::differences (before.data(), unit.memory).size());
        }
    }
}

TEST_F (UnitLink, AnAnswerDeliveredFromInsideTheRequestArmsNothingAfterTheEnd)
{
    // An input that applies at once, on the sender's stack, as a careless port or test double might.
    struct AtOnce : juce::MidiInputCallback
    {
        explicit AtOnce (MyMidiInputCallback& r) : receiver (r) {}
        void handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& m) override { receiver.applyMessage (m); }
        MyMidiInputCallback& receiver;
    } atOnce (*receiver);

    scramble (unit.memory, 13);
    unit.answerDelayMs = 0.0;
    unit.connectTo (&atOnce);

    VeskVirtualUnit::Fault damaged;
    damaged.badChecksum = true;
    unit.setFault (3, damaged);

    for (auto kind : { VeskTransfer::Kind::getAll, VeskTransfer::Kind::verify })
    {
        SCOPED_TRACE (VeskTransfer::title (kind));
        int finished = 0;
        transfer.onFinished = [&finished]
        { ++finished; };
        wire.sent.clear();

        ASSERT_TRUE (transfer.start (kind));
        EXPECT_FALSE (transfer.isRunning()) << "every answer came at once";
        ASSERT_TRUE (clock.pending.empty()) << "a timer armed after the end";

        clock.runFor (10000.0);
        EXPECT_EQ (finished, 1);
        EXPECT_TRUE (transfer.getReport().finished);
        EXPECT_EQ (transfer.getReport().numDone(), 22);
        EXPECT_EQ (wire.numRequests(), kind == VeskTransfer::Kind::getAll ? 23 : 22);
    }

    EXPECT_EQ (blocks (library()), blocks (unitMemory()));
    EXPECT_TRUE (transfer.getReport().differences.empty());
}
