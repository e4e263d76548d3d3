#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

/**
    The running copy's end of the hand-over: serves a listening Unix-domain
    socket on one thread of its own, with hard limits, because anything of
    the same user can connect to it.

    A message is a greeting (the magic bytes), its length as 4 bytes big-endian,
    then the message itself. A wrong greeting, a length of 0 or over the limit,
    or a peer of another user closes the connection at once; a connection that
    has not delivered its whole message in time is closed too. Nothing is
    allocated before the length is checked, and everything a connection holds
    is freed when it closes. While all connections are taken, further ones wait
    in the socket's queue.

    A message is acted on only while its sender still waits for the answer:
    a sender that gave up may have left it in the queue, and has told its user
    that nothing was done. So a message that checks out is answered "ready",
    and only the confirmation byte that comes back on the same connection, in
    time, lets it take effect ("accepted" follows). At the deadline reading is
    shut before the last look for the confirmation: from then on the sender's
    confirmation fails at its own end, so both ends agree on what happened.
*/
class HandoverServer
{
public:
    struct Limits
    {
        int maxConnections = 4;
        int timeoutMs = 2000; // for the whole message, from the connection's start
        juce::uint32 maxMessageBytes = 65536;
        int acceptPauseMs = 250; // after the process ran out of file handles
    };

    /** What a message does once its sender confirms it. */
    using Action = std::function<void()>;

    /** Checks each whole message: returns its action, or nothing to refuse it
        (the connection is closed without an answer). */
    using MessageHandler = std::function<Action (const juce::MemoryBlock& message)>;

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

    /** A message as a later start sends it. */
    static juce::MemoryBlock frame (const juce::MemoryBlock& message);

    static juce::int64 peerUidOf (int socket);

    static constexpr char greeting[4] = { 'V', 'K', 'H', '2' };
    static constexpr const char* readyReply = "ready";
    static constexpr char confirmation = 'Y';
    static constexpr const char* acceptedReply = "accepted";

private:
    struct Connection
    {
        int socket = -1;
        juce::int64 deadline = 0;
        juce::uint8 header[8] {};
        size_t headerBytes = 0;
        juce::MemoryBlock body; // sized once the length is known to be within the limit
        size_t bodyBytes = 0;
        Action pending; // set once the sender was told "ready"
    };

    /** False when the connection is done with (finished, refused or broken). */
    bool readFrom (Connection& connection);
    bool readConfirmation (Connection& connection);
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
