#pragma once

#include "VeskCliOutput.h"
#include "model/VeskBlock.h"

#include <juce_core/juce_core.h>

#include <ostream>

struct VeskArguments;

/**
    The command-line librarian: creates, shows, compares and converts library
    files without a window or a MIDI port.

    Every failure is one line on err naming the file, and no output file is
    touched unless the command completes. What goes to out is checked too: a
    standard output that cannot be written makes the command fail. A command
    that writes a file prints what it has to say first, so a failure to print
    leaves every file as it was; a file that would come out as it is is not
    written at all (VeskCliOutput keeps these promises for every command).
*/
class VeskCli
{
public:
    VeskCli (std::ostream& out, std::ostream& err);

    /** Runs one command line (without the program name). Returns the exit
        status: 0 done, 1 failed (or, for diff, libraries differ), 2 wrong usage
        (and for diff, any failure). Use one VeskCli per command line. */
    int run (const juce::StringArray& args);

    static constexpr int exitOk = VeskCliOutput::exitOk;
    static constexpr int exitFailed = VeskCliOutput::exitFailed;
    static constexpr int exitUsage = VeskCliOutput::exitUsage;

private:
    using Image = VeskCliOutput::Image;

    int runCommand (const juce::StringArray& args);
    int dispatch (const juce::String& name, const VeskArguments& arguments);
    int newLibrary (const juce::StringArray& files, bool force);
    int exportSyx (const juce::String& libraryPath, const juce::String& syxPath, bool force);
    int importSyx (const juce::String& syxPath, const juce::String& libraryPath);

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

    VeskCliOutput output;
    int failureStatus = exitFailed;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskCli)
};
