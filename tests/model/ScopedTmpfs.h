#pragma once

#include <juce_core/juce_core.h>

/** A small real filesystem for the life of a test, to fill up for real: on
    Linux a tmpfs mounted in a temporary folder (which takes privileges), on
    Windows a folder on the small drive the test run provides
    (VESK_TEST_SMALL_DRIVE), with all but the size asked for taken. Where
    neither is possible, isMounted() is false and whyNot says why, for
    GTEST_SKIP. */
struct ScopedTmpfs
{
    /** size: "16k", "1m" ...; moreOptions: further tmpfs options, such as
        "nr_inodes=4" (Linux only). */
    explicit ScopedTmpfs (const char* size = "16k", const char* moreOptions = "");
    ~ScopedTmpfs();

    bool isMounted() const { return mounted; }

    /** Fills the disk to the last byte with a filler file, then gives back
        about freeBytes (whole pages), so that a larger write runs out. */
    bool fillLeaving (size_t freeBytes);

    bool removeFiller() const { return folder.getChildFile ("filler").deleteFile(); }

    juce::File folder;
    bool mounted = false;
    juce::String whyNot;

private:
    juce::File padding;
};
