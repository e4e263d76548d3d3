#include "platform/SecureRandom.h"

#include <windows.h>

#include <ntsecapi.h>

bool SecureRandom::fill (void* bytes, size_t count)
{
    // RtlGenRandom takes a ULONG: large requests go in pieces.
    auto* at = static_cast<juce::uint8*> (bytes);

    while (count > 0)
    {
        const auto piece = (ULONG) juce::jmin (count, (size_t) 1 << 20);

        if (! RtlGenRandom (at, piece))
            return false;

        at += piece;
        count -= piece;
    }

    return true;
}
