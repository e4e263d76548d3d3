#include "EditorTestSupport.h"
#include "ScopedWorkingDirectory.h"
#include "app/HandoverServer.h"
#include "app/InstanceHandover.h"
#include "app/UserSettings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <future>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
    std::vector<int> openFiles()
    {
        std::vector<int> handles;

        for (const auto& entry : juce::RangedDirectoryIterator (juce::File ("/proc/self/fd"), false, "*", juce::File::findFilesAndDirectories))
            handles.push_back (entry.getFile().getFileName().getIntValue());

        return handles;
    }

    /** True when this process has a TCP or UDP socket of any kind. */
    bool hasInternetSocket()
    {
        for (auto handle : openFiles())
        {
            int domain = 0;
            socklen_t size = sizeof (domain);

            if (::getsockopt (handle, SOL_SOCKET, SO_DOMAIN, &domain, &size) == 0 && (domain == AF_INET || domain == AF_INET6))
                return true;
        }

        return false;
    }

    /** CPU time the whole process uses while the test sleeps: near zero when
        nothing spins. */
    double cpuSecondsWhileIdle (int ms)
    {
        const auto before = std::clock();
        juce::Thread::sleep (ms);
        return double (std::clock() - before) / CLOCKS_PER_SEC;
    }

    /** The most address space the process has reserved: a large buffer counts
        even where nothing was written into it. Threads and their malloc arenas
        add some tens of MiB, so only gigabytes tell. */
    juce::int64 virtualMemoryPeakKiB()
    {
        return juce::File ("/proc/self/status").loadFileAsString().fromFirstOccurrenceOf ("VmPeak:", false, false).trim().getLargeIntValue();
    }

    mode_t modeOf (const juce::File& f)
    {
        struct stat info;
        return ::lstat (f.getFullPathName().toRawUTF8(), &info) == 0 ? (info.st_mode & 07777) : 0;
    }

    /** A folder with exactly this mode, whatever the umask. */
    bool makeFolder (const juce::File& f, mode_t mode)
    {
        return ::mkdir (f.getFullPathName().toRawUTF8(), mode) == 0 && ::chmod (f.getFullPathName().toRawUTF8(), mode) == 0;
    }

    sockaddr_un addressOf (const juce::File& socketFile)
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy (address.sun_path, socketFile.getFullPathName().toRawUTF8(), sizeof (address.sun_path) - 1);
        return address;
    }

    /** s (or a new socket) connected to socketFile; -1 when it could not connect. */
    int connectTo (const juce::File& socketFile, int s = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        const auto address = addressOf (socketFile);

        if (::connect (s, reinterpret_cast<const sockaddr*> (&address), sizeof (address)) == 0)
            return s;

        ::close (s);
        return -1;
    }

    /** A socket listening at socketFile, as a running copy's (or a killed one's) would. */
    int listenAt (const juce::File& socketFile, int backlog = 1)
    {
        const auto s = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const auto address = addressOf (socketFile);
        EXPECT_EQ (::bind (s, reinterpret_cast<const sockaddr*> (&address), sizeof (address)), 0);
        EXPECT_EQ (::listen (s, backlog), 0);
        return s;
    }

    void sendBytes (int s, const juce::MemoryBlock& data)
    {
        ASSERT_EQ (::send (s, data.getData(), data.getSize(), MSG_NOSIGNAL), (ssize_t) data.getSize());
    }

    /** What the other end sent before it closed; "(open)" when it has not
        closed within waitMs (a generous bound, not a measure of speed). With
        until, what came once that much came, even if still open. */
    std::string replyUntilClosed (int s, int waitMs = 10000, const std::string& until = {})
    {
        std::string reply;
        char bytes[64];

        for (pollfd fd { s, POLLIN, 0 }; ::poll (&fd, 1, waitMs) > 0;)
        {
            const auto n = ::recv (s, bytes, until.empty() ? sizeof (bytes) : until.size() - reply.size(), MSG_DONTWAIT);

            if (n <= 0)
                return n == 0 || errno == ECONNRESET ? reply : "(open)";

            reply.append (bytes, (size_t) n);

            if (! until.empty() && reply == until)
                return reply;
        }

        return "(open)";
    }

    /** Says yes to the running copy's "ready", as a sender still waiting does;
        false when that cannot be sent. */
    bool confirm (int s)
    {
        return ::send (s, &HandoverServer::confirmation, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1;
    }

    const std::string ready (HandoverServer::readyReply), accepted (HandoverServer::acceptedReply);

    /** As replyUntilClosed, but only what has arrived by now: for the server
        that the test runs itself. */
    std::string replySoFar (int s, const std::string& until = {}) { return replyUntilClosed (s, 0, until); }

    /** A message's header announcing length, without the message. */
    juce::MemoryBlock header (juce::uint32 length)
    {
        juce::MemoryOutputStream out;
        out.write (HandoverServer::greeting, sizeof (HandoverServer::greeting));
        out.writeIntBigEndian ((int) length);
        return out.getMemoryBlock();
    }

    struct InstanceHandoverTest : ::testing::Test
    {
        /** A running copy in where, listening: what it is handed goes to handed. */
        std::unique_ptr<InstanceHandover> startRunning (const juce::File& where, HandoverServer::PeerUid peerUid = {})
        {
            auto running = std::make_unique<InstanceHandover> (where, HandoverServer::Limits(), std::move (peerUid));
            EXPECT_EQ (running->takeLock(), InstanceHandover::Lock::taken) << running->getProblem();
            EXPECT_TRUE (running->listen ([this] (const juce::StringArray& paths)
                                          { handed.push_back (paths); }))
                << running->getProblem();
            return running;
        }

        /** Hands paths over from another thread, as a later start would, while
            this thread runs the messages the running copy gets. */
        juce::Result handOverFromAnotherStart (const InstanceHandover& later, const juce::StringArray& paths, int timeoutMs = 5000)
        {
            auto result = std::async (std::launch::async, [&]
                                      { return later.handOver (paths, timeoutMs); });

            while (result.wait_for (std::chrono::milliseconds (5)) != std::future_status::ready)
                dispatchPendingMessages();

            dispatchPendingMessages();
            return result.get();
        }

        /** Sends bytes on a connection of its own, confirming when asked: what
            came back before the running copy closed it. */
        std::string exchange (const juce::MemoryBlock& bytes)
        {
            const auto s = connectTo (socketFile);

            if (s < 0)
                return "(no connection)";

            sendBytes (s, bytes);
            auto reply = replyUntilClosed (s, 10000, ready);

            if (reply == ready && confirm (s))
                reply += replyUntilClosed (s);

            ::close (s);
            return reply;
        }

        ScopedWorkingDirectory workingDirectory;
        juce::File folder = workingDirectory.file ("runtime/VeskEdit");
        juce::File socketFile = folder.getChildFile (InstanceHandover::socketFileName);
        std::vector<juce::StringArray> handed;
    };

    /** A server on a listening socket, run by the test on a clock of its own. */
    struct HandoverServerTest : ::testing::Test
    {
        ~HandoverServerTest() override
        {
            for (auto s : clients)
                ::close (s);
        }

        int client()
        {
            // Never blocks: this thread is also the server's.
            clients.push_back (connectTo (socketFile, ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)));
            return clients.back();
        }

        /** Rounds of serving with no time passing: what is handled here is handled at once. */
        void serve (int rounds = 4)
        {
            for (int i = 0; i < rounds; ++i)
                server.serviceOnce (0);
        }

        ScopedWorkingDirectory workingDirectory;
        juce::File socketFile = workingDirectory.file ("s");
        juce::int64 now = 1000;
        std::vector<std::string> received;
        std::vector<int> clients;
        HandoverServer server {
            listenAt (socketFile, 16), [this] (const juce::MemoryBlock& m) -> HandoverServer::Action
            { return [this, text = std::string (static_cast<const char*> (m.getData()), m.getSize())]
              { received.push_back (text); }; },
            HandoverServer::Limits(), [this]
            { return now; }
        };
    };
}

