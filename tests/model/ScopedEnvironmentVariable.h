#pragma once

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

        ::setenv (name, value.toRawUTF8(), 1);
    }

    ~ScopedEnvironmentVariable()
    {
        if (previous.has_value())
            ::setenv (name, previous->toRawUTF8(), 1);
        else
            ::unsetenv (name);
    }

    const char* name;
    std::optional<juce::String> previous;
};
