#include "HandoverTransport.h"
#include "InstanceHandover.h"
#include "model/BoundedFileReader.h"
#include "model/PrivateFolder.h"
#include "platform/SystemError.h"

#include <windows.h>

#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace
{
    constexpr DWORD pipeBufferBytes = 4096;

    /** The user a process runs as, as a SID string ("S-1-5-21-..."), empty when unknown. */
    juce::String userOfProcess (HANDLE process)
    {
        HANDLE token = nullptr;

        if (! ::OpenProcessToken (process, TOKEN_QUERY, &token))
            return {};

        juce::String sid;
        DWORD size = 0;
        ::GetTokenInformation (token, TokenUser, nullptr, 0, &size);
        juce::HeapBlock<char> user (size);

        if (size > 0 && ::GetTokenInformation (token, TokenUser, user.get(), size, &size))
        {
            wchar_t* text = nullptr;

            if (::ConvertSidToStringSidW (reinterpret_cast<TOKEN_USER*> (user.get())->User.Sid, &text))
            {
                sid = juce::String (text);
                ::LocalFree (text);
            }
        }

        ::CloseHandle (token);
        return sid;
    }

    const juce::String& ourUser()
    {
        static const auto sid = userOfProcess (::GetCurrentProcess());
        return sid;
    }

    /** True when the process at the other end of a connected pipe runs as this user. */
    bool otherEndIsOurUser (HANDLE pipe, bool weAreTheServer)
    {
        ULONG processId = 0;

        if (! (weAreTheServer ? ::GetNamedPipeClientProcessId (pipe, &processId) : ::GetNamedPipeServerProcessId (pipe, &processId)))
            return false;

        const auto process = ::OpenProcess (PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);

        if (process == nullptr)
            return false;

        const auto user = userOfProcess (process);
        ::CloseHandle (process);
        return user.isNotEmpty() && user == ourUser();
    }

    /** The pipe of the copy that keeps its key in folder: the user's own
        name, and for any other folder (a test's) one of that folder's. */
    juce::String pipeNameFor (const juce::File& folder)
    {
        const auto name = "\\\\.\\pipe\\VeskEdit-" + ourUser();

        if (folder == InstanceHandover::getDefaultFolder())
            return name;

        // Windows' paths are the same in any case.
        return name + "-" + juce::String::toHexString (folder.getFullPathName().toLowerCase().hashCode64());
    }

    /** An event for overlapped I/O, reset by hand. */
    struct Overlapped
    {
        Overlapped() { io.hEvent = ::CreateEventW (nullptr, TRUE, FALSE, nullptr); }
        ~Overlapped() { ::CloseHandle (io.hEvent); }

        OVERLAPPED io {};

        JUCE_DECLARE_NON_COPYABLE (Overlapped)
    };

    /** Ends what is still under way on the pipe and waits until it has. */
    void cancel (HANDLE pipe, OVERLAPPED& io)
    {
        DWORD done = 0;

        if (::CancelIoEx (pipe, &io) || ::GetLastError() != ERROR_NOT_FOUND)
            ::GetOverlappedResult (pipe, &io, &done, TRUE);
    }

    /** Writes a few bytes that fit into the pipe's empty buffer: a reader that
        does not take them gets nothing, and the pipe counts as failed. */
    bool writeNow (HANDLE pipe, const void* data, DWORD size)
    {
        Overlapped o;
        DWORD written = 0;

        if (! ::WriteFile (pipe, data, size, nullptr, &o.io) && ::GetLastError() != ERROR_IO_PENDING)
            return false;

        if (::WaitForSingleObject (o.io.hEvent, 0) != WAIT_OBJECT_0)
            cancel (pipe, o.io);

        return ::GetOverlappedResult (pipe, &o.io, &written, TRUE) && written == size;
    }

    /** A later start's end of the pipe. */
    class PipeChannel final : public HandoverProtocol::Channel
    {
    public:
        explicit PipeChannel (HANDLE pipeToUse) : pipe (pipeToUse) {}
        ~PipeChannel() override { ::CloseHandle (pipe); }

        bool write (const void* data, size_t size, juce::int64 deadline) override
        {
            const auto* bytes = static_cast<const char*> (data);

            for (size_t sent = 0; sent < size;)
            {
                DWORD done = 0;

                if (! transfer (false, const_cast<char*> (bytes + sent), size - sent, deadline, done))
                    return false;

                sent += done;
            }

            return true;
        }

        Read read (void* data, size_t size, juce::int64 deadline) override
        {
            auto* bytes = static_cast<char*> (data);

            for (size_t got = 0; got < size;)
            {
                DWORD done = 0;

                if (! transfer (true, bytes + got, size - got, deadline, done))
                    return late ? Read::late : Read::ended;

                got += done;
            }

            return Read::whole;
        }

    private:
        /** One ReadFile or WriteFile, waited for until the deadline. */
        bool transfer (bool reading, char* bytes, size_t size, juce::int64 deadline, DWORD& done)
        {
            Overlapped o;
            const auto started = reading ? ::ReadFile (pipe, bytes, (DWORD) size, nullptr, &o.io)
                                         : ::WriteFile (pipe, bytes, (DWORD) size, nullptr, &o.io);

            if (! started && ::GetLastError() != ERROR_IO_PENDING)
                return false;

            const auto left = juce::jmax<juce::int64> (0, deadline - HandoverProtocol::nowMs());

            if (::WaitForSingleObject (o.io.hEvent, (DWORD) juce::jmin<juce::int64> (left, 60000)) != WAIT_OBJECT_0)
            {
                cancel (pipe, o.io);

                // What completed while it was being cancelled counts.
                if (! (::GetOverlappedResult (pipe, &o.io, &done, FALSE) && done > 0))
                {
                    late = true;
                    return false;
                }

                return true;
            }

            return ::GetOverlappedResult (pipe, &o.io, &done, FALSE) && done > 0;
        }

        HANDLE pipe;
        bool late = false;
    };

    //==============================================================================
    /**
        The running copy's end: instances of the pipe served on one thread of
        their own, with the same limits as the Unix-domain socket's server.

        One instance always waits for the next start (a queue of one, as the
        socket's); while all connections are taken, a start that reached it
        waits there until one ends. There is always an instance open, so the
        name, and with it the lock, stays ours.
    */
    class PipeServer
    {
    public:
        PipeServer (HANDLE firstInstance, juce::String nameToUse, HandoverProtocol::MessageHandler handlerToUse, const HandoverProtocol::Limits& limitsToUse)
            : name (std::move (nameToUse)),
              handler (std::move (handlerToUse)),
              limits (limitsToUse)
        {
            listener.pipe = firstInstance;
            // WaitForMultipleObjects waits on at most 64 handles, two of them ours.
            limits.maxConnections = juce::jlimit (1, MAXIMUM_WAIT_OBJECTS - 2, limits.maxConnections);
        }

        ~PipeServer()
        {
            stopping = true;
            ::SetEvent (wake.io.hEvent);

            if (thread.joinable())
                thread.join();

            while (! connections.empty())
                close (connections.size() - 1);

            if (listener.connecting)
                cancel (listener.pipe, listener.overlapped.io);

            if (listener.pipe != INVALID_HANDLE_VALUE)
                ::CloseHandle (listener.pipe);
        }

        void start()
        {
            thread = std::thread ([this]
                                  {
                                      juce::Thread::setCurrentThreadName ("VeskEdit hand-over");

                                      while (! stopping)
                                          serviceOnce(); });
        }

        /** A new instance of the pipe for the user alone, or INVALID_HANDLE_VALUE. */
        static HANDLE createInstance (const juce::String& pipeName, bool first)
        {
            // Only this user may open it; not even the administrators are let in.
            const auto rules = "D:P(A;;GA;;;" + ourUser() + ")";
            PSECURITY_DESCRIPTOR descriptor = nullptr;

            if (ourUser().isEmpty() || ! ::ConvertStringSecurityDescriptorToSecurityDescriptorW (rules.toWideCharPointer(), SDDL_REVISION_1, &descriptor, nullptr))
                return INVALID_HANDLE_VALUE;

            SECURITY_ATTRIBUTES security { sizeof (SECURITY_ATTRIBUTES), descriptor, FALSE };
            const auto pipe = ::CreateNamedPipeW (pipeName.toWideCharPointer(),
                                                  PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
                                                  PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                                  PIPE_UNLIMITED_INSTANCES, pipeBufferBytes, pipeBufferBytes, 0, &security);
            const auto error = ::GetLastError();
            ::LocalFree (descriptor);
            ::SetLastError (error);
            return pipe;
        }

    private:
        struct Connection
        {
            HANDLE pipe = INVALID_HANDLE_VALUE;
            juce::int64 deadline = 0;
            HandoverProtocol::Incoming incoming;
            std::unique_ptr<Overlapped> overlapped = std::make_unique<Overlapped>();
        };

        struct Listener
        {
            HANDLE pipe = INVALID_HANDLE_VALUE;
            Overlapped overlapped;
            bool connecting = false;
        };

        void serviceOnce()
        {
            auto now = HandoverProtocol::nowMs();

            for (auto i = connections.size(); i-- > 0;)
            {
                if (connections[i].deadline > now)
                    continue;

                // A confirmation that came in time is taken; one written after
                // this is never read, and the sender learns it from the closed pipe.
                auto& c = connections[i];
                cancel (c.pipe, c.overlapped->io);
                DWORD got = 0;

                if (c.incoming.awaitsConfirmation() && ::GetOverlappedResult (c.pipe, &c.overlapped->io, &got, FALSE) && got > 0)
                    finishRead (c, got);

                close (i);
            }

            listen (now);

            std::vector<HANDLE> events { wake.io.hEvent };

            if (listener.connecting)
                events.push_back (listener.overlapped.io.hEvent);

            for (const auto& c : connections)
                events.push_back (c.overlapped->io.hEvent);

            // The next moment something is due: a connection's deadline, or the end of a pause.
            auto wait = (juce::int64) INFINITE;

            for (const auto& c : connections)
                wait = std::min (wait, std::max<juce::int64> (0, c.deadline - now));

            if (pausedUntil > now)
                wait = std::min (wait, pausedUntil - now);

            if (::WaitForMultipleObjects ((DWORD) events.size(), events.data(), FALSE, (DWORD) wait) == WAIT_FAILED)
                return;

            ::ResetEvent (wake.io.hEvent);

            // Backwards, so that closing one leaves the indices of the others in place.
            for (auto i = connections.size(); i-- > 0;)
            {
                auto& c = connections[i];
                DWORD got = 0;

                if (::GetOverlappedResult (c.pipe, &c.overlapped->io, &got, FALSE))
                {
                    if (got == 0 || ! finishRead (c, got) || ! startRead (c))
                        close (i);
                }
                else if (::GetLastError() != ERROR_IO_INCOMPLETE)
                    close (i);
            }

            DWORD unused = 0;

            if (listener.connecting && HasOverlappedIoCompleted (&listener.overlapped.io))
            {
                listener.connecting = false;
                takeConnection (::GetOverlappedResult (listener.pipe, &listener.overlapped.io, &unused, FALSE));
            }
        }

        /** Keeps an instance waiting for the next start, and takes one that
            connected while there is room. */
        void listen (juce::int64 now)
        {
            while (! listener.connecting && ! stopping && pausedUntil <= now)
            {
                if (listener.pipe == INVALID_HANDLE_VALUE)
                    listener.pipe = createInstance (name, false);

                // Out of handles (or memory): try again after a pause.
                if (listener.pipe == INVALID_HANDLE_VALUE)
                {
                    pausedUntil = now + limits.acceptPauseMs;
                    return;
                }

                if ((int) connections.size() >= limits.maxConnections)
                    return;

                ::ResetEvent (listener.overlapped.io.hEvent);

                if (::ConnectNamedPipe (listener.pipe, &listener.overlapped.io))
                    takeConnection (true);
                else if (const auto error = ::GetLastError(); error == ERROR_IO_PENDING)
                    listener.connecting = true;
                else if (error == ERROR_PIPE_CONNECTED || error == ERROR_NO_DATA)
                    takeConnection (error == ERROR_PIPE_CONNECTED);
                else
                    pausedUntil = now + limits.acceptPauseMs;
            }
        }

        /** The listening instance becomes a connection; when its start has
            gone already or is not this user's, it is made ready for the next. */
        void takeConnection (bool connected)
        {
            if (! connected || ! otherEndIsOurUser (listener.pipe, true))
            {
                ::DisconnectNamedPipe (listener.pipe);
                return;
            }

            connections.emplace_back();
            auto& c = connections.back();
            c.pipe = std::exchange (listener.pipe, INVALID_HANDLE_VALUE);
            c.deadline = HandoverProtocol::nowMs() + limits.timeoutMs;

            if (! startRead (c))
                close (connections.size() - 1);
        }

        bool startRead (Connection& c)
        {
            ::ResetEvent (c.overlapped->io.hEvent);
            return ::ReadFile (c.pipe, c.incoming.nextBytes(), (DWORD) c.incoming.nextSize(), nullptr, &c.overlapped->io)
                   || ::GetLastError() == ERROR_IO_PENDING;
        }

        /** False when the connection is done with (finished or refused). */
        bool finishRead (Connection& c, DWORD got)
        {
            using Step = HandoverProtocol::Incoming::Step;

            switch (c.incoming.received (got, limits, handler))
            {
                case Step::more: return true;
                case Step::answerReady: return writeNow (c.pipe, HandoverProtocol::readyReply, (DWORD) std::strlen (HandoverProtocol::readyReply));
                case Step::answerAccepted: writeNow (c.pipe, HandoverProtocol::acceptedReply, (DWORD) std::strlen (HandoverProtocol::acceptedReply)); return false;
                case Step::close: return false;
            }

            return false;
        }

        void close (size_t index)
        {
            // Another instance before this one goes, so that the name (the lock) stays ours.
            if (listener.pipe == INVALID_HANDLE_VALUE)
                listener.pipe = createInstance (name, false);

            auto& c = connections[index];
            cancel (c.pipe, c.overlapped->io);
            // Not disconnected: the sender still reads what was written before the close.
            ::CloseHandle (c.pipe);
            connections.erase (connections.begin() + (std::ptrdiff_t) index);
        }

        juce::String name;
        HandoverProtocol::MessageHandler handler;
        HandoverProtocol::Limits limits;
        Listener listener;
        std::vector<Connection> connections;
        juce::int64 pausedUntil = 0;
        Overlapped wake;
        std::atomic<bool> stopping { false };
        std::thread thread;
    };

    //==============================================================================
    class PipeTransport final : public HandoverTransport
    {
    public:
        PipeTransport (const juce::File& folderToUse, const HandoverProtocol::Limits& limitsToUse)
            : folder (folderToUse),
              name (pipeNameFor (folderToUse)),
              limits (limitsToUse)
        {
        }

        ~PipeTransport() override
        {
            server = nullptr;

            // While the name is still ours, so is the key.
            if (listening)
                folder.getChildFile (InstanceHandover::keyFileName).deleteFile();

            if (lock != INVALID_HANDLE_VALUE)
                ::CloseHandle (lock);

            if (mutex != nullptr)
                ::CloseHandle (mutex);
        }

        Lock takeLock (juce::String& problem) override
        {
            jassert (lock == INVALID_HANDLE_VALUE && server == nullptr);

            if (privateFolder == nullptr || ! privateFolder->isOpen())
                privateFolder = std::make_unique<PrivateFolder> (folder, true);

            if (! privateFolder->isOpen())
            {
                problem = privateFolder->getProblem();
                return Lock::unavailable;
            }

            // The first instance of the name is the lock: while any instance
            // is open, nobody else can make a first one. Wine makes as many
            // first instances as asked for, so a mutex of the same name, held
            // as long as the pipe, backs it.
            mutex = ::CreateMutexW (nullptr, FALSE, ("Local\\" + name.fromLastOccurrenceOf ("\\", false, false)).toWideCharPointer());
            auto error = ::GetLastError();

            if (mutex != nullptr && error != ERROR_ALREADY_EXISTS)
            {
                lock = PipeServer::createInstance (name, true);
                error = ::GetLastError();

                if (lock != INVALID_HANDLE_VALUE)
                    return Lock::taken;
            }

            if (mutex != nullptr)
                ::CloseHandle (std::exchange (mutex, nullptr));

            problem = "cannot make the pipe " + name + " (" + SystemError::describe ((int) error) + ")";
            return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY ? Lock::heldByAnotherCopy : Lock::unavailable;
        }

        bool listen (const juce::String& key, HandoverProtocol::MessageHandler handler, juce::String& problem) override
        {
            jassert (lock != INVALID_HANDLE_VALUE && server == nullptr);

            if (lock == INVALID_HANDLE_VALUE)
                return false;

            if (const auto written = privateFolder->replaceFile (InstanceHandover::keyFileName, key.toRawUTF8(), (size_t) key.getNumBytesAsUTF8(), 0600);
                written.failed())
            {
                problem = "cannot write the key into " + folder.getFullPathName() + " (" + written.getErrorMessage() + ")";
                return false;
            }

            listening = true;
            server = std::make_unique<PipeServer> (std::exchange (lock, INVALID_HANDLE_VALUE), name, std::move (handler), limits);
            server->start();
            return true;
        }

        std::unique_ptr<HandoverProtocol::Channel> connect (juce::String& key, juce::int64 deadline) const override
        {
            const PrivateFolder running (folder, false);
            juce::MemoryBlock keyFile;

            if (! running.isOpen() || BoundedFileReader::read (folder.getChildFile (InstanceHandover::keyFileName), maxKeyFileBytes, keyFile).failed())
                return nullptr;

            key = keyFile.toString().trim();

            if (key.isEmpty())
                return nullptr;

            // Identification only: the running copy may tell who we are, not act as us.
            auto pipe = INVALID_HANDLE_VALUE;

            for (;;)
            {
                pipe = ::CreateFileW (name.toWideCharPointer(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);

                if (pipe != INVALID_HANDLE_VALUE)
                    break;

                // Every instance is taken until the running copy makes the next:
                // a start waits for it, as for a socket's queue.
                const auto left = deadline - HandoverProtocol::nowMs();

                if (::GetLastError() != ERROR_PIPE_BUSY || left <= 0)
                    return nullptr;

                ::WaitNamedPipeW (name.toWideCharPointer(), (DWORD) juce::jlimit<juce::int64> (1, 100, left));
            }

            auto channel = std::make_unique<PipeChannel> (pipe);

            // Files go to this user's copy only.
            if (! otherEndIsOurUser (pipe, false))
                return nullptr;

            return channel;
        }

    private:
        juce::File folder;
        juce::String name;
        HandoverProtocol::Limits limits;
        std::unique_ptr<PrivateFolder> privateFolder;
        HANDLE lock = INVALID_HANDLE_VALUE, mutex = nullptr;
        bool listening = false;
        std::unique_ptr<PipeServer> server;
    };
}

std::unique_ptr<HandoverTransport> HandoverTransport::create (const juce::File& folder, const HandoverProtocol::Limits& limits, PeerUid)
{
    return std::make_unique<PipeTransport> (folder, limits);
}
