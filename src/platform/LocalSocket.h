#pragma once

#include <juce_core/juce_core.h>

/**
    Unix-domain sockets (POSIX systems only; the hand-over on Windows is a
    named pipe).
*/
struct LocalSocket
{
    /** The user id of the process at the other end of a connected socket, -1
        when the system cannot tell. */
    static juce::int64 peerUser (int socket);
};
