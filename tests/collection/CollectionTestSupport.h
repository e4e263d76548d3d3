#pragma once

#include "ScopedFolder.h"
#include "collection/CollectionStore.h"
#include "model/VeskLibraryFile.h"

#include <gtest/gtest.h>

/** A default pattern made different by seed: its tempo and first notes. */
inline CollectionBytes patternBytes (int seed)
{
    CollectionBytes bytes {};
    const auto at = (size_t) VeskImage::patternRecordOffset (0);
    std::copy (VeskImage::defaults.begin() + (std::ptrdiff_t) at,
               VeskImage::defaults.begin() + (std::ptrdiff_t) (at + bytes.size()),
               bytes.begin());
    VeskImage::Pattern::storeTempo (bytes.data(), 400 + seed % 2000);

    for (int s = 0; s < 4; ++s)
        bytes[(size_t) (VeskImage::Pattern::stepNote + s)] = (juce::uint8) ((seed >> (s * 7)) & 0x7f);

    return bytes;
}

/** A path written the POSIX way ("/music/Set1.vsk") with the system's own
    separator, as the program records the paths of real files. */
inline juce::String systemPath (const juce::String& path) { return path.replaceCharacter ('/', juce::File::getSeparatorChar()); }

inline CollectionSighting sighting (const CollectionBytes& bytes,
                                    const juce::String& path,
                                    int userNumber,
                                    juce::int64 timeMs,
                                    CollectionSource source = CollectionSource::library)
{
    CollectionSighting s;
    s.source = source;
    s.sourcePath = systemPath (path);
    s.slot = VeskBlock::user (userNumber).value_or (VeskBlock::temporary());
    s.timeMs = timeMs;
    s.bytes = bytes;
    return s;
}

/** A library's worth of sightings: count patterns from firstSeed on, in path. */
inline std::vector<CollectionSighting> libraryOf (int firstSeed, int count, const juce::String& path)
{
    std::vector<CollectionSighting> sightings;
    for (int i = 0; i < count; ++i)
        sightings.push_back (sighting (patternBytes (firstSeed + i), path, 1 + i % 20, firstSeed + i));
    return sightings;
}

/** A library whose user patterns each differ by seed. */
inline void writeLibrary (const juce::File& file, int seed)
{
    auto image = VeskImage::defaults;

    for (int user = 1; user <= 20; ++user)
    {
        const auto bytes = patternBytes (seed * 100 + user);
        std::copy (bytes.begin(), bytes.end(), image.begin() + VeskImage::userPatternOffset (user - 1));
    }

    ASSERT_TRUE (VeskLibraryFile::write (file, image.data()).wasOk());
}

inline std::unique_ptr<CollectionStore> openStore (const juce::File& file)
{
    auto result = CollectionStore::open (file);
    EXPECT_NE (result.store, nullptr) << result.problem.detail;
    return std::move (result.store);
}

inline juce::MemoryBlock bytesOf (const juce::File& file)
{
    juce::MemoryBlock data;
    file.loadFileAsData (data);
    return data;
}

/** A collection of ours whose first page is overwritten after its header: a
    damage that every opening sees, where the file still says it is ours. */
inline void makeDamagedCollection (const juce::File& file)
{
    openStore (file)->add ({ sighting (patternBytes (1), "/m/A.vsk", 1, 1) });
    auto data = bytesOf (file);
    ASSERT_GT (data.getSize(), 4096u);
    std::memset (static_cast<char*> (data.getData()) + 100, 0x5a, 3000);
    ASSERT_TRUE (file.replaceWithData (data.getData(), data.getSize()));
}
