#pragma once

#include <juce_core/juce_core.h>

/**
    The system's error codes: errno on POSIX, GetLastError's on Windows
    (SQLite's system error is the same kind). 0 is no error.
*/
struct SystemError
{
    /** The calling thread's last error. */
    static int last();

    /** The reason as a person reads it: "the disk is full", "permission denied". */
    static juce::String describe (int error);

    /** The system's own words for it, as it writes them: "No such file or directory". */
    static juce::String systemWords (int error);

    /** The C library's errno as a person reads it, on any system (a stream's failure). */
    static juce::String describeErrno (int errnoValue);

    /** The disk or the user's quota on it is full. */
    static bool isDiskFull (int error);

    /** Refused by permissions. */
    static bool isDenied (int error);

    /** A disk that cannot be written at all. */
    static bool isReadOnlyDisk (int error);

    /** Nothing has that name. */
    static bool isMissing (int error);

    /** A part of the path is not a folder. */
    static bool isNotFolder (int error);

    /** Something has that name already. */
    static bool isAlreadyThere (int error);

    /** A chain of links that leads in a circle, or is too long. */
    static bool isLinkLoop (int error);

    /** Another program holds the file open in a way that keeps it from being replaced. */
    static bool isInUse (int error);

    /** The codes a test's faults stand for: a full disk, a failed flush. */
    static int diskFull();
    static int ioFailed();
};
