#pragma once

#include "HandoverProtocol.h"

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

/**
    The running copy's end of the hand-over on POSIX systems: serves a
    listening Unix-domain socket on one thread of its own, with hard limits
    (HandoverProtocol), because anything of the same user can connect to it.

    A wrong greeting, a length of 0 or over the limit, or a peer of another
    user closes the connection at once; a connection that has not delivered
    its whole message in time is closed too. Everything a connection holds is
    freed when it closes. While all connections are taken, further ones wait
    in the socket's queue.

    At the deadline of a connection told "ready", reading is shut before the
    last look for the confirmation: from then on the sender's confirmation
    fails at its own end, so both ends agree on what happened.
*/
class HandoverServer : public HandoverProtocol
{
public:
    /** Milliseconds on a clock that only moves forward. */
    using Clock = std::function<juce::int64()>;

    /** The user id of the process at the other end of a connected socket, -1 when unknown. */
    using PeerUid = std::function<juce::int64 (int socket)>;

    /** Takes over a socket that listens already. Without a clock or a peer
        check, the system's are used. */
    HandoverServer (int listeningSocket, MessageHandler handler, Limits limits, Clock clock = {}, PeerUid peerUid = {});
    ~HandoverServer();

    /** Serves on a thread of its own until deleted. */
    void start();

    /** One round of serving: waits up to maxWaitMs (-1: until something
        happens) for connections and data, then handles them. Tests call this
        directly instead of start(), on their own clock. */
    void serviceOnce (int maxWaitMs);

    int getNumConnections() const noexcept { return (int) connections.size(); }

private:
    struct Connection
    {
        int socket = -1;
        juce::int64 deadline = 0;
        Incoming incoming;
    };

    /** False when the connection is done with (finished, refused or broken). */
    bool readFrom (Connection& connection);
    void acceptWaiting();
    void close (size_t index);

    int listeningSocket;
    int wakeRead = -1, wakeWrite = -1;
    MessageHandler handler;
    Limits limits;
    Clock clock;
    PeerUid peerUid;
    juce::int64 acceptPausedUntil = 0;
    std::vector<Connection> connections;
    std::atomic<bool> stopping { false };
    std::thread thread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HandoverServer)
};
