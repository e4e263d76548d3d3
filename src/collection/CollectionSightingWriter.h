#pragma once

#include "CollectionTypes.h"

class SqliteDatabase;

/**
    What goes into the store: sightings, each pattern not yet held added with
    its fingerprints and search row, all of one add in one transaction (rolled
    back whole when it fails; a savepoint within a transaction already open).
    Keeps the planner's statistics up to date as the collection grows.

    Works on the store's own connection, so on the store's thread.
*/
class CollectionSightingWriter
{
public:
    CollectionSightingWriter (SqliteDatabase& database, const juce::File& file);

    CollectionAddReport add (const std::vector<CollectionSighting>& sightings);

    /** Brings the planner's statistics up to date when the collection has
        grown enough to need it; done by add() unless it was within a larger
        transaction, whose end calls it. */
    void refreshStatistics();

private:
    SqliteDatabase& db;
    const juce::File file; // named in the problems

    JUCE_DECLARE_NON_COPYABLE (CollectionSightingWriter)
};