TEST_F (InstanceHandoverTest, ALaterStartHandsItsFilesToTheRunningCopyThroughAPrivateSocket)
{
    // The second folder's socket path is longer than a socket address can hold.
    const auto deepFolder = workingDirectory.file (juce::String::repeatedString ("long folder name/", 8) + "VeskEdit");

    for (const auto& where : { folder, deepFolder })
    {
        SCOPED_TRACE (where.getFullPathName().toStdString());
        handed.clear();
        {
            const auto running = startRunning (where);
            EXPECT_EQ (modeOf (where), 0700u);
            EXPECT_EQ (modeOf (where.getChildFile (InstanceHandover::socketFileName)), 0600u);
            EXPECT_EQ (modeOf (where.getChildFile (InstanceHandover::keyFileName)), 0600u);
            EXPECT_FALSE (hasInternetSocket());

            InstanceHandover later (where);
            EXPECT_EQ (later.takeLock(), InstanceHandover::Lock::heldByAnotherCopy);

            const juce::StringArray paths { "/music/Set 1.vsk", "/music/dump.syx" };
            EXPECT_TRUE (handOverFromAnotherStart (later, paths).wasOk());
            EXPECT_TRUE (handOverFromAnotherStart (later, {}).wasOk()) << "a start without files only brings the window forward";
            EXPECT_EQ (handed, (std::vector<juce::StringArray> { paths, {} }));
        }

        // Ended: its socket and key are gone, and the next start is the running copy.
        EXPECT_FALSE (where.getChildFile (InstanceHandover::socketFileName).exists());
        EXPECT_FALSE (where.getChildFile (InstanceHandover::keyFileName).exists());
        EXPECT_EQ (InstanceHandover (where).takeLock(), InstanceHandover::Lock::taken);
    }

    // Nothing runs: a start that finds the lock taken by a copy that never listens gives up in time.
    InstanceHandover silent (folder);
    ASSERT_EQ (silent.takeLock(), InstanceHandover::Lock::taken);
    EXPECT_TRUE (handOverFromAnotherStart (InstanceHandover (folder), { "/a.vsk" }, 300).failed());
}

