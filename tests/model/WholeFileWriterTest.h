#pragma once

#include "RecordingMidiOut.h"
#include "model/VeskModel.h"
#include "model/WholeFileWriter.h"

#include <gtest/gtest.h>

/** The whole-file writer's tests, on every system and on POSIX ones. */
struct Writer : ::testing::Test
{
    using Bytes = std::vector<juce::uint8>;

    juce::File folder { juce::File::createTempFile ("vesk-writer-tests") };
    RecordingMidiOut midi;
    VeskModel model { midi };

    Writer() { folder.createDirectory(); }

    ~Writer() override
    {
        WholeFileWriter::setFaultsForTesting ({});
        folder.deleteRecursively();
    }

    juce::File file (const char* name) const { return folder.getChildFile (name); }

    static Bytes bytesOf (const juce::MemoryBlock& block)
    {
        auto* p = static_cast<const juce::uint8*> (block.getData());
        return { p, p + block.getSize() };
    }

    static Bytes bytesOf (const juce::File& f)
    {
        juce::MemoryBlock block;
        f.loadFileAsData (block);
        return bytesOf (block);
    }

    static Bytes bytes (size_t size, juce::uint8 value) { return Bytes (size, value); }

    static juce::Result write (const juce::File& f, const Bytes& b) { return WholeFileWriter::write (f, b.data(), b.size()); }

    /** Every name in a folder, hidden ones (the writer's temporaries) included. */
    static juce::StringArray namesIn (const juce::File& dir)
    {
        juce::StringArray names;

        for (const auto& entry : juce::RangedDirectoryIterator (dir, false, "*", juce::File::findFilesAndDirectories))
            names.add (entry.getFile().getFileName());

        names.sort (false);
        return names;
    }
};
