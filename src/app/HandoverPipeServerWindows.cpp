#include "HandoverPipeServerWindows.h"

#include <sddl.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

using namespace HandoverPipes;

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

    /**
        The running copy's end: instances of the pipe served on one thread of
        their own, with the same limits as the Unix-domain socket's server.

        One instance always waits for the next start (a queue of one, as the
        socket's); while all connections are taken, a start that reached it
        waits there until one ends. There is always an instance open, so the
        name, and with it the lock, stays ours.
    */
    class PipeServer final : public HandoverPipes::Server
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

        ~PipeServer() override
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
}

namespace HandoverPipes
{
    const juce::String& ourUser()
    {
        static const auto sid = userOfProcess (::GetCurrentProcess());
        return sid;
    }

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

    void cancel (HANDLE pipe, OVERLAPPED& io)
    {
        DWORD done = 0;

        if (::CancelIoEx (pipe, &io) || ::GetLastError() != ERROR_NOT_FOUND)
            ::GetOverlappedResult (pipe, &io, &done, TRUE);
    }

    HANDLE createInstance (const juce::String& pipeName, bool first)
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

    std::unique_ptr<Server> startServer (HANDLE firstInstance, juce::String name, HandoverProtocol::MessageHandler handler,
                                         const HandoverProtocol::Limits& limits)
    {
        auto server = std::make_unique<PipeServer> (firstInstance, std::move (name), std::move (handler), limits);
        server->start();
        return server;
    }
}
