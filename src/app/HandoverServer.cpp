#include "HandoverServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace
{
    juce::int64 steadyMilliseconds()
    {
        using namespace std::chrono;
        return duration_cast<milliseconds> (steady_clock::now().time_since_epoch()).count();
    }
}

HandoverServer::HandoverServer (int listeningSocketToUse, MessageHandler handlerToUse, Limits limitsToUse, Clock clockToUse, PeerUid peerUidToUse)
    : listeningSocket (listeningSocketToUse),
      handler (std::move (handlerToUse)),
      limits (limitsToUse),
      clock (clockToUse != nullptr ? std::move (clockToUse) : Clock (steadyMilliseconds)),
      peerUid (peerUidToUse != nullptr ? std::move (peerUidToUse) : PeerUid (peerUidOf))
{
    int wake[2];

    if (::pipe2 (wake, O_CLOEXEC | O_NONBLOCK) == 0)
    {
        wakeRead = wake[0];
        wakeWrite = wake[1];
    }

    // accept() must never block the loop: a peer may give up between poll() and accept().
    ::fcntl (listeningSocket, F_SETFL, ::fcntl (listeningSocket, F_GETFL) | O_NONBLOCK);
}

HandoverServer::~HandoverServer()
{
    if (thread.joinable())
    {
        stopping = true;
        const char wake = 0;
        [[maybe_unused]] const auto written = ::write (wakeWrite, &wake, 1);
        thread.join();
    }

    while (! connections.empty())
        close (connections.size() - 1);

    ::close (listeningSocket);

    if (wakeRead >= 0)
    {
        ::close (wakeRead);
        ::close (wakeWrite);
    }
}

void HandoverServer::start()
{
    jassert (! thread.joinable());

    // Without a way to wake the thread it could not be stopped.
    if (wakeRead < 0)
        return;

    thread = std::thread ([this]
                          {
                              juce::Thread::setCurrentThreadName ("VeskEdit hand-over");

                              while (! stopping)
                                  serviceOnce (-1); });
}

void HandoverServer::serviceOnce (int maxWaitMs)
{
    auto now = clock();

    for (auto i = connections.size(); i-- > 0;)
    {
        auto& c = connections[i];

        if (c.deadline > now)
            continue;

        // Shut first: a confirmation is either queued already, and taken, or
        // refused at the sender's end, who then knows nothing was done.
        if (c.pending != nullptr && ::shutdown (c.socket, SHUT_RD) == 0)
            readConfirmation (c);

        close (i);
    }

    // The next moment something is due: a connection's deadline, or the end of a pause in accepting.
    juce::int64 wait = maxWaitMs;

    auto waitNoLongerThan = [&wait] (juce::int64 ms)
    {
        ms = std::max<juce::int64> (0, ms);
        wait = wait < 0 ? ms : std::min (wait, ms);
    };

    for (const auto& c : connections)
        waitNoLongerThan (c.deadline - now);

    const bool accepting = (int) connections.size() < limits.maxConnections;
    const bool paused = acceptPausedUntil > now;

    if (accepting && paused)
        waitNoLongerThan (acceptPausedUntil - now);

    std::vector<pollfd> fds;
    fds.push_back ({ wakeRead, POLLIN, 0 });
    fds.push_back ({ accepting && ! paused ? listeningSocket : -1, POLLIN, 0 });

    for (const auto& c : connections)
        fds.push_back ({ c.socket, POLLIN, 0 });

    if (::poll (fds.data(), (nfds_t) fds.size(), (int) std::min<juce::int64> (wait, std::numeric_limits<int>::max())) <= 0)
        return;

    if (fds[0].revents != 0)
    {
        char drained[16];

        while (::read (wakeRead, drained, sizeof (drained)) > 0)
        {
        }
    }

    // Backwards, so that closing one leaves the indices of the others in place.
    for (auto i = connections.size(); i-- > 0;)
        if (fds[i + 2].revents != 0 && ! readFrom (connections[i]))
            close (i);

    if (fds[1].revents != 0)
        acceptWaiting();
}

