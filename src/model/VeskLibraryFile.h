#pragma once

#include <juce_core/juce_core.h>

/**
    The library file: the three bytes "VSK", then the 7449 image bytes, each
    image byte 0x0A written as 0x0D 0x0A. The convention belongs to the format,
    so a library is byte-identical on every system.

    Loading is all or nothing: a file that is not a library, ends early or holds
    a byte that is not 7-bit leaves the destination untouched. Bytes after the
    image are ignored.
*/
struct VeskLibraryFile
{
    static constexpr const char* magic = "VSK";
    static constexpr int magicSize = 3;

    /** The bytes of a library file holding the given image. */
    static juce::MemoryBlock encode (const juce::uint8* image);

    /** Decodes a library file's bytes into image (only on success). The failure
        message says what is wrong, without naming the file. */
    static juce::Result decode (const void* data, size_t size, juce::uint8* image);

    /** Reads a library file into image (only on success). */
    static juce::Result read (const juce::File& file, juce::uint8* image);

    /** Writes a library file whole (WholeFileWriter): a failed write leaves
        any previous file as it was. */
    static juce::Result write (const juce::File& file, const juce::uint8* image);
};
