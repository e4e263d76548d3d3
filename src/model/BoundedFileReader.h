#pragma once

#include <juce_core/juce_core.h>

/**
    The one way the program reads a file it is given: at most a bound, and
    never waiting on it. Every reader (libraries, .syx and MIDI files,
    settings) comes through here.

    The file is opened without blocking, so a named pipe with nobody writing
    to it reads as empty instead of hanging the program, and a pipe that is
    written (a shell's process substitution) is still read. Folders are
    refused. A size the file reports is not trusted: reading stops one byte
    past the bound, so the caller can tell a file that passed it.
*/
struct BoundedFileReader
{
    /** data gets at most maxBytes + 1 bytes of the file. On failure the
        message says why ("is a folder", "cannot be opened (Permission
        denied)") and data is empty. */
    static juce::Result read (const juce::File& file, size_t maxBytes, juce::MemoryBlock& data);
};
