#pragma once

#include "model/VeskImage.h"

#include <cstdio>
#include <cstdlib>

/** An invariant of the code under test: a violation aborts, so libFuzzer keeps the input. */
#define FUZZ_CHECK(condition)                                                                       \
    do                                                                                              \
    {                                                                                               \
        if (! (condition))                                                                          \
        {                                                                                           \
            std::fprintf (stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                           \
        }                                                                                           \
    } while (false)

/** An image of 7-bit bytes that differ from their neighbours, so any stray write shows. */
inline void fillImage (unsigned char* image)
{
    for (int i = 0; i < VeskImage::imageSize; ++i)
        image[i] = (unsigned char) ((i * 37 + 11) & 0x7F);
}

inline bool allSevenBit (const unsigned char* image)
{
    for (int i = 0; i < VeskImage::imageSize; ++i)
        if (image[i] > 0x7F)
            return false;

    return true;
}
