#pragma once

#include <juce_core/juce_core.h>

#include <functional>

class OpenFolder;

/**
    The one way the program writes a file: whole, or not at all.

    The bytes go to a temporary file in the target's folder; every byte is
    checked as written (a short write is a failure, not a status to look at
    later), the file is flushed to the disk, renamed over the target and the
    folder is flushed too. On any failure the old file is untouched and the
    temporary file is removed.

    A target that is a symbolic link is written through it: the link stays a
    link and the file it points at gets the new bytes. An existing file keeps
    its permission bits (and its owner, where the process may set it). A file
    that is read-only for this user or without any write bit (also for root),
    or has Windows' read-only attribute, a folder, a device or a pipe is
    refused. On Windows the new file takes the old one's place by
    ReplaceFileW, which keeps its attributes and security; a file that
    another program holds open is refused, and kept as it was.
*/
struct WholeFileWriter
{
    /** Writes data to target. The failure message is the reason alone, for the
        caller to put in its own sentence: "the disk is full (wrote 4,072 of
        7,473 bytes)", "the folder cannot be written to (Permission denied)".
        A link that another user put into a shared folder such as /tmp is not
        written through: that is refused. */
    static juce::Result write (const juce::File& target, const void* data, size_t size);
    static juce::Result write (const juce::File& target, const juce::MemoryBlock& data);

    /** The file a write to target changes: target itself, or what its chain of
        links ends at. With refused, the walk stops at a link that another
        user put into a shared folder (sticky and writable by everybody), and
        says so there. */
    static juce::File resolveLinks (const juce::File& target, juce::String* refused = nullptr);

    /** True when both name one existing file (also through links or other
        names for the same folder). */
    static bool isSameFile (const juce::File& a, const juce::File& b);

    /** The reason for a system error (SystemError's) as a person reads it: "the disk is full". */
    static juce::String describeError (int error);

    /** "7,473": byte counts as a person reads them in messages. */
    static juce::String formatCount (juce::int64 count);

    /** Where a test makes the next writes fail as a real disk would. */
    struct Faults
    {
        juce::int64 failAfterBytes = -1; // -1: never; else the disk fills after this many bytes
        bool failAtSync = false;
        bool failAtRename = false;
    };

    /** Faults for the writes that follow on any thread, until reset with {}. */
    static void setFaultsForTesting (const Faults& faults);

    /** Writes data as a new file called name in the open folder, with the same care as write() (every byte checked, the
        file and the folder flushed, nothing left behind on failure), but it
        never replaces anything and never follows a link: when name exists in
        any form, even as a link that leads nowhere, the write is refused and
        nothing is touched. permissions are those of a new file, less the umask
        (POSIX). */
    static juce::Result writeNew (const OpenFolder& folder, const juce::String& name, const void* data, size_t size, int permissions = 0666);
};
