#pragma once

#include "TestEnvironment.h"
#include <juce_core/juce_core.h>

#include <cstdlib>
#include <optional>

/** An environment variable set for a scope, put back as it was after. */
struct ScopedEnvironmentVariable
{
    ScopedEnvironmentVariable (const char* nameToSet, const juce::String& value) : name (nameToSet)
    {
        if (const auto* old = std::getenv (name))
            previous = juce::String (old);

        TestEnvironment::set (name, value);
    }

    ~ScopedEnvironmentVariable()
    {
        if (previous.has_value())
            TestEnvironment::set (name, *previous);
        else
            TestEnvironment::unset (name);
    }

    const char* name;
    std::optional<juce::String> previous;
};
