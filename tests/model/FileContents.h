#pragma once

#include "model/BoundedFileReader.h"

#include <cstring>

/** What the file tests look at: a file's bytes as text, a folder's names. */
namespace FileContents
{
    inline juce::MemoryBlock bytesFrom (const char* text) { return { text, std::strlen (text) }; }

    inline juce::String textOf (const juce::File& file)
    {
        juce::MemoryBlock data;
        return BoundedFileReader::read (file, 1 << 20, data).wasOk() ? data.toString() : "(unreadable)";
    }

    /** Every name in a folder, hidden ones (the writer's temporaries) included, one a line. */
    inline juce::String namesIn (const juce::File& dir)
    {
        juce::StringArray names;

        for (const auto& entry : juce::RangedDirectoryIterator (dir, false, "*", juce::File::findFilesAndDirectories, juce::File::FollowSymlinks::no))
            names.add (entry.getFile().getFileName());

        names.sort (false);
        return names.joinIntoString ("\n");
    }
}
