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
