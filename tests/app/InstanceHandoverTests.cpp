#include "EditorTestSupport.h"
#include "ScopedWorkingDirectory.h"
#include "app/HandoverServer.h"
#include "app/InstanceHandover.h"
#include "app/UserSettings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <future>
#include <poll.h>
#include <set>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
    int openFileCount()
    {
        int count = 0;

        for (const auto& entry : juce::RangedDirectoryIterator (juce::File ("/proc/self/fd"), false, "*", juce::File::findFilesAndDirectories))
        {
            juce::ignoreUnused (entry);
            ++count;
        }

        return count;
    }

    double cpuSeconds()
    {
        rusage usage {};
        getrusage (RUSAGE_SELF, &usage);
        return (double) usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1.0e6
               + (double) usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1.0e6;
    }

    /** CPU time the whole process uses while the test sleeps: near zero when
        nothing spins. */
    double cpuSecondsWhileIdle (int ms)
    {
        const auto before = cpuSeconds();
        juce::Thread::sleep (ms);
        return cpuSeconds() - before;
    }

    /** The most address space the process has reserved: a large buffer counts
        even where nothing was written into it. Threads and their malloc arenas
        add some tens of MiB, so only gigabytes tell. */
    juce::int64 virtualMemoryPeakKiB()
    {
        for (const auto& line : juce::StringArray::fromLines (juce::File ("/proc/self/status").loadFileAsString()))
            if (line.startsWith ("VmPeak:"))
                return line.fromFirstOccurrenceOf (":", false, false).trim().getLargeIntValue();

        return -1;
    }

    /** True when this process has a TCP or UDP socket of any kind. */
    bool hasInternetSocket()
    {
        std::set<juce::String> ours;

        for (const auto& entry : juce::RangedDirectoryIterator (juce::File ("/proc/self/fd"), false, "*", juce::File::findFilesAndDirectories))
        {
            const auto target = entry.getFile().getLinkedTarget().getFileName();

            if (target.startsWith ("socket:["))
                ours.insert (target.fromFirstOccurrenceOf ("[", false, false).upToFirstOccurrenceOf ("]", false, false));
        }

        for (const auto* table : { "tcp", "tcp6", "udp", "udp6" })
            for (const auto& line : juce::StringArray::fromLines (juce::File ("/proc/net").getChildFile (table).loadFileAsString()))
            {
                const auto fields = juce::StringArray::fromTokens (line, false);

                if (fields.size() > 9 && ours.count (fields[9]) > 0)
                    return true;
            }

        return false;
    }

    int connectTo (const juce::File& socketFile, bool nonBlocking = false)
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy (address.sun_path, socketFile.getFullPathName().toRawUTF8(), sizeof (address.sun_path) - 1);
        const auto s = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0);

        if (::connect (s, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0)
        {
            ::close (s);
            return -1;
        }

        return s;
    }

    void sendBytes (int s, const void* data, size_t size)
    {
        ASSERT_EQ (::send (s, data, size, MSG_NOSIGNAL), (ssize_t) size);
    }

    void sendBytes (int s, const juce::MemoryBlock& data) { sendBytes (s, data.getData(), data.getSize()); }

    /** What the other end sent before it closed; "(open)" when it has not
        closed within waitMs (a generous bound, not a measure of speed). */
    std::string replyUntilClosed (int s, int waitMs = 10000)
    {
        std::string reply;

        for (;;)
        {
            pollfd fd { s, POLLIN, 0 };

            if (::poll (&fd, 1, waitMs) <= 0)
                return "(open)";

            char bytes[64];
            const auto n = ::recv (s, bytes, sizeof (bytes), MSG_DONTWAIT);

            if (n <= 0)
                return n == 0 || errno == ECONNRESET ? reply : "(open)";

            reply.append (bytes, (size_t) n);
        }
    }

    /** As replyUntilClosed, but only what has arrived by now: for the server
        that the test runs itself. */
    std::string replySoFar (int s)
    {
        return replyUntilClosed (s, 0);
    }

    juce::MemoryBlock header (const char* greeting, juce::uint32 length)
    {
        const juce::uint8 bytes[8] = { (juce::uint8) greeting[0], (juce::uint8) greeting[1], (juce::uint8) greeting[2], (juce::uint8) greeting[3],
                                       (juce::uint8) (length >> 24), (juce::uint8) (length >> 16), (juce::uint8) (length >> 8), (juce::uint8) length };
        return { bytes, sizeof (bytes) };
    }

    mode_t modeOf (const juce::File& f)
    {
        struct stat info
        {
        };
        return ::lstat (f.getFullPathName().toRawUTF8(), &info) == 0 ? (info.st_mode & 07777) : 0;
    }

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

        ScopedWorkingDirectory workingDirectory;
        juce::File folder = workingDirectory.file ("runtime/VeskEdit");
        juce::File socketFile = folder.getChildFile (InstanceHandover::socketFileName);
    };

    /** A server on a listening socket, run by the test on a clock of its own. */
    struct HandoverServerTest : ::testing::Test
    {
        HandoverServerTest()
        {
            const auto s = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un address {};
            address.sun_family = AF_UNIX;
            std::strncpy (address.sun_path, socketFile.getFullPathName().toRawUTF8(), sizeof (address.sun_path) - 1);
            EXPECT_EQ (::bind (s, reinterpret_cast<sockaddr*> (&address), sizeof (address)), 0);
            EXPECT_EQ (::listen (s, 16), 0);

            server = std::make_unique<HandoverServer> (
                s, [this] (const juce::MemoryBlock& m)
                { received.emplace_back (static_cast<const char*> (m.getData()), m.getSize()); return true; },
                HandoverServer::Limits(), [this]
                { return now; });
        }

        ~HandoverServerTest() override
        {
            for (auto s : clients)
                ::close (s);
        }

        int client()
        {
            const auto s = connectTo (socketFile, true);
            EXPECT_GE (s, 0);
            clients.push_back (s);
            return s;
        }

        /** Rounds of serving with no time passing: what is handled here is handled at once. */
        void serve (int rounds = 4)
        {
            for (int i = 0; i < rounds; ++i)
                server->serviceOnce (0);
        }

        ScopedWorkingDirectory workingDirectory;
        juce::File socketFile = workingDirectory.file ("s");
        juce::int64 now = 1000;
        std::vector<std::string> received;
        std::vector<int> clients;
        std::unique_ptr<HandoverServer> server;
    };
}

