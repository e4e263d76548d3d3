// The hand-over's promises that hold on every system, through its public
// side and a later start's own connection (HandoverTransport::connect).
#include "DispatchMessages.h"
#include "app/HandoverTransport.h"
#include "app/InstanceHandover.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>

namespace
{
    using Read = HandoverProtocol::Channel::Read;

    struct Handover : ::testing::Test
    {
        Handover() { root.createDirectory(); }
        ~Handover() override { root.deleteRecursively(); }

        /** A running copy in folder, listening: what it is handed goes to handed. */
        std::unique_ptr<InstanceHandover> startRunning (HandoverProtocol::Limits limits = {})
        {
            auto running = std::make_unique<InstanceHandover> (folder, limits);
            EXPECT_EQ (running->takeLock(), InstanceHandover::Lock::taken) << running->getProblem();
            EXPECT_TRUE (running->listen ([this] (const juce::StringArray& paths)
                                          { handed.push_back (paths); }))
                << running->getProblem();
            return running;
        }

        /** Runs what happens on another thread, as a later start does, while
            this thread runs the messages the running copy gets. */
        template <typename Function>
        auto whileDispatching (Function function)
        {
            auto result = std::async (std::launch::async, function);

            while (result.wait_for (std::chrono::milliseconds (5)) != std::future_status::ready)
                dispatchPendingMessages();

            dispatchPendingMessages();
            return result.get();
        }

        juce::Result handOver (const juce::StringArray& paths, int timeoutMs = 5000)
        {
            return whileDispatching ([&]
                                     { return InstanceHandover (folder).handOver (paths, timeoutMs); });
        }

        /** A later start's own connection to the running copy, with its key. */
        std::unique_ptr<HandoverProtocol::Channel> connect (juce::String& key)
        {
            const auto transport = HandoverTransport::create (folder, {}, {});
            return transport->connect (key, HandoverProtocol::nowMs() + 5000);
        }

        static juce::int64 in (int ms) { return HandoverProtocol::nowMs() + ms; }

        juce::File root = juce::File::createTempFile ("vesk_handover");
        juce::File folder = root.getChildFile ("VeskEdit");
        std::vector<juce::StringArray> handed;
    };
}

TEST_F (Handover, ALaterStartHandsItsFilesToTheOneRunningCopyAndTakesOverOnceItEnds)
{
    {
        const auto running = startRunning();
        EXPECT_EQ (InstanceHandover (folder).takeLock(), InstanceHandover::Lock::heldByAnotherCopy);

        const auto paths = juce::StringArray (root.getChildFile ("Set 1.vsk").getFullPathName(), root.getChildFile ("Ünïcode dump.syx").getFullPathName());
        EXPECT_TRUE (handOver (paths).wasOk());
        EXPECT_TRUE (handOver ({}).wasOk()) << "a start without files only brings the window forward";
        EXPECT_EQ (handed, (std::vector<juce::StringArray> { paths, {} }));

        // Another user's (or another folder's) copy is another lock.
        EXPECT_EQ (InstanceHandover (root.getChildFile ("elsewhere")).takeLock(), InstanceHandover::Lock::taken);
    }

    // Ended: its key is gone, and the next start is the running copy.
    EXPECT_FALSE (folder.getChildFile (InstanceHandover::keyFileName).exists());
    InstanceHandover next (folder);
    EXPECT_EQ (next.takeLock(), InstanceHandover::Lock::taken);

    // Holding the lock without listening: a later start gives up in time and says so.
    const auto gaveUp = handOver ({ root.getChildFile ("a.vsk").getFullPathName() }, 300);
    EXPECT_TRUE (gaveUp.failed());
    EXPECT_TRUE (gaveUp.getErrorMessage().contains ("not opened")) << gaveUp.getErrorMessage();
}

