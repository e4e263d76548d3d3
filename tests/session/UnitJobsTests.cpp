// The jobs on their own: what keeps a command waiting, and what a Get All
// hands over when it ends.

#include "SessionPartsRig.h"

using Kind = VeskTransfer::Kind;

TEST (UnitJobs, SayWhatKeepsACommandWaiting)
{
    SessionParts parts;
    auto& jobs = parts.jobs;

    EXPECT_EQ (jobs.refusalWhileBusy ("Undo"), SessionResult::ok());
    EXPECT_EQ (jobs.startTransfer (Kind::verify), SessionResult::refused (SessionResult::Refusal::noOutput));
    EXPECT_FALSE (jobs.isBusy());

    parts.link.setVirtualUnitInUse (true);
    const struct
    {
        const char* what;
        std::function<void()> start;
        juce::String title;
        bool hasWindow;
    } cases[] = {
        { "a transfer", [&]
          { EXPECT_TRUE (jobs.startTransfer (Kind::sendAll).wasOk()); },
          VeskTransfer::title (Kind::sendAll), true },
        { "a few records", [&]
          { jobs.sendRecords ({ 3, 4 }, "Swap User 03 and User 04"); },
          "Swap User 03 and User 04", false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        c.start();
        EXPECT_EQ (jobs.refusalWhileBusy ("Undo"), SessionResult::busy ("Undo", c.title, c.hasWindow));
        EXPECT_EQ (jobs.findUnit(), SessionResult::busy ("Find Unit", c.title, c.hasWindow));
        EXPECT_EQ (jobs.startTransfer (Kind::getAll), SessionResult::busy (VeskTransfer::title (Kind::getAll), c.title, c.hasWindow));
        parts.clock.runUntilIdle();
        EXPECT_EQ (jobs.refusalWhileBusy ("Undo"), SessionResult::ok());
    }
}

TEST (UnitJobs, AGetAllHandsOverWhatArrivedAndTheLibraryAsItWasBefore)
{
    SessionParts parts;
    auto& unit = parts.link.getVirtualUnit();
    const int offset = VeskImage::userPatternOffset (6) + VeskImage::Pattern::level;
    parts.link.setVirtualUnitInUse (true);
    unit.memory[offset] = 99;
    parts.model.image[offset] = 12;

    std::vector<int> arrived;
    std::vector<juce::uint8> before;
    int calls = 0;
    parts.jobs.onGotAll = [&] (const std::vector<int>& blocks, const juce::uint8* image, bool)
    {
        ++calls;
        arrived = blocks;
        before.assign (image, image + VeskImage::imageSize);
    };

    ASSERT_TRUE (parts.jobs.startTransfer (Kind::sendAll).wasOk());
    parts.clock.runUntilIdle();
    EXPECT_EQ (calls, 0) << "only a Get All";

    unit.memory[offset] = 99;
    ASSERT_TRUE (parts.jobs.startTransfer (Kind::getAll).wasOk());
    parts.model.image[offset] = 13; // changed while it runs: "before" is the start's
    parts.clock.runUntilIdle();

    ASSERT_EQ (calls, 1);
    EXPECT_EQ (arrived.size(), VeskTransfer::blockOrder (Kind::getAll).size());
    EXPECT_EQ (before[(size_t) offset], 12);
    EXPECT_EQ (parts.model.image[offset], 99);
}
