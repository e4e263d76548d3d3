#include "HandoverServer.h"
#include "HandoverTransport.h"
#include "InstanceHandover.h"
#include "model/PrivateFolder.h"
#include "platform/LocalSocket.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
    constexpr auto keyBytes = HandoverTransport::keyBytes;
    constexpr auto maxKeyFileBytes = HandoverTransport::maxKeyFileBytes;
    juce::int64 nowMs() { return HandoverProtocol::nowMs(); }

    juce::String systemError() { return std::strerror (errno); }

    juce::String readKey (int folderHandle)
    {
        const auto handle = ::openat (folderHandle, InstanceHandover::keyFileName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);

        if (handle < 0)
            return {};

        char text[maxKeyFileBytes + 1];
        ssize_t size = -1;
        struct stat info
        {
        };

        if (::fstat (handle, &info) == 0 && S_ISREG (info.st_mode) && info.st_size <= (off_t) maxKeyFileBytes)
            size = ::read (handle, text, maxKeyFileBytes);

        ::close (handle);
        return size > 0 ? juce::String::fromUTF8 (text, (int) size).trim() : juce::String();
    }

    /** The socket's address: its path, or where that is too long for an
        address, the same place through the folder's open handle. */
    bool socketAddress (int folderHandle, const juce::File& folder, sockaddr_un& address)
    {
        address = {};
        address.sun_family = AF_UNIX;
        auto path = folder.getChildFile (InstanceHandover::socketFileName).getFullPathName();

        if ((size_t) path.getNumBytesAsUTF8() >= sizeof (address.sun_path))
            path = "/proc/self/fd/" + juce::String (folderHandle) + "/" + InstanceHandover::socketFileName;

        if ((size_t) path.getNumBytesAsUTF8() >= sizeof (address.sun_path))
            return false;

        std::strcpy (address.sun_path, path.toRawUTF8());
        return true;
    }

    /** A socket connected to address, or -1. Does not wait for a copy that has its hands full. */
    int connectTo (const sockaddr_un& address)
    {
        const auto handle = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);

        if (handle >= 0 && ::connect (handle, reinterpret_cast<const sockaddr*> (&address), sizeof (address)) == 0)
            return handle;

        if (handle >= 0)
            ::close (handle);

        return -1;
    }

    /** Waits for the socket until the deadline; false when it passed. */
    bool waitFor (int handle, short events, juce::int64 deadline)
    {
        for (;;)
        {
            const auto left = deadline - nowMs();

            if (left <= 0)
                return false;

            pollfd fd { handle, events, 0 };
            const auto n = ::poll (&fd, 1, (int) juce::jmin<juce::int64> (left, 1000));

            if (n > 0)
                return true;

            if (n < 0 && errno != EINTR)
                return false;
        }
    }
}

namespace
{
    /** A connected socket, as a later start uses it. */
    class SocketChannel final : public HandoverProtocol::Channel
    {
    public:
        explicit SocketChannel (int socketToUse) : socket (socketToUse) {}
        ~SocketChannel() override { ::close (socket); }

        bool write (const void* data, size_t size, juce::int64 deadline) override
        {
            const auto* bytes = static_cast<const char*> (data);
            size_t sent = 0;

            while (sent < size)
            {
                const auto n = ::send (socket, bytes + sent, size - sent, MSG_NOSIGNAL);

                if (n > 0)
                    sent += (size_t) n;
                else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                {
                    if (! waitFor (socket, POLLOUT, deadline))
                        return false;
                }
                else if (! (n < 0 && errno == EINTR))
                    return false;
            }

            return true;
        }

        Read read (void* data, size_t size, juce::int64 deadline) override
        {
            auto* bytes = static_cast<char*> (data);
            size_t got = 0;

            while (got < size)
            {
                const auto n = ::recv (socket, bytes + got, size - got, 0);

                if (n > 0)
                    got += (size_t) n;
                else if (n == 0)
                    return Read::ended;
                else if (errno == EAGAIN || errno == EWOULDBLOCK)
                {
                    if (! waitFor (socket, POLLIN, deadline))
                        return Read::late;
                }
                else if (errno != EINTR)
                    return Read::ended;
            }

            return Read::whole;
        }

    private:
        int socket;
    };

    class SocketTransport final : public HandoverTransport
    {
    public:
        SocketTransport (const juce::File& folderToUse, const HandoverProtocol::Limits& limitsToUse, PeerUid peerUidToUse)
            : folder (folderToUse),
              limits (limitsToUse),
              peerUid (std::move (peerUidToUse))
        {
        }

        ~SocketTransport() override
        {
            server = nullptr;

            // While the lock is still ours, so are the socket and the key.
            if (listening)
            {
                ::unlinkat (privateFolder->getHandle(), InstanceHandover::socketFileName, 0);
                ::unlinkat (privateFolder->getHandle(), InstanceHandover::keyFileName, 0);
            }

            if (lockHandle >= 0)
                ::close (lockHandle);
        }

