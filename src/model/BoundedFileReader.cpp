#include "BoundedFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    juce::String why (int error)
    {
        return juce::String (std::strerror (error));
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

juce::Result BoundedFileReader::read (const juce::File& file, size_t maxBytes, juce::MemoryBlock& data)
{
    data.reset();

    // O_NONBLOCK: opening a pipe nobody writes to would otherwise wait for a
    // writer for ever.
    const Descriptor in (::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));

    if (in.fd < 0)
        return juce::Result::fail ("cannot be opened (" + why (errno) + ")");

    struct stat info;

    if (::fstat (in.fd, &info) != 0)
        return juce::Result::fail ("cannot be read (" + why (errno) + ")");

    if (S_ISDIR (info.st_mode))
        return juce::Result::fail ("is a folder");

    // Reads wait again, as for any file: a pipe without a writer now ends at
    // once, one being written is read to its end.
    if (const int flags = ::fcntl (in.fd, F_GETFL); flags < 0 || ::fcntl (in.fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return juce::Result::fail ("cannot be read (" + why (errno) + ")");

    // Room for what the file says it holds (a pipe says nothing), grown while
    // more comes, up to one byte past the bound.
    const auto limit = maxBytes + 1;
    const auto said = S_ISREG (info.st_mode) ? (size_t) info.st_size + 1 : (size_t) 64 * 1024;
    juce::MemoryBlock block (std::min (limit, std::max (said, (size_t) 4096)));
    size_t got = 0;

    for (;;)
    {
        if (got == block.getSize())
        {
            if (got == limit)
                break;

            block.setSize (std::min (limit, 2 * got));
        }

        const auto n = ::read (in.fd, static_cast<char*> (block.getData()) + got, block.getSize() - got);

        if (n < 0 && errno == EINTR)
            continue;

        if (n < 0)
            return juce::Result::fail ("cannot be read (" + why (errno) + ")");

        if (n == 0)
            break;

        got += (size_t) n;
    }

    block.setSize (got);
    data = std::move (block);
    return juce::Result::ok();
}
