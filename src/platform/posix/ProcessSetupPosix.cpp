#include "platform/ProcessSetup.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ProcessSetup::shareOneHeap()
{
#if defined(__GLIBC__)
    mallopt (M_ARENA_MAX, 1);
#endif
}

juce::StringArray ProcessSetup::commandLineArguments (int argc, char* argv[])
{
    juce::StringArray arguments;

    for (int i = 1; i < argc; ++i)
        arguments.add (juce::CharPointer_UTF8 (argv[i]));

    return arguments;
}

// POSIX streams never translate what is written to them.
void ProcessSetup::writeStandardStreamsAsBytes()
{
}