TEST_F (InstanceHandoverTest, OnlyAFolderOfTheUsersOwnIsUsed)
{
    // Two users (two runtime folders): each takes a lock of their own and runs.
    {
        InstanceHandover mine (folder), theirs (workingDirectory.file ("other user's runtime/VeskEdit"));
        EXPECT_EQ (mine.takeLock(), InstanceHandover::Lock::taken);
        EXPECT_EQ (theirs.takeLock(), InstanceHandover::Lock::taken);
    }

    const auto open = workingDirectory.file ("open"), linked = workingDirectory.file ("linked"), elsewhere = workingDirectory.file ("elsewhere"),
               withLinkedLock = workingDirectory.file ("with linked lock"), foreign = workingDirectory.file ("foreign");
    ASSERT_TRUE (makeFolder (open, 0755) && makeFolder (withLinkedLock, 0700) && elsewhere.replaceWithText ("someone else's"));
    ASSERT_TRUE (folder.createSymbolicLink (linked, true));
    ASSERT_TRUE (elsewhere.createSymbolicLink (withLinkedLock.getChildFile (InstanceHandover::lockFileName), true));

    std::vector<std::pair<const char*, juce::File>> refused { { "open to others", open },
                                                              { "a link to a private folder", linked },
                                                              { "a lock file that is a link", withLinkedLock } };

    // Another user's folder, where this test may hand one over.
    if (::geteuid() == 0)
    {
        ASSERT_TRUE (makeFolder (foreign, 0700));
        ASSERT_EQ (::chown (foreign.getFullPathName().toRawUTF8(), 65534, 65534), 0);
        refused.push_back ({ "another user's", foreign });
    }

    for (const auto& [name, where] : refused)
    {
        InstanceHandover handover (where);
        EXPECT_EQ (handover.takeLock(), InstanceHandover::Lock::unavailable) << name;
        EXPECT_TRUE (handover.getProblem().contains (where.getFullPathName())) << name << ": " << handover.getProblem();
    }

    EXPECT_EQ (open.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
    EXPECT_EQ (elsewhere.loadFileAsString(), "someone else's");
    EXPECT_EQ (modeOf (open), 0755u) << "not ours to change";

    // Where the folder is: the runtime folder when it is usable, else the settings folder.
    const auto previous = juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {});
    const auto runtime = workingDirectory.file ("run"), shared = workingDirectory.file ("shared");
    ASSERT_TRUE (makeFolder (runtime, 0700) && makeFolder (shared, 0777));
    const auto fallback = UserSettings::getFolder().getChildFile ("instance");

    const std::vector<std::pair<juce::String, juce::File>> places { { runtime.getFullPathName(), runtime.getChildFile ("VeskEdit") },
                                                                    { "", fallback },
                                                                    { "run", fallback },
                                                                    { open.getFullPathName() + "/missing", fallback },
                                                                    { shared.getFullPathName(), fallback } };

    for (const auto& [variable, expected] : places)
    {
        ::setenv ("XDG_RUNTIME_DIR", variable.toRawUTF8(), 1);
        EXPECT_EQ (InstanceHandover::getDefaultFolder(), expected) << variable;
    }

    // The settings folder's is made private too.
    EXPECT_EQ (InstanceHandover().takeLock(), InstanceHandover::Lock::taken);
    EXPECT_EQ (modeOf (fallback), 0700u);

    if (previous.isEmpty())
        ::unsetenv ("XDG_RUNTIME_DIR");
    else
        ::setenv ("XDG_RUNTIME_DIR", previous.toRawUTF8(), 1);
}

