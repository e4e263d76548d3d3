#include "TestEnvironment.h"

#include <cstdlib>

void TestEnvironment::set (const char* name, const juce::String& value) { ::setenv (name, value.toRawUTF8(), 1); }

void TestEnvironment::unset (const char* name) { ::unsetenv (name); }

bool TestEnvironment::makesSymbolicLinks() { return true; }
