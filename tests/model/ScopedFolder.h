#pragma once

#include <juce_core/juce_core.h>

/** A folder of its own for each test, removed after it. */
struct ScopedFolder
{
    ScopedFolder() { folder.createDirectory(); }
    ~ScopedFolder() { folder.deleteRecursively(); }

    juce::File file (const juce::String& name) const { return folder.getChildFile (name); }

    juce::File folder { juce::File::createTempFile ("vesk-collection") };
};