TEST_F (InstanceHandoverTest, ALaterStartHandsItsFilesToTheRunningCopyThroughAPrivateSocket)
{
    // The second folder's socket path is longer than a socket address can hold.
    const auto deepFolder = workingDirectory.file (juce::String::repeatedString ("long folder name/", 8) + "VeskEdit");

    for (const auto& where : { folder, deepFolder })
    {
        SCOPED_TRACE (where.getFullPathName().toStdString());
        std::vector<juce::StringArray> received;
        {
            InstanceHandover running (where);
            ASSERT_EQ (running.takeLock(), InstanceHandover::Lock::taken) << running.getProblem();
            ASSERT_TRUE (running.listen ([&] (const juce::StringArray& paths)
                                         { received.push_back (paths); }))
                << running.getProblem();

            EXPECT_EQ (modeOf (where), 0700u);
            EXPECT_EQ (modeOf (where.getChildFile (InstanceHandover::socketFileName)), 0600u);
            EXPECT_EQ (modeOf (where.getChildFile (InstanceHandover::keyFileName)), 0600u);
            EXPECT_FALSE (hasInternetSocket());

            InstanceHandover later (where);
            EXPECT_EQ (later.takeLock(), InstanceHandover::Lock::heldByAnotherCopy);

            const juce::StringArray paths { "/music/Set 1.vsk", "/music/dump.syx" };
            EXPECT_TRUE (handOverFromAnotherStart (later, paths, 5000).wasOk());
            EXPECT_TRUE (handOverFromAnotherStart (later, {}, 5000).wasOk()) << "a start without files only brings the window forward";

            ASSERT_EQ (received.size(), 2u);
            EXPECT_EQ (received[0], paths);
            EXPECT_TRUE (received[1].isEmpty());
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

    const auto open = workingDirectory.file ("open");
    ASSERT_TRUE (open.createDirectory());
    ::chmod (open.getFullPathName().toRawUTF8(), 0755);

    const auto linked = workingDirectory.file ("linked");
    ASSERT_TRUE (folder.createSymbolicLink (linked, true));

    const auto withLinkedLock = workingDirectory.file ("with linked lock");
    const auto elsewhere = workingDirectory.file ("elsewhere");
    ASSERT_TRUE (elsewhere.replaceWithText ("someone else's"));
    ASSERT_EQ (::mkdir (withLinkedLock.getFullPathName().toRawUTF8(), 0700), 0);
    ASSERT_TRUE (elsewhere.createSymbolicLink (withLinkedLock.getChildFile (InstanceHandover::lockFileName), true));

    std::vector<std::pair<const char*, juce::File>> refused { { "open to others", open },
                                                              { "a link to a private folder", linked },
                                                              { "a lock file that is a link", withLinkedLock } };

    // Another user's folder, where this test may hand one over.
    const auto foreign = workingDirectory.file ("foreign");

    if (::geteuid() == 0)
    {
        ASSERT_EQ (::mkdir (foreign.getFullPathName().toRawUTF8(), 0700), 0);
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
    const auto runtime = workingDirectory.file ("run");
    ASSERT_EQ (::mkdir (runtime.getFullPathName().toRawUTF8(), 0700), 0);
    const auto fallback = UserSettings::getFolder().getChildFile ("instance");

    const std::vector<std::pair<juce::String, juce::File>> places { { runtime.getFullPathName(), runtime.getChildFile ("VeskEdit") },
                                                                    { "", fallback },
                                                                    { "run", fallback },
                                                                    { open.getFullPathName() + "/missing", fallback } };

    for (const auto& [variable, expected] : places)
    {
        ::setenv ("XDG_RUNTIME_DIR", variable.toRawUTF8(), 1);
        EXPECT_EQ (InstanceHandover::getDefaultFolder(), expected) << variable;
    }

    ::chmod (runtime.getFullPathName().toRawUTF8(), 0777);
    ::setenv ("XDG_RUNTIME_DIR", runtime.getFullPathName().toRawUTF8(), 1);
    EXPECT_EQ (InstanceHandover::getDefaultFolder(), fallback) << "a runtime folder others can write to";

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
    ASSERT_TRUE (folder.getParentDirectory().createDirectory());
    ASSERT_EQ (::mkdir (folder.getFullPathName().toRawUTF8(), 0700), 0);

    // What a copy that was killed leaves behind: a socket nobody answers, and its key.
    {
        const auto s = ::socket (AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strcpy (address.sun_path, socketFile.getFullPathName().toRawUTF8());
        ASSERT_EQ (::bind (s, reinterpret_cast<sockaddr*> (&address), sizeof (address)), 0);
        ASSERT_EQ (::listen (s, 1), 0);
        ::close (s);
        ASSERT_TRUE (folder.getChildFile (InstanceHandover::keyFileName).replaceWithText ("0123"));
    }

    {
        InstanceHandover running (folder);
        ASSERT_EQ (running.takeLock(), InstanceHandover::Lock::taken);
        int handed = 0;
        ASSERT_TRUE (running.listen ([&] (const juce::StringArray&)
                                     { ++handed; }))
            << running.getProblem();
        EXPECT_TRUE (handOverFromAnotherStart (InstanceHandover (folder), { "/a.vsk" }, 5000).wasOk());
        EXPECT_EQ (handed, 1);
    }

    // Something answers on the socket although nobody holds the lock: it is not taken away.
    const auto s = ::socket (AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strcpy (address.sun_path, socketFile.getFullPathName().toRawUTF8());
    ASSERT_EQ (::bind (s, reinterpret_cast<sockaddr*> (&address), sizeof (address)), 0);
    ASSERT_EQ (::listen (s, 1), 0);

    {
        InstanceHandover running (folder);
        ASSERT_EQ (running.takeLock(), InstanceHandover::Lock::taken);
        EXPECT_FALSE (running.listen ([] (const juce::StringArray&) {}));
    }

    const auto still = connectTo (socketFile);
    EXPECT_GE (still, 0) << "the answering socket was removed";
    ::close (still);
    ::close (s);
}

TEST_F (InstanceHandoverTest, AnotherUserAndAWrongKeyAreRefused)
{
    // Through the peer check's seam: the running copy sees another user at the other end.
    {
        InstanceHandover running (folder, {}, [] (int)
                                  { return (juce::int64)::geteuid() + 1; });
        ASSERT_EQ (running.takeLock(), InstanceHandover::Lock::taken);
        bool handed = false;
        ASSERT_TRUE (running.listen ([&] (const juce::StringArray&)
                                     { handed = true; }));
        EXPECT_TRUE (handOverFromAnotherStart (InstanceHandover (folder), { "/a.vsk" }, 300).failed());
        EXPECT_FALSE (handed);
    }

    // The real check on a real pair of sockets.
    int pair[2];
    ASSERT_EQ (::socketpair (AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_EQ (HandoverServer::peerUidOf (pair[0]), (juce::int64)::geteuid());
    ::close (pair[0]);
    ::close (pair[1]);

    // The same user, without the key: no answer, nothing handed on.
    InstanceHandover running (folder);
    ASSERT_EQ (running.takeLock(), InstanceHandover::Lock::taken);
    bool handed = false;
    ASSERT_TRUE (running.listen ([&] (const juce::StringArray&)
                                 { handed = true; }));

    const auto key = folder.getChildFile (InstanceHandover::keyFileName).loadFileAsString().trim();
    ASSERT_EQ (key.length(), 64);
    auto almost = key.substring (0, 63) + (key.getLastCharacter() == '0' ? "1" : "0");

    for (const auto& wrong : { almost, juce::String ("0"), juce::String() })
    {
        const auto s = connectTo (socketFile);
        sendBytes (s, HandoverServer::frame (InstanceHandover::encodeRequest (wrong, { "/a.vsk" })));
        EXPECT_EQ (replyUntilClosed (s), "") << wrong;
        ::close (s);
    }

    const auto s = connectTo (socketFile);
    sendBytes (s, HandoverServer::frame (InstanceHandover::encodeRequest (key, { "/a.vsk" })));
    EXPECT_EQ (replyUntilClosed (s), HandoverServer::acceptedReply);
    ::close (s);
    dispatchPendingMessages();
    EXPECT_TRUE (handed);
}

TEST_F (InstanceHandoverTest, FloodsOfBadConnectionsLeaveNothingBehindAndNothingSpinning)
{
    InstanceHandover running (folder);
    ASSERT_EQ (running.takeLock(), InstanceHandover::Lock::taken);
    int handed = 0;
    ASSERT_TRUE (running.listen ([&] (const juce::StringArray&)
                                 { ++handed; }));

    const auto filesBefore = openFileCount();

    for (int i = 0; i < 300; ++i)
    {
        const auto s = connectTo (socketFile);
        ASSERT_GE (s, 0) << "connection " << i;
        const char* request = "GET / HTTP/1.0\r\n\r\n";
        sendBytes (s, request, std::strlen (request));
        ASSERT_EQ (replyUntilClosed (s), "") << "connection " << i;
        ::close (s);
    }

    EXPECT_EQ (openFileCount(), filesBefore);
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

    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strcpy (address.sun_path, socketFile.getFullPathName().toRawUTF8());

    for (auto s : waiting)
        EXPECT_EQ (::connect (s, reinterpret_cast<sockaddr*> (&address), sizeof (address)), 0);

    const auto spent = cpuSecondsWhileIdle (500);
    ::setrlimit (RLIMIT_NOFILE, &limit);
    EXPECT_LT (spent, 0.1);

    // With handles again, they are served.
    for (auto s : waiting)
    {
        sendBytes (s, "nonsense", 8);
        EXPECT_EQ (replyUntilClosed (s), "");
        ::close (s);
    }

    EXPECT_EQ (openFileCount(), filesBefore);
    EXPECT_TRUE (handOverFromAnotherStart (InstanceHandover (folder), { "/after.vsk" }, 5000).wasOk());
    EXPECT_EQ (handed, 1);
}

TEST_F (HandoverServerTest, ConnectionsAreClosedAtOnceOnABadStartAndAtTheTimeout)
{
    struct Case
    {
        const char* name;
        juce::MemoryBlock bytes;
    };

    const std::vector<Case> refusedAtOnce {
        { "a wrong greeting", juce::MemoryBlock ("GET / HTTP/1.0\r\n", 16) },
        { "a wrong first byte only", juce::MemoryBlock ("X", 1) },
        { "a length of 0", header (HandoverServer::greeting, 0) },
        { "a length over 64 KiB", header (HandoverServer::greeting, 65537) },
        { "a length of 2 GiB", header (HandoverServer::greeting, 0x7fffffff) },
    };

    const auto peakBefore = virtualMemoryPeakKiB();

    for (const auto& c : refusedAtOnce)
    {
        const auto s = client();
        sendBytes (s, c.bytes);
        serve();
        EXPECT_EQ (replySoFar (s), "") << c.name;
        EXPECT_EQ (server->getNumConnections(), 0) << c.name;
    }

    EXPECT_LT (virtualMemoryPeakKiB() - peakBefore, 512 * 1024) << "KiB reserved";

    // The largest message there may be is taken.
    juce::MemoryBlock largest (65536);
    largest.fillWith ('p');
    const auto big = client();
    sendBytes (big, HandoverServer::frame (largest));

    for (int i = 0; i < 100 && received.empty(); ++i)
        serve (1);

    ASSERT_EQ (received.size(), 1u);
    EXPECT_EQ (received[0].size(), 65536u);
    EXPECT_EQ (replySoFar (big), HandoverServer::acceptedReply);

    // Half a message, then nothing: given its two seconds, not a moment more.
    const auto slow = client();
    const auto framed = HandoverServer::frame (juce::MemoryBlock ("/a.vsk", 6));
    sendBytes (slow, framed.getData(), framed.getSize() - 2);
    serve();
    now += 1999;
    serve();
    EXPECT_EQ (replySoFar (slow), "(open)");
    now += 1;
    serve();
    EXPECT_EQ (replySoFar (slow), "");
    EXPECT_EQ (server->getNumConnections(), 0);
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
    EXPECT_EQ (server->getNumConnections(), 4);
    EXPECT_TRUE (received.empty()) << "the fifth was served while four were open";
    EXPECT_EQ (replySoFar (fifth), "(open)");

    // One of the four goes: the fifth gets its turn.
    ::shutdown (silent[0], SHUT_RDWR);
    serve (10);
    ASSERT_EQ (received.size(), 1u);
    EXPECT_EQ (received[0], "/fifth.vsk");
    EXPECT_EQ (replySoFar (fifth), HandoverServer::acceptedReply);
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
