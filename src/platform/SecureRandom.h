#pragma once

#include <juce_core/juce_core.h>

/**
    Bytes from the system's own random source, for secrets such as the
    hand-over's key (juce::Random is for music, not for keys).
*/
struct SecureRandom
{
    /** Fills all of bytes, or returns false when the system gives fewer; never
        anything weaker in their place. */
    static bool fill (void* bytes, size_t count);

    /** count bytes as lower-case hex, or empty when the system gives none. */
    static juce::String hex (size_t count);
};