void HandoverServer::acceptWaiting()
{
    while ((int) connections.size() < limits.maxConnections)
    {
        const auto socket = ::accept4 (listeningSocket, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);

        if (socket < 0)
        {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;

            // Out of file handles (or memory): the waiting peer stays readable, and
            // polling again at once would spin. Try again after a pause.
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                acceptPausedUntil = clock() + limits.acceptPauseMs;

            return;
        }

        if (peerUid (socket) != (juce::int64)::geteuid())
        {
            ::close (socket);
            continue;
        }

        Connection c;
        c.socket = socket;
        c.deadline = clock() + limits.timeoutMs;
        connections.push_back (std::move (c));
    }
}

bool HandoverServer::readFrom (Connection& c)
{
    if (c.pending != nullptr)
        return readConfirmation (c);

    if (c.headerBytes < sizeof (c.header))
    {
        const auto got = ::recv (c.socket, c.header + c.headerBytes, sizeof (c.header) - c.headerBytes, 0);

        if (got < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;

        if (got == 0)
            return false;

        c.headerBytes += (size_t) got;

        // A stranger is turned away at the first wrong byte.
        const auto greetingBytes = std::min (c.headerBytes, sizeof (greeting));

        if (std::memcmp (c.header, greeting, greetingBytes) != 0)
            return false;

        if (c.headerBytes < sizeof (c.header))
            return true;

        const auto length = (juce::uint32) c.header[4] << 24 | (juce::uint32) c.header[5] << 16
                            | (juce::uint32) c.header[6] << 8 | (juce::uint32) c.header[7];

        if (length == 0 || length > limits.maxMessageBytes)
            return false;

        c.body.setSize (length);
        return true;
    }

    const auto got = ::recv (c.socket, static_cast<char*> (c.body.getData()) + c.bodyBytes, c.body.getSize() - c.bodyBytes, 0);

    if (got < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;

    if (got == 0)
        return false;

    c.bodyBytes += (size_t) got;

    if (c.bodyBytes < c.body.getSize())
        return true;

    auto action = handler != nullptr ? handler (c.body) : Action();

    if (action == nullptr)
        return false;

    // A few bytes into an empty socket buffer: this does not block. A peer
    // that has gone already gets nothing (and no SIGPIPE for us).
    const auto size = (ssize_t) std::strlen (readyReply);

    if (::send (c.socket, readyReply, (size_t) size, MSG_NOSIGNAL | MSG_DONTWAIT) != size)
        return false;

    c.pending = std::move (action);
    c.body.reset();
    return true;
}

bool HandoverServer::readConfirmation (Connection& c)
{
    char byte = 0;
    const auto got = ::recv (c.socket, &byte, 1, 0);

    if (got < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;

    if (got == 1 && byte == confirmation)
    {
        const auto action = std::move (c.pending);
        c.pending = nullptr;
        action();
        [[maybe_unused]] const auto sent = ::send (c.socket, acceptedReply, std::strlen (acceptedReply), MSG_NOSIGNAL | MSG_DONTWAIT);
    }

    return false;
}

void HandoverServer::close (size_t index)
{
    ::close (connections[index].socket);
    connections.erase (connections.begin() + (std::ptrdiff_t) index);
}

juce::MemoryBlock HandoverServer::frame (const juce::MemoryBlock& message)
{
    const auto length = (juce::uint32) message.getSize();
    const juce::uint8 header[8] = { (juce::uint8) greeting[0], (juce::uint8) greeting[1], (juce::uint8) greeting[2], (juce::uint8) greeting[3],
                                    (juce::uint8) (length >> 24), (juce::uint8) (length >> 16), (juce::uint8) (length >> 8), (juce::uint8) length };
    juce::MemoryBlock framed (header, sizeof (header));
    framed.append (message.getData(), message.getSize());
    return framed;
}

juce::int64 HandoverServer::peerUidOf (int socket)
{
#if JUCE_LINUX
    ucred credentials {};
    socklen_t size = sizeof (credentials);

    if (::getsockopt (socket, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 && size == sizeof (credentials))
        return (juce::int64) credentials.uid;
#else
    uid_t uid = 0;
    gid_t gid = 0;

    if (::getpeereid (socket, &uid, &gid) == 0)
        return (juce::int64) uid;
#endif

    return -1;
}
