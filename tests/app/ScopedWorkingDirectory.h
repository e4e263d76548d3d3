#pragma once

#include <juce_core/juce_core.h>

/** A fresh, empty working directory for the life of a test: the MIDI settings
    file is looked up there. */
struct ScopedWorkingDirectory
{
    ScopedWorkingDirectory()
    {
        directory = juce::File::createTempFile ("vesk_cwd");
        directory.createDirectory();
        directory.setAsCurrentWorkingDirectory();
    }

    ~ScopedWorkingDirectory()
    {
        previous.setAsCurrentWorkingDirectory();
        directory.deleteRecursively();
    }

    juce::File file (const juce::String& name) const { return directory.getChildFile (name); }

    juce::File previous { juce::File::getCurrentWorkingDirectory() };
    juce::File directory;
};
