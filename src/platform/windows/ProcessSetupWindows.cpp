#include "platform/ProcessSetup.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>

// Windows' heap is shared by every thread of a process already.
void ProcessSetup::shareOneHeap()
{
}

juce::StringArray ProcessSetup::commandLineArguments (int, char*[])
{
    // The command line as Windows keeps it, in UTF-16, split as the C runtime splits it.
    juce::StringArray arguments;
    int count = 0;

    if (auto** wide = ::CommandLineToArgvW (::GetCommandLineW(), &count))
    {
        for (int i = 1; i < count; ++i)
            arguments.add (juce::String (juce::CharPointer_UTF16 (reinterpret_cast<const juce::CharPointer_UTF16::CharType*> (wide[i]))));

        ::LocalFree (wide);
    }

    return arguments;
}

void ProcessSetup::writeStandardStreamsAsBytes()
{
    std::fflush (stdout);
    std::fflush (stderr);
    ::_setmode (::_fileno (stdout), _O_BINARY);
    ::_setmode (::_fileno (stderr), _O_BINARY);
}
