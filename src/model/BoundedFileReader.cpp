#include "BoundedFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    std::mutex policyLock;
    BoundedFileReader::Policy policy;

    juce::String why (int error)
    {
        return juce::String (std::strerror (error));
    }

    juce::String seconds (int ms)
    {
        const auto text = ms % 1000 == 0 ? juce::String (ms / 1000) : juce::String (ms / 1000.0, 1);
        return text + (ms == 1000 ? " second" : " seconds");
    }

    /** Why a file of this kind is not read, or nothing when it is. */
    juce::String refusal (mode_t mode, bool pipes)
    {
        if (S_ISREG (mode) || (pipes && S_ISFIFO (mode)))
            return {};

        if (S_ISDIR (mode))
            return "is a folder";

        if (S_ISFIFO (mode))
            return "is a pipe, not a file";

        if (S_ISSOCK (mode))
            return "is a socket, not a file";

        return "is a device, not a file";
    }

    struct Descriptor
    {
        explicit Descriptor (int fdToOwn) : fd (fdToOwn) {}
        ~Descriptor()
        {
            if (fd >= 0)
                ::close (fd);
        }

        const int fd;
    };
}

void BoundedFileReader::setPolicy (const Policy& newPolicy)
{
    const std::lock_guard<std::mutex> guard (policyLock);
    policy = newPolicy;
}

BoundedFileReader::Policy BoundedFileReader::getPolicy()
{
    const std::lock_guard<std::mutex> guard (policyLock);
    return policy;
}

juce::Result BoundedFileReader::read (const juce::File& file, size_t maxBytes, juce::MemoryBlock& data)
{
    data.reset();
    const auto rules = getPolicy();
    const auto* path = file.getFullPathName().toRawUTF8();

    // Looked at before it is opened: opening a device can do things of its
    // own (a terminal's master makes a new terminal), and is not needed to
    // refuse it.
    struct stat info;

    if (::stat (path, &info) != 0)
        return juce::Result::fail ("cannot be opened (" + why (errno) + ")");

    if (const auto refused = refusal (info.st_mode, rules.pipes); refused.isNotEmpty())
        return juce::Result::fail (refused);

    // O_NONBLOCK: opening a pipe nobody writes to would otherwise wait for a
    // writer for ever, and a pipe's reads must not wait past the deadline.
    const Descriptor in (::open (path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));

    if (in.fd < 0)
        return juce::Result::fail ("cannot be opened (" + why (errno) + ")");

    // The name may have been given to something else since it was looked at.
    if (::fstat (in.fd, &info) != 0)
        return juce::Result::fail ("cannot be read (" + why (errno) + ")");

    if (const auto refused = refusal (info.st_mode, rules.pipes); refused.isNotEmpty())
        return juce::Result::fail (refused);

    // Room for what the file says it holds (a pipe says nothing), grown while
    // more comes, up to one byte past the bound.
    const auto limit = maxBytes + 1;
    const auto said = S_ISREG (info.st_mode) ? (size_t) info.st_size + 1 : (size_t) 64 * 1024;
    juce::MemoryBlock block (std::min (limit, std::max (said, (size_t) 4096)));
    size_t got = 0;

    const auto start = juce::Time::getMillisecondCounterHiRes();
    auto lastCame = start;

    for (;;)
    {
        if (got == block.getSize())
        {
            if (got == limit)
                break;

            block.setSize (std::min (limit, 2 * got));
        }

        const auto n = ::read (in.fd, static_cast<char*> (block.getData()) + got, block.getSize() - got);

        if (n > 0)
        {
            got += (size_t) n;
            lastCame = juce::Time::getMillisecondCounterHiRes();
            continue;
        }

        if (n == 0)
            break;

        if (errno == EINTR)
            continue;

        if (errno != EAGAIN)
            return juce::Result::fail ("cannot be read (" + why (errno) + ")");

        // A pipe whose writer is there but quiet: wait for it, up to the bounds.
        const auto now = juce::Time::getMillisecondCounterHiRes();
        const auto quietLeft = rules.quietMs - (now - lastCame);
        const auto totalLeft = rules.totalMs - (now - start);

        if (totalLeft <= 0)
            return juce::Result::fail ("cannot be read (it took more than " + seconds (rules.totalMs) + ")");

        if (quietLeft <= 0)
            return juce::Result::fail ("cannot be read (nothing came for " + seconds (rules.quietMs) + ")");

        pollfd wait { in.fd, POLLIN, 0 };
        juce::ignoreUnused (::poll (&wait, 1, (int) std::ceil (std::min (quietLeft, totalLeft))));
    }

    block.setSize (got);
    data = std::move (block);
    return juce::Result::ok();
}
