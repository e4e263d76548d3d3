#pragma once

#include "CollectionTypes.h"

#include <map>

class SqliteDatabase;

/**
    What the store reads: searches and their plans, an ID or prefix, where a
    pattern was seen, what one slot held over time, the tags in use and the
    patterns that play alike. Reads only; a failure is an empty answer, or the
    answer's problem where it has one.

    Works on the store's own connection, so on the store's thread.
*/
class CollectionReader
{
public:
    CollectionReader (SqliteDatabase& database, const juce::File& file);

    CollectionPage search (const CollectionQuery& query);
    CollectionLookup find (const juce::String& idOrPrefix);
    std::vector<CollectionSighting> sightings (const juce::String& id);
    std::vector<CollectionSighting> slotHistory (CollectionSource source, const juce::String& sourcePath, VeskBlock slot);
    juce::StringArray allTags();
    std::vector<CollectionSimilar> similar (const juce::String& id, int limit);
    juce::StringArray queryPlan (const CollectionQuery& query);
    std::optional<std::map<juce::String, int>> rowsOf (const CollectionQuery& query, const juce::StringArray& ids);

private:
    SqliteDatabase& db;
    const juce::File file; // named in the problems

    JUCE_DECLARE_NON_COPYABLE (CollectionReader)
};
