#pragma once

#include <juce_core/juce_core.h>

/** This process's environment, as std::getenv, JUCE and the processes it
    starts read it. Each system has its own way to change it
    (TestEnvironmentPosix.cpp, TestEnvironmentWindows.cpp). */
namespace TestEnvironment
{
    void set (const char* name, const juce::String& value);
    void unset (const char* name);

    /** Whether a test can make symbolic links: Windows makes them only with a
        privilege or in developer mode, Wine not at all. */
    bool makesSymbolicLinks();
}
