#include "InstanceHandover.h"
#include "UserSettings.h"
#include "model/PrivateFolder.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#if JUCE_LINUX
#include <sys/random.h>
#endif

namespace
{
    constexpr size_t keyBytes = 32;
    constexpr size_t maxKeyFileBytes = 256;

    juce::int64 nowMs()
    {
        using namespace std::chrono;
        return duration_cast<milliseconds> (steady_clock::now().time_since_epoch()).count();
    }

    juce::String systemError() { return std::strerror (errno); }

    juce::String makeKey()
    {
        juce::uint8 bytes[keyBytes];
        size_t got = 0;

#if JUCE_LINUX
        while (got < keyBytes)
        {
            const auto n = ::getrandom (bytes + got, keyBytes - got, 0);

            if (n > 0)
                got += (size_t) n;
            else if (! (n < 0 && errno == EINTR))
                break;
        }
#endif

        if (got < keyBytes)
        {
            // Where getrandom() is missing: the system's pool through its device, and nothing weaker.
            got = 0;
            const auto urandom = ::open ("/dev/urandom", O_RDONLY | O_CLOEXEC);

            while (urandom >= 0 && got < keyBytes)
            {
                const auto n = ::read (urandom, bytes + got, keyBytes - got);

                if (n > 0)
                    got += (size_t) n;
                else if (! (n < 0 && errno == EINTR))
                    break;
            }

            if (urandom >= 0)
                ::close (urandom);
        }

        return got == keyBytes ? juce::String::toHexString (bytes, (int) keyBytes, 0) : juce::String();
    }

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

/** What the server's thread hands on; set before listening starts, then only read. */
struct InstanceHandover::Receiver
{
    juce::String key;
    FilesHandler handler;
};

//==============================================================================
InstanceHandover::InstanceHandover() : InstanceHandover (getDefaultFolder())
{
}

InstanceHandover::InstanceHandover (const juce::File& folderToUse, HandoverServer::Limits limitsToUse, HandoverServer::PeerUid peerUidToUse)
    : folder (folderToUse),
      limits (limitsToUse),
      peerUid (std::move (peerUidToUse))
{
}

InstanceHandover::~InstanceHandover()
{
    server = nullptr;
    receiver = nullptr;

    // While the lock is still ours, so are the socket and the key.
    if (listening)
    {
        ::unlinkat (privateFolder->getHandle(), socketFileName, 0);
        ::unlinkat (privateFolder->getHandle(), keyFileName, 0);
    }

    if (lockHandle >= 0)
        ::close (lockHandle);
}

juce::File InstanceHandover::getDefaultFolder()
{
    return PrivateFolder::inRuntimeFolder ("VeskEdit", UserSettings::getFolder().getChildFile ("instance"));
}

InstanceHandover::Lock InstanceHandover::takeLock()
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
    lockHandle = ::openat (folderHandle, lockFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);

    if (lockHandle < 0)
    {
        problem = "cannot open the lock file in " + folder.getFullPathName() + " (" + systemError() + ")";
        return Lock::unavailable;
    }

    if (::flock (lockHandle, LOCK_EX | LOCK_NB) == 0)
        return Lock::taken;

    const auto heldByAnother = errno == EWOULDBLOCK;
    problem = "cannot lock " + folder.getChildFile (lockFileName).getFullPathName() + " (" + systemError() + ")";
    ::close (lockHandle);
    lockHandle = -1;
    return heldByAnother ? Lock::heldByAnotherCopy : Lock::unavailable;
}

bool InstanceHandover::listen (FilesHandler handler)
{
    jassert (lockHandle >= 0 && server == nullptr);

    if (lockHandle < 0)
        return false;

    const auto folderHandle = privateFolder->getHandle();
    sockaddr_un address;

    if (! socketAddress (folderHandle, folder, address))
    {
        problem = "the folder's path is too long for a socket: " + folder.getFullPathName();
        return false;
    }

    // Without a key from the system's random source there is no hand-over at all.
    const auto key = makeKey();

    if (key.isEmpty())
    {
        problem = "the system gave no random numbers for the hand-over's key";
        return false;
    }

    // We hold the lock, so a socket left here is a crashed copy's: it is replaced.
    // Should something answer on it all the same, it is left alone.
    if (const auto answering = connectTo (address); answering >= 0)
    {
        ::close (answering);
        problem = "something else answers on " + folder.getChildFile (socketFileName).getFullPathName();
        return false;
    }

    if (::unlinkat (folderHandle, socketFileName, 0) != 0 && errno != ENOENT)
    {
        problem = "cannot write into " + folder.getFullPathName() + " (" + systemError() + ")";
        return false;
    }

    // Readable by the user alone; made afresh, so no link left here is followed.
    if (const auto written = privateFolder->replaceFile (keyFileName, key.toRawUTF8(), (size_t) key.getNumBytesAsUTF8(), S_IRUSR | S_IWUSR);
        written.failed())
    {
        problem = "cannot write the key into " + folder.getFullPathName() + " (" + written.getErrorMessage() + ")";
        return false;
    }

    const auto socket = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);

    // Made 0600 before it listens: until then nobody can connect to it.
    if (socket < 0
        || ::bind (socket, reinterpret_cast<const sockaddr*> (&address), sizeof (address)) != 0
        || ::fchmodat (folderHandle, socketFileName, S_IRUSR | S_IWUSR, 0) != 0
        || ::listen (socket, 8) != 0)
    {
        problem = "cannot listen on " + folder.getChildFile (socketFileName).getFullPathName() + " (" + systemError() + ")";

        if (socket >= 0)
            ::close (socket);

        ::unlinkat (folderHandle, keyFileName, 0);
        return false;
    }

    listening = true;
    receiver = std::make_shared<Receiver>();
    receiver->key = key;
    receiver->handler = std::move (handler);

    // On the server's thread: checked there, handed to the message thread once the sender confirms.
    auto onMessage = [weak = std::weak_ptr<Receiver> (receiver)] (const juce::MemoryBlock& message) -> HandoverServer::Action
    {
        juce::StringArray paths;

        if (const auto r = weak.lock(); r == nullptr || ! decodeRequest (message, r->key, paths))
            return {};

        return [weak, paths]
        {
            juce::MessageManager::callAsync ([weak, paths]
                                             {
                                                 if (const auto r = weak.lock())
                                                     if (r->handler != nullptr)
                                                         r->handler (paths); });
        };
    };

    server = std::make_unique<HandoverServer> (socket, std::move (onMessage), limits, HandoverServer::Clock(), peerUid);
    server->start();
    return true;
}

