#pragma once

#include <juce_core/juce_core.h>

#include <stdexcept>

/** A failed SQLite call, thrown inside the collection and caught at its edge,
    where a transaction in flight has rolled back. */
struct SqliteError : public std::runtime_error
{
    SqliteError (int extendedCode, int systemErrno, const juce::String& text)
        : std::runtime_error (text.toStdString()), code (extendedCode), systemError (systemErrno), message (text)
    {
    }

    int primaryCode() const noexcept { return code & 0xff; }

    int code; // SQLite's extended result code
    int systemError; // errno of the failed system call, 0 if none
    juce::String message;
};
