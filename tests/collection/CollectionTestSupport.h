#pragma once

#include "collection/CollectionStore.h"

#include <gtest/gtest.h>

/** A folder of its own for each test, removed after it. */
struct ScopedFolder
{
    ScopedFolder() { folder.createDirectory(); }
    ~ScopedFolder() { folder.deleteRecursively(); }

    juce::File file (const juce::String& name) const { return folder.getChildFile (name); }

    juce::File folder { juce::File::createTempFile ("vesk-collection") };
};

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

inline CollectionSighting sighting (const CollectionBytes& bytes,
                                    const juce::String& path,
                                    int userNumber,
                                    juce::int64 timeMs,
                                    CollectionSource source = CollectionSource::library)
{
    CollectionSighting s;
    s.source = source;
    s.sourcePath = path;
    s.slot = VeskBlock::user (userNumber).value_or (VeskBlock::temporary());
    s.timeMs = timeMs;
    s.bytes = bytes;
    return s;
}

inline std::unique_ptr<CollectionStore> openStore (const juce::File& file)
{
    auto result = CollectionStore::open (file);
    EXPECT_NE (result.store, nullptr) << result.problem.detail;
    return std::move (result.store);
}
