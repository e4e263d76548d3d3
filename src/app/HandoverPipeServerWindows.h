#pragma once

#include "HandoverProtocol.h"

#include <windows.h>

#include <memory>

/**
    The running copy's end of the hand-over's named pipe on Windows, and what
    a later start's end (HandoverTransportWindows.cpp) shares with it.
*/
namespace HandoverPipes
{
    /** This process's user as a SID string ("S-1-5-21-..."), empty when unknown. */
    const juce::String& ourUser();

    /** True when the process at the other end of a connected pipe runs as this user. */
    bool otherEndIsOurUser (HANDLE pipe, bool weAreTheServer);

    /** An event for overlapped I/O, reset by hand. */
    struct Overlapped
    {
        Overlapped() { io.hEvent = ::CreateEventW (nullptr, TRUE, FALSE, nullptr); }
        ~Overlapped() { ::CloseHandle (io.hEvent); }

        OVERLAPPED io {};

        JUCE_DECLARE_NON_COPYABLE (Overlapped)
    };

    /** Ends what is still under way on the pipe and waits until it has. */
    void cancel (HANDLE pipe, OVERLAPPED& io);

    /** A new instance of the pipe for the user alone, or INVALID_HANDLE_VALUE. */
    HANDLE createInstance (const juce::String& pipeName, bool first);

    /** The running copy's end, serving the pipe on a thread of its own until deleted. */
    struct Server
    {
        virtual ~Server() = default;
    };

    /** Starts serving name, firstInstance (the lock) the first instance waiting. */
    std::unique_ptr<Server> startServer (HANDLE firstInstance, juce::String name, HandoverProtocol::MessageHandler handler,
                                         const HandoverProtocol::Limits& limits);
}
