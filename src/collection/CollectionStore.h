#pragma once

#include "CollectionReader.h"
#include "CollectionSightingWriter.h"
#include "CollectionTypes.h"
#include "CollectionUserData.h"

#include <memory>

class SqliteDatabase;
class SqliteTransaction;

/**
    The collection's database: one SQLite connection to one file.

    Every write is one short transaction; a failed one (a full disk) is rolled
    back whole. A busy timeout and WAL let another copy of the program (or
    vesk) read and write the same file at once. Not thread-safe: one object per
    thread (Collection keeps one for writing and one for reading).

    The store opens the file, brings its schema up to date and checks it; the
    work is done by its parts, on its connection, and forwarded here:
    CollectionSightingWriter adds, CollectionReader reads, CollectionUserData
    changes the user's own data.
*/
class CollectionStore
{
public:
    /** Every mode looks at the file before anything is written to it: its
        folder, owner and mode, header, id and schema version. A file that is
        not a collection of ours, or not the user's own, is refused and left
        as it is; only a damaged collection of ours is moved aside, and only
        by a writer. */
    enum class Mode
    {
        readWrite, // makes folder (0700) and file (0600) as needed; migrates an older schema
        readWriteChecked, // the same after a quick_check over the whole file: the program's start, in the background
        read, // an existing collection through a read-only connection (the reader beside a writer)
        check // read-only, changing no byte of any file (no -shm is made where there is no log), for check()
    };

    /** What open() did. */
    struct OpenResult
    {
        enum class Outcome
        {
            opened,
            created,
            migrated, // from an older schema (fromVersion)
            replaced, // the file found was a damaged collection: moved aside to movedAside, a new one started
            failed
        };

        Outcome outcome = Outcome::failed;
        std::unique_ptr<CollectionStore> store; // null when failed
        int fromVersion = 0;
        juce::File movedAside;
        CollectionProblem problem; // why it failed, or (replaced) what was wrong with the old file
    };

    static OpenResult open (const juce::File& file, Mode mode = Mode::readWrite);

    /** A new empty collection of no file: what a command that only reads or
        looks up sees where no collection has been started. */
    static std::unique_ptr<CollectionStore> empty();

    /** $XDG_DATA_HOME/VeskEdit/collection.db, or ~/.local/share/VeskEdit/collection.db
        where XDG_DATA_HOME is unset or not an absolute path. */
    static juce::File defaultFile();

    ~CollectionStore();

    const juce::File& getFile() const noexcept { return file; }

    /** Records the sightings, adding each pattern not yet held, in one transaction. */
    CollectionAddReport add (const std::vector<CollectionSighting>& sightings) { return writer.add (sightings); }

    /** stop, if given, is asked as the search runs; see CollectionReader::search. */
    CollectionPage search (const CollectionQuery& query, const std::function<bool()>& stop = {}) { return reader.search (query, stop); }

    /** Where each of the patterns stands in the search's answer (its filters
        and order; not its limit and offset), counted from 0; one the search
        does not find is left out. Nothing when the database cannot be read. */
    std::optional<std::map<juce::String, int>> rowsOf (const CollectionQuery& query, const juce::StringArray& ids)
    {
        return reader.rowsOf (query, ids);
    }

    /** A full ID or a unique prefix of at least minimumPrefix hex digits, any case. */
    CollectionLookup find (const juce::String& idOrPrefix) { return reader.find (idOrPrefix); }

    /** Where a pattern was seen, oldest first; empty for an unknown full ID. */
    std::vector<CollectionSighting> sightings (const juce::String& id) { return reader.sightings (id); }

    /** What one slot of one source held over time, oldest first (sourcePath
        empty with getAll for the unit's own slots). */
    std::vector<CollectionSighting> slotHistory (CollectionSource source, const juce::String& sourcePath, VeskBlock slot)
    {
        return reader.slotHistory (source, sourcePath, slot);
    }

    /** The user's own data. An empty name goes back to the name of the first sighting. */
    CollectionEdit setName (const juce::String& id, const juce::String& name) { return userData.setName (id, name); }
    CollectionEdit addTags (const juce::String& id, const juce::StringArray& tags) { return userData.addTags (id, tags); }
    CollectionEdit removeTags (const juce::String& id, const juce::StringArray& tags) { return userData.removeTags (id, tags); }
    CollectionEdit setFavourite (const juce::String& id, bool favourite) { return userData.setFavourite (id, favourite); }
    CollectionEdit setRating (const juce::String& id, int rating) { return userData.setRating (id, rating); }
    CollectionEdit setComment (const juce::String& id, const juce::String& comment) { return userData.setComment (id, comment); }

    /** Every tag in use, sorted, for the page's tag filter. */
    juce::StringArray allTags() { return reader.allTags(); }

    /** The patterns that play closest to id's: onset masks compared over all
        rotations, then same tone or kit, then nearest tempo. */
    std::vector<CollectionSimilar> similar (const juce::String& id, int limit = 20) { return reader.similar (id, limit); }

    /**
        Makes what is done through the store, from its making until commit(),
        one transaction: kept whole, or not at all (vesk says what a command
        did before it keeps it, so that an output that cannot take it leaves
        the collection as it was). Rolled back unless committed; a rollback
        after a failed write leaves the log no larger than it must be.
    */
    class Transaction
    {
    public:
        explicit Transaction (CollectionStore& store);
        ~Transaction();

        /** Keeps it; false, with problem saying why, when it cannot be kept. */
        bool commit();

        /** Why it could not begin (another program holds the file) or be kept. */
        CollectionProblem problem;

    private:
        juce::File logFile() const;

        CollectionStore& store;
        std::unique_ptr<SqliteTransaction> transaction;
        juce::int64 logSizeBefore = 0;

        JUCE_DECLARE_NON_COPYABLE (Transaction)
    };

    /** PRAGMA integrity_check, foreign keys and the schema's version and tables. */
    CollectionCheck check();

    /** Number of patterns held. */
    int size();

    /** The plans SQLite chooses for the query's statements (EXPLAIN QUERY PLAN's
        detail lines), for tests and benchmarks that see no scan of patterns. */
    juce::StringArray queryPlan (const CollectionQuery& query) { return reader.queryPlan (query); }

    /** For tests: every search's page found this way. */
    void setSearchPlanForTests (std::optional<CollectionReader::Plan> plan) { reader.planForTests = plan; }

private:
    CollectionStore (const juce::File& file, std::unique_ptr<SqliteDatabase> database);

    juce::File file;
    std::unique_ptr<SqliteDatabase> db;
    CollectionSightingWriter writer; // the parts work on *db: made after it, gone before it
    CollectionReader reader;
    CollectionUserData userData;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionStore)
};
