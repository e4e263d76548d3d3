#include "EditorTestSupport.h"
#include "ScopedWorkingDirectory.h"
#include "app/InstanceHandover.h"

#include <gtest/gtest.h>

#include <future>

namespace
{
    struct InstanceHandoverTest : ::testing::Test
    {
        /** Hands paths over from another thread, as a later start would, while
            this thread runs the messages the running copy gets. */
        juce::Result handOverFromAnotherStart (const InstanceHandover& later, const juce::StringArray& paths, int timeoutMs)
        {
            auto result = std::async (std::launch::async, [&]
                                      { return later.handOver (paths, timeoutMs); });

            while (result.wait_for (std::chrono::milliseconds (5)) != std::future_status::ready)
                dispatchPendingMessages();

            dispatchPendingMessages();
            return result.get();
        }

        ScopedWorkingDirectory folder;
        juce::File instanceFile = folder.file ("settings/VeskEdit.instance");
        juce::String lockName = "VeskEditTest_" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64());
    };
}

TEST_F (InstanceHandoverTest, ALaterStartHandsItsFilesToTheRunningCopy)
{
    InstanceHandover running (lockName, instanceFile);
    ASSERT_TRUE (running.takeLock());

    std::vector<juce::StringArray> received;
    ASSERT_TRUE (running.listen ([&] (const juce::StringArray& paths)
                                 { received.push_back (paths); }));
    EXPECT_TRUE (instanceFile.existsAsFile());

    const InstanceHandover later (lockName, instanceFile);
    const juce::StringArray paths { "/music/Set 1.vsk", "/music/dump.syx" };

    EXPECT_TRUE (handOverFromAnotherStart (later, paths, 5000).wasOk());
    EXPECT_TRUE (handOverFromAnotherStart (later, {}, 5000).wasOk()) << "a start without files only brings the window forward";

    ASSERT_EQ (received.size(), 2u);
    EXPECT_EQ (received[0], paths);
    EXPECT_TRUE (received[1].isEmpty());
}

TEST_F (InstanceHandoverTest, AStartWithoutTheRunningCopysKeyIsRefused)
{
    InstanceHandover running (lockName, instanceFile);
    bool handed = false;
    ASSERT_TRUE (running.listen ([&] (const juce::StringArray&)
                                 { handed = true; }));

    // Same port, another key: as a stale file, or someone else's guess.
    const auto fields = juce::StringArray::fromTokens (instanceFile.loadFileAsString().trim(), false);
    ASSERT_EQ (fields.size(), 2);
    const auto wrongKeyFile = folder.file ("wrong.instance");
    ASSERT_TRUE (wrongKeyFile.replaceWithText (fields[0] + " 00112233445566778899aabbccddeeff\n"));

    EXPECT_TRUE (handOverFromAnotherStart (InstanceHandover (lockName, wrongKeyFile), { "/a.vsk" }, 300).failed());
    EXPECT_TRUE (handOverFromAnotherStart (InstanceHandover (lockName, folder.file ("none.instance")), { "/a.vsk" }, 300).failed());
    EXPECT_FALSE (handed);
}

TEST_F (InstanceHandoverTest, RequestsCarryAbsolutePathsAndAreCheckedWhole)
{
    const auto cwd = folder.directory;
    EXPECT_EQ (InstanceHandover::filesFromArguments ({ "Set 1.vsk", "--verbose", "/music/dump.syx", "", "-x" }, cwd),
               juce::StringArray (cwd.getChildFile ("Set 1.vsk").getFullPathName(), "/music/dump.syx"));

    const juce::StringArray paths { "/music/Set 1.vsk" };
    const auto request = InstanceHandover::encodeRequest ("key", paths);
    juce::StringArray decoded;
    ASSERT_TRUE (InstanceHandover::decodeRequest (request, "key", decoded));
    EXPECT_EQ (decoded, paths);

    const std::vector<std::pair<const char*, juce::MemoryBlock>> refused = {
        { "another key", InstanceHandover::encodeRequest ("other", paths) },
        { "cut short", juce::MemoryBlock (request.getData(), request.getSize() - 3) },
        { "extra bytes", [&]
          { auto m = request; m.append ("x", 1); return m; }() },
        { "a relative path", InstanceHandover::encodeRequest ("key", { "Set 1.vsk" }) },
        { "too many paths", InstanceHandover::encodeRequest ("key", []
                                                             { juce::StringArray many; for (int i = 0; i <= InstanceHandover::maxPathsPerRequest; ++i) many.add ("/x"); return many; }()) },
        { "nothing", juce::MemoryBlock() },
    };

    for (const auto& [name, data] : refused)
    {
        juce::StringArray untouched { "/kept" };
        EXPECT_FALSE (InstanceHandover::decodeRequest (data, "key", untouched)) << name;
        EXPECT_EQ (untouched, juce::StringArray ("/kept")) << name;
    }
}