TEST_F (InstanceHandoverTest, AStaleSocketIsReplacedAndALiveOneLeftAlone)
{
    ASSERT_TRUE (folder.getParentDirectory().createDirectory() && makeFolder (folder, 0700));

    // What a copy that was killed leaves behind: a socket nobody answers, and its key.
    ::close (listenAt (socketFile));
    ASSERT_TRUE (folder.getChildFile (InstanceHandover::keyFileName).replaceWithText ("0123"));

    {
        const auto running = startRunning (folder);
        EXPECT_TRUE (handOverFromAnotherStart (InstanceHandover (folder), { "/a.vsk" }).wasOk());
        EXPECT_EQ (handed.size(), 1u);
    }

    // Something answers on the socket although nobody holds the lock: it is not taken away.
    const auto answering = listenAt (socketFile);
    {
        InstanceHandover running (folder);
        ASSERT_EQ (running.takeLock(), InstanceHandover::Lock::taken);
        EXPECT_FALSE (running.listen ([] (const juce::StringArray&) {}));
    }

    const auto still = connectTo (socketFile);
    EXPECT_GE (still, 0) << "the answering socket was removed";
    ::close (still);
    ::close (answering);
}

TEST_F (InstanceHandoverTest, AStartThatGaveUpWaitingIsNeverOpenedLater)
{
    const auto running = startRunning (folder);

    // Other connections hold every place: the later start waits in the queue and gives up.
    std::vector<int> holding;

    for (int i = 0; i < HandoverServer::Limits().maxConnections; ++i)
        holding.push_back (connectTo (socketFile));

    const auto gaveUp = handOverFromAnotherStart (InstanceHandover (folder), { "/music/tune.mid" }, 500);
    EXPECT_TRUE (gaveUp.failed());
    EXPECT_TRUE (gaveUp.getErrorMessage().contains ("not opened")) << gaveUp.getErrorMessage();

    for (auto s : holding)
        ::close (s);

    // The running copy reaches the queued tries before these: by the second,
    // whatever it did with them has been handed on.
    EXPECT_TRUE (handOverFromAnotherStart (InstanceHandover (folder), { "/music/retry.mid" }).wasOk());
    EXPECT_TRUE (handOverFromAnotherStart (InstanceHandover (folder), { "/music/last.vsk" }).wasOk());
    EXPECT_EQ (handed, (std::vector<juce::StringArray> { { "/music/retry.mid" }, { "/music/last.vsk" } }));
}

TEST_F (InstanceHandoverTest, AnotherUserAndAWrongKeyAreRefused)
{
    // Through the peer check's seam: the running copy sees another user at the other end.
    {
        const auto running = startRunning (folder, [] (int)
                                           { return (juce::int64)::geteuid() + 1; });
        EXPECT_TRUE (handOverFromAnotherStart (InstanceHandover (folder), { "/a.vsk" }, 300).failed());
        EXPECT_TRUE (handed.empty());
    }

    // The same user, without the key: no answer, nothing handed on.
    const auto running = startRunning (folder);
    const auto key = folder.getChildFile (InstanceHandover::keyFileName).loadFileAsString().trim();
    ASSERT_EQ (key.length(), 64);
    const auto almost = key.dropLastCharacters (1) + (key.getLastCharacter() == '0' ? "1" : "0");

    for (const auto& wrong : { almost, juce::String ("0"), juce::String() })
        EXPECT_EQ (exchange (HandoverServer::frame (InstanceHandover::encodeRequest (wrong, { "/a.vsk" }))), "") << wrong;

    EXPECT_EQ (exchange (HandoverServer::frame (InstanceHandover::encodeRequest (key, { "/a.vsk" }))), ready + accepted);
    dispatchPendingMessages();
    EXPECT_EQ (handed.size(), 1u);
}

