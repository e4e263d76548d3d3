#include "HandoverServer.h"
#include "platform/LocalSocket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

HandoverServer::HandoverServer (int listeningSocketToUse, MessageHandler handlerToUse, Limits limitsToUse, Clock clockToUse, PeerUid peerUidToUse)
    : listeningSocket (listeningSocketToUse),
      handler (std::move (handlerToUse)),
      limits (limitsToUse),
      clock (clockToUse != nullptr ? std::move (clockToUse) : Clock (nowMs)),
      peerUid (peerUidToUse != nullptr ? std::move (peerUidToUse) : PeerUid (LocalSocket::peerUser))
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
        if (c.incoming.awaitsConfirmation() && ::shutdown (c.socket, SHUT_RD) == 0)
            readFrom (c);

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
    const auto got = ::recv (c.socket, c.incoming.nextBytes(), c.incoming.nextSize(), 0);

    if (got < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;

    if (got == 0)
        return false;

    // A few bytes into an empty socket buffer: this does not block. A peer
    // that has gone already gets nothing (and no SIGPIPE for us).
    auto answer = [&c] (const char* reply)
    {
        const auto size = (ssize_t) std::strlen (reply);
        return ::send (c.socket, reply, (size_t) size, MSG_NOSIGNAL | MSG_DONTWAIT) == size;
    };

    switch (c.incoming.received ((size_t) got, limits, handler))
    {
        case Incoming::Step::more: return true;
        case Incoming::Step::answerReady: return answer (readyReply);
        case Incoming::Step::answerAccepted: answer (acceptedReply); return false;
        case Incoming::Step::close: return false;
    }

    return false;
}

void HandoverServer::close (size_t index)
{
    ::close (connections[index].socket);
    connections.erase (connections.begin() + (std::ptrdiff_t) index);
}