        Lock takeLock (juce::String& problem) override
        {
            jassert (lockHandle < 0);

            if (privateFolder == nullptr || ! privateFolder->isOpen())
                privateFolder = std::make_unique<PrivateFolder> (folder, true);

            if (! privateFolder->isOpen())
            {
                problem = privateFolder->getProblem();
                return Lock::unavailable;
            }

            const auto folderHandle = privateFolder->getHandle();
            lockHandle = ::openat (folderHandle, InstanceHandover::lockFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);

            if (lockHandle < 0)
            {
                problem = "cannot open the lock file in " + folder.getFullPathName() + " (" + systemError() + ")";
                return Lock::unavailable;
            }

            if (::flock (lockHandle, LOCK_EX | LOCK_NB) == 0)
                return Lock::taken;

            const auto heldByAnother = errno == EWOULDBLOCK;
            problem = "cannot lock " + folder.getChildFile (InstanceHandover::lockFileName).getFullPathName() + " (" + systemError() + ")";
            ::close (lockHandle);
            lockHandle = -1;
            return heldByAnother ? Lock::heldByAnotherCopy : Lock::unavailable;
        }

        bool listen (const juce::String& key, HandoverProtocol::MessageHandler handler, juce::String& problem) override
        {
            jassert (lockHandle >= 0 && server == nullptr);

            if (lockHandle < 0)
                return false;

            const auto folderHandle = privateFolder->getHandle();
            const auto socketFile = folder.getChildFile (InstanceHandover::socketFileName);
            sockaddr_un address;

            if (! socketAddress (folderHandle, folder, address))
            {
                problem = "the folder's path is too long for a socket: " + folder.getFullPathName();
                return false;
            }

            // We hold the lock, so a socket left here is a crashed copy's: it is replaced.
            // Should something answer on it all the same, it is left alone.
            if (const auto answering = connectTo (address); answering >= 0)
            {
                ::close (answering);
                problem = "something else answers on " + socketFile.getFullPathName();
                return false;
            }

            if (::unlinkat (folderHandle, InstanceHandover::socketFileName, 0) != 0 && errno != ENOENT)
            {
                problem = "cannot write into " + folder.getFullPathName() + " (" + systemError() + ")";
                return false;
            }

            // Readable by the user alone; made afresh, so no link left here is followed.
            if (const auto written = privateFolder->replaceFile (InstanceHandover::keyFileName, key.toRawUTF8(), (size_t) key.getNumBytesAsUTF8(), S_IRUSR | S_IWUSR);
                written.failed())
            {
                problem = "cannot write the key into " + folder.getFullPathName() + " (" + written.getErrorMessage() + ")";
                return false;
            }

            const auto socket = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);

            // Made 0600 before it listens: until then nobody can connect to it.
            if (socket < 0
                || ::bind (socket, reinterpret_cast<const sockaddr*> (&address), sizeof (address)) != 0
                || ::fchmodat (folderHandle, InstanceHandover::socketFileName, S_IRUSR | S_IWUSR, 0) != 0
                || ::listen (socket, 8) != 0)
            {
                problem = "cannot listen on " + socketFile.getFullPathName() + " (" + systemError() + ")";

                if (socket >= 0)
                    ::close (socket);

                ::unlinkat (folderHandle, InstanceHandover::keyFileName, 0);
                return false;
            }

            listening = true;
            server = std::make_unique<HandoverServer> (socket, std::move (handler), limits, HandoverServer::Clock(), peerUid);
            server->start();
            return true;
        }

        std::unique_ptr<HandoverProtocol::Channel> connect (juce::String& key, juce::int64) const override
        {
            const PrivateFolder running (folder, false);

            if (! running.isOpen())
                return nullptr;

            const auto handle = running.getHandle();
            key = readKey (handle);
            sockaddr_un address;

            if (key.isEmpty() || ! socketAddress (handle, folder, address))
                return nullptr;

            const auto socket = connectTo (address);

            if (socket < 0)
                return nullptr;

            auto channel = std::make_unique<SocketChannel> (socket);

            // Files go to this user's copy only.
            if (LocalSocket::peerUser (socket) != (juce::int64)::geteuid())
                return nullptr;

            return channel;
        }

    private:
        juce::File folder;
        HandoverProtocol::Limits limits;
        PeerUid peerUid;
        std::unique_ptr<PrivateFolder> privateFolder;
        int lockHandle = -1;
        bool listening = false;
        std::unique_ptr<HandoverServer> server;
    };
}

std::unique_ptr<HandoverTransport> HandoverTransport::create (const juce::File& folder, const HandoverProtocol::Limits& limits, PeerUid peerUid)
{
    return std::make_unique<SocketTransport> (folder, limits, std::move (peerUid));
}
