#include "TestEnvironment.h"

#include <cstdlib>

// The C runtime's own copy of the environment (std::getenv) and Windows' (JUCE,
// child processes) both change; the wide form keeps non-ASCII paths whole.
void TestEnvironment::set (const char* name, const juce::String& value)
{
    ::_wputenv_s (juce::String (name).toWideCharPointer(), value.toWideCharPointer());
}

// An empty value removes the variable.
void TestEnvironment::unset (const char* name) { ::_wputenv_s (juce::String (name).toWideCharPointer(), L""); }

bool TestEnvironment::makesSymbolicLinks() { return false; }
