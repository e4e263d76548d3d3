#pragma once

#include "HandoverProtocol.h"

#include <functional>
#include <memory>

/**
    What InstanceHandover does through the system: the lock, the running
    copy's listening end and a later start's connection to it. One
    implementation a system (HandoverTransportPosix.cpp, a Unix-domain
    socket; HandoverTransportWindows.cpp, a named pipe).
*/
struct HandoverTransport
{
    enum class Lock
    {
        taken, // no other copy of this user runs; this one holds the lock until deleted
        heldByAnotherCopy, // hand over to it
        unavailable // this copy runs on its own
    };

    /** The user id of the process at the other end of a connected socket, -1
        when unknown (POSIX; tests drive it). */
    using PeerUid = std::function<juce::int64 (int socket)>;

    /** One for the lock and the listening end in folder. */
    static std::unique_ptr<HandoverTransport> create (const juce::File& folder, const HandoverProtocol::Limits& limits, PeerUid peerUid);

    static constexpr size_t keyBytes = 32;
    static constexpr size_t maxKeyFileBytes = 256;

    /** Gives the lock up and stops listening. */
    virtual ~HandoverTransport() = default;

    /** problem says why, when the lock is not taken. */
    virtual Lock takeLock (juce::String& problem) = 0;

    /** With the lock taken: hands each message to handler on a thread of its
        own, and leaves the key where a later start of the user finds it. */
    virtual bool listen (const juce::String& key, HandoverProtocol::MessageHandler handler, juce::String& problem) = 0;

    /** A later start's connection to the running copy of the same user, with
        the copy's key; null when there is none or it does not answer. */
    virtual std::unique_ptr<HandoverProtocol::Channel> connect (juce::String& key, juce::int64 deadline) const = 0;
};