TEST_F (InstanceHandoverTest, FloodsOfBadConnectionsLeaveNothingBehindAndNothingSpinning)
{
    const auto running = startRunning (folder);
    const auto filesBefore = openFiles().size();

    for (int i = 0; i < 300; ++i)
        ASSERT_EQ (exchange (juce::MemoryBlock ("GET / HTTP/1.0\r\n\r\n", 18)), "") << "connection " << i;

    EXPECT_EQ (openFiles().size(), filesBefore);
    EXPECT_LT (cpuSecondsWhileIdle (500), 0.1);

    // Out of file handles: the waiting connections cannot be taken, and the
    // copy waits instead of trying again and again.
    std::vector<int> waiting;

    for (int i = 0; i < 8; ++i)
        waiting.push_back (::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));

    rlimit limit {};
    ASSERT_EQ (::getrlimit (RLIMIT_NOFILE, &limit), 0);
    const auto firstFree = ::open ("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close (firstFree);
    auto lowered = limit;
    lowered.rlim_cur = (rlim_t) firstFree;
    ASSERT_EQ (::setrlimit (RLIMIT_NOFILE, &lowered), 0);

    for (auto s : waiting)
        EXPECT_GE (connectTo (socketFile, s), 0);

    const auto spent = cpuSecondsWhileIdle (500);
    ::setrlimit (RLIMIT_NOFILE, &limit);
    EXPECT_LT (spent, 0.1);

    // With handles again, they are served.
    for (auto s : waiting)
    {
        sendBytes (s, juce::MemoryBlock ("nonsense", 8));
        EXPECT_EQ (replyUntilClosed (s), "");
        ::close (s);
    }

    EXPECT_EQ (openFiles().size(), filesBefore);
    EXPECT_TRUE (handOverFromAnotherStart (InstanceHandover (folder), { "/after.vsk" }).wasOk());
    EXPECT_EQ (handed.size(), 1u);
}

TEST_F (HandoverServerTest, ConnectionsAreClosedAtOnceOnABadStartAndAtTheTimeout)
{
    const std::vector<std::pair<const char*, juce::MemoryBlock>> refusedAtOnce {
        { "a wrong greeting", juce::MemoryBlock ("GET / HTTP/1.0\r\n", 16) },
        { "a wrong first byte only", juce::MemoryBlock ("X", 1) },
        { "a length of 0", header (0) },
        { "a length over 64 KiB", header (65537) },
        { "a length of 2 GiB", header (0x7fffffff) },
    };

    const auto peakBefore = virtualMemoryPeakKiB();

    for (const auto& [name, bytes] : refusedAtOnce)
    {
        const auto s = client();
        sendBytes (s, bytes);
        serve();
        EXPECT_EQ (replySoFar (s), "") << name;
        EXPECT_EQ (server.getNumConnections(), 0) << name;
    }

    EXPECT_LT (virtualMemoryPeakKiB() - peakBefore, 512 * 1024) << "KiB reserved";

    // The largest message there may be is taken.
    juce::MemoryBlock largest (65536);
    largest.fillWith ('p');
    const auto big = client();
    sendBytes (big, HandoverServer::frame (largest));

    for (int i = 0; i < 100 && replySoFar (big, ready) != ready; ++i)
        serve (1);

    ASSERT_TRUE (confirm (big));
    serve();
    ASSERT_EQ (received.size(), 1u);
    EXPECT_EQ (received[0].size(), 65536u);
    EXPECT_EQ (replySoFar (big), accepted);

    // Half a message, then nothing: given its two seconds, not a moment more.
    const auto slow = client();
    const auto framed = HandoverServer::frame (juce::MemoryBlock ("/a.vsk", 6));
    sendBytes (slow, juce::MemoryBlock (framed.getData(), framed.getSize() - 2));
    serve();
    now += 1999;
    serve();
    EXPECT_EQ (replySoFar (slow), "(open)");
    now += 1;
    serve();
    EXPECT_EQ (replySoFar (slow), "");
    EXPECT_EQ (server.getNumConnections(), 0);
    EXPECT_EQ (received.size(), 1u);
}