TEST_F (Handover, OnlyAWholeMessageWithTheKeyThatItsSenderConfirmsInTimeTakesEffect)
{
    HandoverProtocol::Limits limits;
    limits.timeoutMs = 400;
    const auto running = startRunning (limits);
    const juce::StringArray paths (root.getChildFile ("a.vsk").getFullPathName());
    juce::String key;

    auto answerTo = [&] (const juce::MemoryBlock& bytes)
    {
        const auto channel = connect (key);
        char reply[16] {};

        if (channel == nullptr || ! channel->write (bytes.getData(), bytes.getSize(), in (1000)))
            return std::string ("(no connection)");

        return channel->read (reply, std::strlen (HandoverProtocol::readyReply), in (2000)) == Read::whole ? std::string (reply) : std::string();
    };

    ASSERT_NE (connect (key), nullptr);
    ASSERT_EQ (key.length(), (int) HandoverTransport::keyBytes * 2);

    // Refused without an answer: a wrong key, a stranger's greeting, a length over the limit.
    const auto almost = key.dropLastCharacters (1) + (key.getLastCharacter() == '0' ? "1" : "0");
    EXPECT_EQ (answerTo (HandoverProtocol::frame (InstanceHandover::encodeRequest (almost, paths))), "");

    auto stranger = HandoverProtocol::frame (InstanceHandover::encodeRequest (key, paths));
    static_cast<char*> (stranger.getData())[1] = 'X';
    EXPECT_EQ (answerTo (stranger), "");

    // (Its header alone: a pipe takes no more than its buffer from a sender nobody reads.)
    const auto tooLong = HandoverProtocol::frame (juce::MemoryBlock (limits.maxMessageBytes + 1, true));
    EXPECT_EQ (answerTo (juce::MemoryBlock (tooLong.getData(), 8)), "");

    // Answered but never confirmed: nothing happens, now or later.
    EXPECT_EQ (answerTo (HandoverProtocol::frame (InstanceHandover::encodeRequest (key, paths))), HandoverProtocol::readyReply);

    // A connection that says nothing is closed at the timeout, not kept.
    {
        const auto silent = connect (key);
        ASSERT_NE (silent, nullptr);
        char byte = 0;
        EXPECT_EQ (silent->read (&byte, 1, in (limits.timeoutMs + 5000)), Read::ended);
    }

    // Confirmed after the running copy stopped waiting: the sender learns
    // that it was not taken (the write fails, or no "accepted" comes before the end).
    const auto late = whileDispatching ([&]
                                        {
                                            const auto channel = connect (key);
                                            const auto framed = HandoverProtocol::frame (InstanceHandover::encodeRequest (key, paths));
                                            char reply[16] {};

                                            if (channel == nullptr || ! channel->write (framed.getData(), framed.getSize(), in (1000))
                                                || channel->read (reply, std::strlen (HandoverProtocol::readyReply), in (1000)) != Read::whole)
                                                return std::string ("(no answer)");

                                            juce::Thread::sleep (limits.timeoutMs + 300);

                                            if (! channel->write (&HandoverProtocol::confirmation, 1, in (1000)))
                                                return std::string ("refused");

                                            return channel->read (reply, std::strlen (HandoverProtocol::acceptedReply), in (3000)) == Read::ended ? std::string ("refused")
                                                                                                                                          : std::string (reply); });
    EXPECT_EQ (late, "refused");
    EXPECT_TRUE (handed.empty());

    // The same, confirmed in time.
    EXPECT_TRUE (whileDispatching ([&]
                                   {
                                       const auto channel = connect (key);
                                       return channel != nullptr && HandoverProtocol::send (*channel, HandoverProtocol::frame (InstanceHandover::encodeRequest (key, paths)), in (3000)); }));
    EXPECT_EQ (handed, (std::vector<juce::StringArray> { paths }));
}

TEST_F (Handover, AStartThatGaveUpWaitingIsNeverOpenedLater)
{
    const auto running = startRunning();

    // Other connections hold every place: the later start waits its turn and gives up.
    std::vector<std::unique_ptr<HandoverProtocol::Channel>> holding;
    juce::String key;

    for (int i = 0; i < HandoverProtocol::Limits().maxConnections; ++i)
        holding.push_back (connect (key));

    const auto gaveUp = handOver ({ root.getChildFile ("tune.mid").getFullPathName() }, 500);
    EXPECT_TRUE (gaveUp.failed());
    EXPECT_TRUE (gaveUp.getErrorMessage().contains ("not opened")) << gaveUp.getErrorMessage();

    holding.clear();

    // The running copy reaches the waiting tries before these: by the second,
    // whatever it did with them has been handed on.
    const juce::StringArray retry (root.getChildFile ("retry.mid").getFullPathName()), last (root.getChildFile ("last.vsk").getFullPathName());
    EXPECT_TRUE (handOver (retry).wasOk());
    EXPECT_TRUE (handOver (last).wasOk());
    EXPECT_EQ (handed, (std::vector<juce::StringArray> { retry, last }));
}
