#pragma once

#include <juce_core/juce_core.h>

/**
    What a process of ours sets up in the system before anything else runs.
*/
struct ProcessSetup
{
    /** One heap for all the program's threads, where the system's allocator
        would otherwise give each thread an arena of its own whose freed
        blocks no other thread reuses. */
    static void shareOneHeap();

    /** The arguments the program was started with, after its own name, as
        text: main()'s argv is UTF-8 on POSIX systems, but on Windows it is
        in the ANSI code page, where a file name's other letters are lost. */
    static juce::StringArray commandLineArguments (int argc, char* argv[]);

    /** Standard output and error take the program's bytes as they are (UTF-8,
        "\n" line ends), so its output is the same on every system. */
    static void writeStandardStreamsAsBytes();
};
