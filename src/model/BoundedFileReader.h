#pragma once

#include <juce_core/juce_core.h>

/**
    The one way the program reads a file it is given: at most a bound, and
    never waiting on it for long. Every reader (libraries, .syx and MIDI files,
    settings) comes through here.

    A plain file is read. What else may be read is the process's choice (see
    Policy): the window reads plain files only, since a named pipe that a
    writer holds open or a device such as a terminal can keep a read waiting
    for ever; vesk also reads a pipe (a shell's process substitution), but only
    within a time bound. Devices, sockets and folders are refused unopened.
    A size the file reports is not trusted: reading stops one byte past the
    bound, so the caller can tell a file that passed it.
*/
struct BoundedFileReader
{
    /** What a process reads besides plain files. */
    struct Policy
    {
        bool pipes = false; // read named pipes and process substitutions
        int quietMs = 3000; // a pipe that gives nothing for this long is given up
        int totalMs = 30000; // and one that takes longer than this in all
    };

    /** The policy for every read that follows, on any thread. The default
        reads plain files only. */
    static void setPolicy (const Policy& policy);
    static Policy getPolicy();

    /** data gets at most maxBytes + 1 bytes of the file. On failure the
        message says why ("is a folder", "is a device, not a file", "cannot be
        opened (Permission denied)") and data is empty. */
    static juce::Result read (const juce::File& file, size_t maxBytes, juce::MemoryBlock& data);
};
