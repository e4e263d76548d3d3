#include "platform/SecureRandom.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#if defined(__linux__)
#include <sys/random.h>
#endif

namespace
{
    template <typename Source>
    size_t fillFrom (juce::uint8* bytes, size_t count, Source&& source)
    {
        size_t got = 0;

        while (got < count)
        {
            const auto n = source (bytes + got, count - got);

            if (n > 0)
                got += (size_t) n;
            else if (! (n < 0 && errno == EINTR))
                break;
        }

        return got;
    }
}

bool SecureRandom::fill (void* destination, size_t count)
{
    auto* bytes = static_cast<juce::uint8*> (destination);

#if defined(__linux__)
    if (fillFrom (bytes, count, [] (juce::uint8* at, size_t n)
                  { return ::getrandom (at, n, 0); })
        == count)
        return true;
#endif

    // Where getrandom() is missing: the system's pool through its device, and nothing weaker.
    const auto urandom = ::open ("/dev/urandom", O_RDONLY | O_CLOEXEC);

    if (urandom < 0)
        return false;

    const auto got = fillFrom (bytes, count, [urandom] (juce::uint8* at, size_t n)
                               { return ::read (urandom, at, n); });
    ::close (urandom);
    return got == count;
}