juce::Result InstanceHandover::handOver (const juce::StringArray& paths, int timeoutMs) const
{
    const auto deadline = nowMs() + juce::jmax (0, timeoutMs);

    // The running copy opens the first file: what does not fit into one message is left out.
    juce::StringArray sent;

    for (const auto& path : paths)
    {
        sent.add (path);

        if (sent.size() > maxPathsPerRequest || encodeRequest (juce::String::repeatedString ("0", (int) keyBytes * 2), sent).getSize() > limits.maxMessageBytes)
        {
            sent.remove (sent.size() - 1);
            break;
        }
    }

    for (;;)
    {
        const PrivateFolder running (folder, false);

        if (running.isOpen())
        {
            const auto handle = running.getHandle();
            const auto key = readKey (handle);
            sockaddr_un address;
            bool answered = false;

            if (key.isNotEmpty() && socketAddress (handle, folder, address))
            {
                if (const auto socket = connectTo (address); socket >= 0)
                {
                    answered = tryHandOver (HandoverServer::frame (encodeRequest (key, sent)), socket, deadline);
                    ::close (socket);
                }
            }

            if (answered)
                return juce::Result::ok();
        }

        if (nowMs() >= deadline)
            break;

        // The running copy may still be starting: it listens once its window is up.
        juce::Thread::sleep (100);
    }

    return juce::Result::fail ("VeskEdit is already running for this user, but it did not answer within "
                               + juce::String (timeoutMs / 1000.0, 1) + " seconds"
                               + (paths.isEmpty() ? juce::String() : juce::String (", so the files were not opened")) + ".");
}

bool InstanceHandover::tryHandOver (const juce::MemoryBlock& framed, int socket, juce::int64 deadline)
{
    // Files go to this user's copy only.
    if (HandoverServer::peerUidOf (socket) != (juce::int64)::geteuid())
        return false;

    const auto* bytes = static_cast<const char*> (framed.getData());
    size_t sent = 0;

    while (sent < framed.getSize())
    {
        const auto n = ::send (socket, bytes + sent, framed.getSize() - sent, MSG_NOSIGNAL);

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

    // The running copy asks whether we still wait before it acts: past our
    // deadline we do not answer, and closing the connection withdraws the files.
    const auto readySize = std::strlen (HandoverServer::readyReply);
    char reply[16];
    size_t got = 0;

    while (got < readySize)
    {
        const auto n = ::recv (socket, reply + got, readySize - got, 0);

        if (n > 0)
            got += (size_t) n;
        else if (n == 0)
            return false;
        else if (errno == EAGAIN || errno == EWOULDBLOCK)
        {
            if (! waitFor (socket, POLLIN, deadline))
                return false;
        }
        else if (errno != EINTR)
            return false;
    }

    if (std::memcmp (reply, HandoverServer::readyReply, readySize) != 0)
        return false;

    // Once this byte is in, the running copy acts on it; a copy that gave up
    // on us in the meantime has shut its end, and the send fails.
    const char yes = HandoverServer::confirmation;
    ssize_t n;

    do
        n = ::send (socket, &yes, 1, MSG_NOSIGNAL);
    while (n < 0 && errno == EINTR);

    if (n != 1)
        return false;

    // Done: its answer only tells that it has acted by now, so a start that
    // ends here leaves the running copy's window already on its way forward.
    const auto acceptedSize = std::strlen (HandoverServer::acceptedReply);
    const auto answerDeadline = juce::jmax (deadline, nowMs() + 1000);

    for (got = 0; got < acceptedSize && waitFor (socket, POLLIN, answerDeadline);)
    {
        n = ::recv (socket, reply + got, acceptedSize - got, 0);

        if (n > 0)
            got += (size_t) n;
        else if (! (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)))
            break;
    }

    return true;
}
