#include "platform/LocalSocket.h"

#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

juce::int64 LocalSocket::peerUser (int socket)
{
#if defined(__linux__)
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
