#include "HandoverPipeServerWindows.h"
#include "HandoverTransport.h"
#include "InstanceHandover.h"
#include "model/BoundedFileReader.h"
#include "model/PrivateFolder.h"
#include "platform/SystemError.h"

#include <windows.h>

using namespace HandoverPipes;

namespace
{
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
                lock = createInstance (name, true);
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
            server = startServer (std::exchange (lock, INVALID_HANDLE_VALUE), name, std::move (handler), limits);
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
        std::unique_ptr<Server> server;
    };
}

std::unique_ptr<HandoverTransport> HandoverTransport::create (const juce::File& folder, const HandoverProtocol::Limits& limits, PeerUid)
{
    return std::make_unique<PipeTransport> (folder, limits);
}
