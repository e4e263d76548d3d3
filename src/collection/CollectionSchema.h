#pragma once

#include "SqliteDatabase.h"

/**
    The collection's tables, by version (PRAGMA user_version), and the steps
    from each older version to the current one. Our files carry
    applicationId, so a database of another program is told from ours.
*/
struct CollectionSchema
{
    static constexpr int current = 4;
    static constexpr juce::int64 applicationId = 0x5665734b; // "VesK"

    /** What a file holds, read inside the caller's transaction. */
    enum class Found
    {
        empty, // a new file: no tables, no id
        ours, // version() tells which
        foreign // another program's database
    };

    static Found inspect (SqliteDatabase& db);

    /** What a file's first bytes (at least headerSize of them, or all it has) say it is. */
    struct Header
    {
        enum class Says
        {
            empty, // no bytes: a file just made
            ours, // SQLite's, with our id, of a version this program reads
            newer, // ours, of a later version
            noId, // SQLite's without an id: a new one of ours whose pages are still in its log, or another program's
            foreign // not SQLite's, or another program's id; what names it
        };

        Says says = Says::foreign;
        juce::String what; // for foreign: "is a library file, not a collection", "is not a database", ...
    };

    static constexpr size_t headerSize = 100;
    static Header readHeader (const void* bytes, size_t size);

    /** What the first 100 bytes of a file tell without SQLite: false for a
        file that is surely no sound collection of a version this program
        reads (not SQLite's, cut short, another program's id, a newer
        version). A missing or empty file is a new one and looks sound; so
        does one whose header is stale behind its write-ahead log. */
    static bool headerLooksSound (const juce::File& file);
    static int version (SqliteDatabase& db);

    /** Makes the current tables in an empty database. */
    static void create (SqliteDatabase& db);

    /** The first version's tables (a sighting's path in its own row, tags in
        one text column, no search index), kept so that the migration is
        tested on files made with them. */
    static void createVersion1 (SqliteDatabase& db);

    /** Brings an older database up to current, in the caller's transaction. */
    static void migrate (SqliteDatabase& db, int fromVersion);

    /** The tables and indexes the current version must have, for check(). */
    static juce::StringArray missingParts (SqliteDatabase& db);

private:
    /** The first version's tables into the second's. */
    static void migrateVersion1 (SqliteDatabase& db);

    /** The second version's Rythm patterns heard again. */
    static void migrateVersion2 (SqliteDatabase& db);
};
