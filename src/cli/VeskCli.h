#pragma once

#include "model/VeskBlock.h"

#include <juce_core/juce_core.h>

#include <array>
#include <ostream>

/**
    The command-line librarian: creates, shows, compares and converts library
    files without a window or a MIDI port.

    Every failure is one line on err naming the file, and no output file is
    touched unless the command completes. What goes to out is checked too: a
    standard output that cannot be written makes the command fail. A command
    that writes a file prints what it has to say first, so a failure to print
    leaves every file as it was; a file that would come out as it is is not
    written at all.
*/
class VeskCli
{
public:
    VeskCli (std::ostream& out, std::ostream& err);

    /** Runs one command line (without the program name). Returns the exit
        status: 0 done, 1 failed (or, for diff, libraries differ), 2 wrong usage
        (and for diff, any failure). Use one VeskCli per command line. */
    int run (const juce::StringArray& args);

    static constexpr int exitOk = 0;
    static constexpr int exitFailed = 1;
    static constexpr int exitUsage = 2;

private:
    using Image = std::array<juce::uint8, VeskImage::imageSize>;

    int runCommand (const juce::StringArray& args);
    int newLibrary (const juce::StringArray& files, bool force);
    int show (const juce::String& path, bool json);
    int exportSyx (const juce::String& libraryPath, const juce::String& syxPath, bool force);
    int importSyx (const juce::String& syxPath, const juce::String& libraryPath);
    int diff (const juce::String& pathA, const juce::String& pathB);

    // Patterns moved between slots (VeskCliPatterns.cpp). Anything wrong
    // with what is read is a usage error (2); only a failed write is 1.
    int copyPattern (const juce::StringArray& args, const juce::String& otherPath);
    int swapPatterns (const juce::StringArray& args);
    int initialisePattern (const juce::StringArray& args);
    bool parseSlots (const juce::StringArray& args, const juce::String& command, std::vector<VeskBlock>& slots, int numSlots);
    // Patterns as MIDI files (VeskCliMidi.cpp); exit codes as for copy.
    int exportMid (const juce::StringArray& args, bool force);
    int importMid (const juce::StringArray& args, const juce::String& track, const juce::String& bar, const juce::String& channel);

    bool readPatternSource (const juce::String& path, VeskBlock slot, Image& image);

    void showText (const juce::String& path, const Image& image);
    void showJson (const juce::String& path, const Image& image);

    bool readLibrary (const juce::String& path, Image& image);
    static Image defaults();

    /** The last step of every command that writes a file: prints `printed`
        (and, when unchanged, that nothing changed), then writes bytes to path
        unless unchanged. Returns the exit status. */
    int finish (const juce::String& path, const juce::MemoryBlock& bytes, bool unchanged, const juce::String& printed = {});
    int finishLibrary (const juce::String& path, const Image& image, bool unchanged, const juce::String& printed = {});
    /** True when path is a plain file holding exactly bytes. */
    static bool holdsExactly (const juce::String& path, const juce::MemoryBlock& bytes);

    /** Writes text to out and flushes it; false (and said on err) when it
        could not be printed. */
    bool print (const juce::String& text);
    void reportOutputFailure (int error);
    static juce::File resolve (const juce::String& path);

    int usageError (const juce::String& message, const juce::String& command);
    void printHelp (std::ostream& stream, const juce::String& command);
    /** "vesk: PATH: MESSAGE" on err. */
    void report (const juce::String& path, const juce::String& message);

    std::ostream& out;
    std::ostream& err;
    int failureStatus = exitFailed;
    bool outputFailureReported = false;

    // The pattern tools' and the collection's commands read, write and
    // report through this class, as every command does.
    friend class VeskToolsCli;
    friend class VeskCollectionCli;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskCli)
};
