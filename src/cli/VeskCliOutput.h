#pragma once

#include "model/VeskImage.h"

#include <juce_core/juce_core.h>

#include <array>
#include <ostream>

/**
    What every vesk command reads, prints and writes through, so that each
    keeps the same promises: one line on err per failure ("vesk: PATH: ..."),
    an output that cannot be written is a failure, and a file is written
    whole by the one writer, after everything has been said, or not at all.
*/
class VeskCliOutput
{
public:
    using Image = std::array<juce::uint8, VeskImage::imageSize>;

    static constexpr int exitOk = 0;
    static constexpr int exitFailed = 1;
    static constexpr int exitUsage = 2;

    VeskCliOutput (std::ostream& out, std::ostream& err);

    /** Writes text to out and flushes it; false (and said on err) when it
        could not be printed. */
    bool print (const juce::String& text);
    /** Says once that the standard output cannot be written. */
    void reportOutputFailure (int error);

    /** "vesk: PATH: MESSAGE" on err. */
    void report (const juce::String& path, const juce::String& message);
    /** "vesk: MESSAGE (see vesk COMMAND --help)" on err; returns exitUsage. */
    int usageError (const juce::String& message, const juce::String& command);

    /** Reads a library file; false (and said on err) when it cannot be read. */
    bool readLibrary (const juce::String& path, Image& image);

    /** The last step of every command that writes a file: prints `printed`
        (and, when unchanged, that nothing changed), then writes bytes to path
        unless unchanged. Returns the exit status. */
    int finish (const juce::String& path, const juce::MemoryBlock& bytes, bool unchanged, const juce::String& printed = {});
    int finishLibrary (const juce::String& path, const Image& image, bool unchanged, const juce::String& printed = {});

    /** True when path is a plain file holding exactly bytes. */
    static bool holdsExactly (const juce::String& path, const juce::MemoryBlock& bytes);
    /** A path from the command line as the system means it. */
    static juce::File resolve (const juce::String& path);
    /** The image of a new library: the unit's defaults. */
    static Image defaults();

    std::ostream& out;
    std::ostream& err;

private:
    bool outputFailureReported = false;

    JUCE_DECLARE_NON_COPYABLE (VeskCliOutput)
};
