#pragma once

#include "TestEnvironment.h"
#include "platform/UserFolders.h"
#include <juce_core/juce_core.h>

#include <cstdlib>

/** A fresh, empty working directory for the life of a test: the MIDI settings
    file is looked up there. The user's settings folder is a fresh one inside it
    (config/VeskEdit), so recent files and the start choice start empty. */
struct ScopedWorkingDirectory
{
    ScopedWorkingDirectory()
    {
        directory = juce::File::createTempFile ("vesk_cwd");
        directory.createDirectory();
        directory.setAsCurrentWorkingDirectory();
        TestEnvironment::set (UserFolders::settingsVariable(), directory.getChildFile ("config").getFullPathName());
    }

    ~ScopedWorkingDirectory()
    {
        TestEnvironment::set (UserFolders::settingsVariable(), previousConfigHome);
        previous.setAsCurrentWorkingDirectory();
        directory.deleteRecursively();
    }

    juce::File file (const juce::String& name) const { return directory.getChildFile (name); }

    juce::File previous { juce::File::getCurrentWorkingDirectory() };
    juce::String previousConfigHome { juce::SystemStats::getEnvironmentVariable (UserFolders::settingsVariable(), {}) };
    juce::File directory;
};
