#pragma once

#include "collection/CollectionTypes.h"

#include <vector>

/** What vesk's collection commands print of the collection, as text or as JSON. */
struct VeskCollectionView
{
    /** A page of search results and how many match in all. */
    static juce::String searchResults (const CollectionPage& page, bool json);
    /** One pattern and every place it was seen. */
    static juce::String pattern (const CollectionPattern& pattern, const std::vector<CollectionSighting>& seen, bool json);

    static juce::String typeName (const CollectionPattern& pattern);
    /** An ID as lists show it: its first 12 digits. */
    static juce::String shortId (const juce::String& id) { return id.substring (0, 12); }
};
