#include "CollectionTypes.h"

#include <cstring>

std::vector<CollectionSighting> CollectionSighting::fromImage (CollectionSource source,
                                                               const juce::String& sourcePath,
                                                               const juce::uint8* image,
                                                               juce::int64 timeMs,
                                                               const std::vector<VeskBlock>& blocks)
{
    std::vector<CollectionSighting> sightings;

    for (auto block : blocks)
    {
        if (! block.isPattern())
            continue;

        CollectionSighting sighting;
        sighting.source = source;
        sighting.sourcePath = sourcePath;
        sighting.slot = block;
        sighting.timeMs = timeMs;
        std::memcpy (sighting.bytes.data(), image + block.imageOffset(), sighting.bytes.size());
        sightings.push_back (sighting);
    }

    return sightings;
}