TEST_F (HandoverServerTest, AtMostFourAtOnce)
{
    std::vector<int> silent;

    for (int i = 0; i < 4; ++i)
        silent.push_back (client());

    const auto fifth = client();
    sendBytes (fifth, HandoverServer::frame (juce::MemoryBlock ("/fifth.vsk", 10)));
    serve (10);
    EXPECT_EQ (server.getNumConnections(), 4);
    EXPECT_TRUE (received.empty()) << "the fifth was served while four were open";
    EXPECT_EQ (replySoFar (fifth), "(open)");

    // One of the four goes: the fifth gets its turn.
    ::shutdown (silent[0], SHUT_RDWR);
    serve (10);
    EXPECT_EQ (replySoFar (fifth, ready), ready);
    ASSERT_TRUE (confirm (fifth));
    serve();
    ASSERT_EQ (received.size(), 1u);
    EXPECT_EQ (received[0], "/fifth.vsk");
    EXPECT_EQ (replySoFar (fifth), accepted);
}

TEST_F (HandoverServerTest, AMessageTakesEffectOnlyWhileItsSenderStillWaits)
{
    const auto limits = HandoverServer::Limits();

    struct Case
    {
        const char* name;
        std::function<void (int s)> sender; // what the sender does once its whole message is in
        bool acted;
    };

    const Case cases[] = {
        { "confirms when asked", [&] (int s)
          { serve(); EXPECT_EQ (replySoFar (s, ready), ready); EXPECT_TRUE (confirm (s)); serve(); EXPECT_EQ (replySoFar (s), accepted); },
          true },
        { "gave up before the answer (left in the queue)", [&] (int s)
          { ::shutdown (s, SHUT_RDWR); serve(); },
          false },
        { "gave up after the answer", [&] (int s)
          { serve(); EXPECT_EQ (replySoFar (s, ready), ready); ::shutdown (s, SHUT_RDWR); serve(); },
          false },
        { "answers something else", [&] (int s)
          { serve(); sendBytes (s, juce::MemoryBlock ("N", 1)); serve(); EXPECT_EQ (replySoFar (s), ready); },
          false },
        { "confirms after the deadline: its confirmation fails at its end", [&] (int s)
          { serve(); now += limits.timeoutMs; serve(); EXPECT_FALSE (confirm (s)); serve(); },
          false },
        { "confirmed, and the deadline came before it was read", [&] (int s)
          { serve(); EXPECT_TRUE (confirm (s)); now += limits.timeoutMs; serve(); },
          true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        received.clear();
        const auto s = client();
        sendBytes (s, HandoverServer::frame (juce::MemoryBlock ("/tune.mid", 9)));
        c.sender (s);
        EXPECT_EQ (received, c.acted ? std::vector<std::string> { "/tune.mid" } : std::vector<std::string>());
        EXPECT_EQ (server.getNumConnections(), 0);
    }
}

TEST_F (InstanceHandoverTest, RequestsCarryAbsolutePathsAndAreCheckedWhole)
{
    const auto cwd = workingDirectory.directory;
    EXPECT_EQ (InstanceHandover::filesFromArguments ({ "Set 1.vsk", "--verbose", "/music/dump.syx", "", "-x" }, cwd),
               juce::StringArray (cwd.getChildFile ("Set 1.vsk").getFullPathName(), "/music/dump.syx"));

    const juce::StringArray paths { "/music/Set 1.vsk" };
    const auto request = InstanceHandover::encodeRequest ("key", paths);
    juce::StringArray decoded;
    ASSERT_TRUE (InstanceHandover::decodeRequest (request, "key", decoded));
    EXPECT_EQ (decoded, paths);

    const std::vector<std::pair<const char*, juce::MemoryBlock>> refused = {
        { "another key", InstanceHandover::encodeRequest ("kez", paths) },
        { "a longer key", InstanceHandover::encodeRequest ("key0", paths) },
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
