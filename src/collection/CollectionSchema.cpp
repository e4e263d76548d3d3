#include "CollectionSchema.h"

#include "CollectionFingerprint.h"
#include "CollectionRows.h"
#include "CollectionSearchIndex.h"
#include "model/BoundedFileReader.h"

#include <cstring>

namespace
{
    // Version 2: sources in their own table, a sighting one run of a slot
    // holding one pattern, tags one row each, full-text search.
    constexpr const char* version2Tables = R"sql(
CREATE TABLE patterns (
    id INTEGER PRIMARY KEY,
    hash BLOB NOT NULL UNIQUE,
    bytes BLOB NOT NULL,
    play INTEGER NOT NULL,
    onsets INTEGER NOT NULL,
    type INTEGER NOT NULL,
    tone INTEGER NOT NULL,
    tempo INTEGER NOT NULL,
    bars INTEGER NOT NULL,
    steps_per_bar INTEGER NOT NULL,
    name TEXT NOT NULL COLLATE NOCASE,
    first_name TEXT NOT NULL,
    first_seen INTEGER NOT NULL,
    last_seen INTEGER NOT NULL,
    seen INTEGER NOT NULL DEFAULT 0);
CREATE INDEX patterns_name ON patterns (name);
CREATE INDEX patterns_type ON patterns (type, name);
CREATE INDEX patterns_tone ON patterns (tone);
CREATE INDEX patterns_tempo ON patterns (tempo);
CREATE INDEX patterns_bars ON patterns (bars);
CREATE INDEX patterns_steps ON patterns (steps_per_bar);
CREATE INDEX patterns_last_seen ON patterns (last_seen);
CREATE INDEX patterns_play ON patterns (play);

CREATE TABLE sources (
    id INTEGER PRIMARY KEY,
    kind INTEGER NOT NULL,
    path TEXT NOT NULL,
    UNIQUE (kind, path));

CREATE TABLE sightings (
    id INTEGER PRIMARY KEY,
    pattern INTEGER NOT NULL REFERENCES patterns (id) ON DELETE CASCADE,
    source INTEGER NOT NULL REFERENCES sources (id),
    slot INTEGER NOT NULL,
    first_time INTEGER NOT NULL,
    last_time INTEGER NOT NULL);
CREATE INDEX sightings_slot ON sightings (source, slot, first_time);
CREATE INDEX sightings_pattern ON sightings (pattern, source);

CREATE TABLE user_data (
    pattern INTEGER PRIMARY KEY REFERENCES patterns (id) ON DELETE CASCADE,
    own_name TEXT,
    favourite INTEGER NOT NULL DEFAULT 0,
    rating INTEGER NOT NULL DEFAULT 0 CHECK (rating BETWEEN 0 AND 5),
    comment TEXT NOT NULL DEFAULT '');
CREATE INDEX user_data_favourite ON user_data (favourite) WHERE favourite <> 0;

CREATE TABLE tags (
    pattern INTEGER NOT NULL REFERENCES patterns (id) ON DELETE CASCADE,
    tag TEXT NOT NULL COLLATE NOCASE,
    PRIMARY KEY (pattern, tag)) WITHOUT ROWID;
CREATE INDEX tags_tag ON tags (tag);
)sql";

    // Version 4 added kind (the type's and the tone's or kit's names); FTS5
    // has no ALTER, so an older file's table is made anew and filled again.
    constexpr const char* searchTable = R"sql(
CREATE VIRTUAL TABLE search USING fts5 (name, tags, comment, sources, kind, tokenize = 'unicode61 remove_diacritics 2', prefix = '1 2');
)sql";

    constexpr const char* version1Tables = R"sql(
CREATE TABLE patterns (
    id INTEGER PRIMARY KEY,
    hash BLOB NOT NULL UNIQUE,
    bytes BLOB NOT NULL,
    type INTEGER NOT NULL,
    tone INTEGER NOT NULL,
    tempo INTEGER NOT NULL,
    bars INTEGER NOT NULL,
    steps_per_bar INTEGER NOT NULL,
    name TEXT NOT NULL,
    first_seen INTEGER NOT NULL,
    last_seen INTEGER NOT NULL);
CREATE INDEX patterns_name ON patterns (name);
CREATE TABLE sightings (
    id INTEGER PRIMARY KEY,
    pattern INTEGER NOT NULL REFERENCES patterns (id),
    source_kind INTEGER NOT NULL,
    source_path TEXT NOT NULL,
    slot INTEGER NOT NULL,
    time INTEGER NOT NULL);
CREATE INDEX sightings_pattern ON sightings (pattern);
CREATE TABLE user_data (
    pattern INTEGER PRIMARY KEY REFERENCES patterns (id),
    own_name TEXT,
    favourite INTEGER NOT NULL DEFAULT 0,
    rating INTEGER NOT NULL DEFAULT 0,
    comment TEXT NOT NULL DEFAULT '',
    tags TEXT NOT NULL DEFAULT '');
)sql";

    // Version 1 kept the old tables beside; they are read into the new ones
    // and dropped, all in the caller's transaction.
    constexpr const char* version1ToVersion2 = R"sql(
ALTER TABLE patterns RENAME TO old_patterns;
ALTER TABLE sightings RENAME TO old_sightings;
ALTER TABLE user_data RENAME TO old_user_data;
DROP INDEX patterns_name;
DROP INDEX sightings_pattern;
)sql";

    constexpr const char* version1Copy = R"sql(
INSERT INTO sources (kind, path) SELECT DISTINCT source_kind, source_path FROM old_sightings;
INSERT INTO sightings (pattern, source, slot, first_time, last_time)
    SELECT s.pattern, src.id, s.slot, s.time, s.time FROM old_sightings s
    JOIN sources src ON src.kind = s.source_kind AND src.path = s.source_path ORDER BY s.time, s.id;
UPDATE patterns SET seen = (SELECT count(*) FROM sightings WHERE pattern = patterns.id);
INSERT INTO user_data (pattern, own_name, favourite, rating, comment)
    SELECT pattern, own_name, favourite <> 0, min (max (rating, 0), 5), comment FROM old_user_data;
)sql";

    constexpr const char* version1Drop = R"sql(
DROP TABLE old_user_data;
DROP TABLE old_sightings;
DROP TABLE old_patterns;
)sql";
}

CollectionSchema::Found CollectionSchema::inspect (SqliteDatabase& db)
{
    // One statement, so one snapshot: read apart, a file another copy made
    // in between showed its tables without its id, as another program's.
    SqliteStatement read (db.get(), "SELECT (SELECT application_id FROM pragma_application_id),"
                                    " (SELECT count(*) FROM sqlite_master)");
    const auto found = read.next();
    const auto id = found ? read.getInt64 (0) : 0;
    const auto tables = found ? read.getInt64 (1) : 0;

    if (id == applicationId)
        return Found::ours;

    return id == 0 && tables == 0 ? Found::empty : Found::foreign;
}

CollectionSchema::Header CollectionSchema::readHeader (const void* data, size_t size)
{
    using Says = Header::Says;
    const auto* bytes = static_cast<const juce::uint8*> (data);
    const auto startsWith = [bytes, size] (const char* text, size_t length)
    { return size >= length && std::memcmp (bytes, text, length) == 0; };

    if (size == 0)
        return { Says::empty, {} };

    if (! startsWith ("SQLite format 3", 16) || size < headerSize)
    {
        // Named where it is one of the files this program makes, so a mistyped name is plain.
        if (startsWith ("VSK", 3))
            return { Says::foreign, "is a library file, not a collection" };

        if (bytes[0] == 0xf0)
            return { Says::foreign, "is a .syx file, not a collection" };

        if (startsWith ("MThd", 4))
            return { Says::foreign, "is a MIDI file, not a collection" };

        return { Says::foreign, "is not a database" };
    }

    // user_version at 60 and application_id at 68, big-endian.
    const auto at = [bytes] (int offset)
    { return (juce::int64) juce::ByteOrder::bigEndianInt (bytes + offset); };

    if (at (68) == applicationId)
        return { at (60) > current ? Says::newer : Says::ours, {} };

    if (at (68) == 0)
        return { Says::noId, {} };

    return { Says::foreign, "is another program's database, not a collection" };
}

bool CollectionSchema::headerLooksSound (const juce::File& file)
{
    if (! file.exists())
        return true;

    juce::MemoryBlock data;

    if (BoundedFileReader::read (file, headerSize, data).failed())
        return false;

    const auto header = readHeader (data.getData(), data.getSize());

    if (header.says != Header::Says::noId)
        return header.says == Header::Says::empty || header.says == Header::Says::ours;

    // No id: ours only while it is new, with nothing past its first page but in the log.
    const auto* bytes = static_cast<const juce::uint8*> (data.getData());
    const auto pageSizeField = bytes[16] * 256 + bytes[17];
    const juce::int64 pageSize = pageSizeField == 1 ? 65536 : pageSizeField;
    return file.getSize() <= pageSize || file.getSiblingFile (file.getFileName() + "-wal").exists();
}

int CollectionSchema::version (SqliteDatabase& db)
{
    return (int) db.queryInt ("PRAGMA user_version");
}

void CollectionSchema::create (SqliteDatabase& db)
{
    db.exec (version2Tables);
    db.exec (searchTable);
    db.exec ("PRAGMA application_id = 1449489227; PRAGMA user_version = 4");
}

void CollectionSchema::createVersion1 (SqliteDatabase& db)
{
    db.exec (version1Tables);
    db.exec ("PRAGMA application_id = 1449489227; PRAGMA user_version = 1");
}

void CollectionSchema::migrate (SqliteDatabase& db, int fromVersion)
{
    if (fromVersion == 1)
        migrateVersion1 (db);

    if (fromVersion < 3)
        migrateVersion2 (db);

    db.exec ("DROP TABLE IF EXISTS search");
    db.exec (searchTable);
    CollectionSearchIndex::refill (db);
    db.exec ("PRAGMA user_version = 4");
}

void CollectionSchema::migrateVersion2 (SqliteDatabase& db)
{
    // Version 3: a Rythm pattern's steps play as the step grid labels them
    // (VeskStepTypes), so its fingerprint and onsets are made again from its
    // bytes; the tables stay as they are.
    SqliteStatement rythm (db.get(), "SELECT id, bytes FROM patterns WHERE type = ?");
    rythm.bind (1, (juce::int64) VeskImage::PartType::rythm);
    auto& update = db.cached ("UPDATE patterns SET play = ?, onsets = ? WHERE id = ?");

    while (rythm.next())
    {
        CollectionBytes bytes {};
        size_t size = 0;
        const auto* data = rythm.getBlob (1, size);
        std::memcpy (bytes.data(), data, juce::jmin (size, bytes.size()));

        update.reset();
        update.bind (1, CollectionFingerprint::play (bytes)).bind (2, (juce::int64) CollectionFingerprint::onsets (bytes));
        update.bind (3, rythm.getInt64 (0)).run();
    }

    db.exec ("PRAGMA user_version = 3");
}

void CollectionSchema::migrateVersion1 (SqliteDatabase& db)
{
    db.exec (version1ToVersion2);
    db.exec (version2Tables);

    // The play fingerprint and the onsets are computed here, not in SQL.
    SqliteStatement old (db.get(), "SELECT id, hash, bytes, type, tone, tempo, bars, steps_per_bar, name, first_seen, last_seen FROM old_patterns");
    auto& insert = db.cached ("INSERT INTO patterns (id, hash, bytes, play, onsets, type, tone, tempo, bars, steps_per_bar, name, first_name, first_seen, last_seen) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

    while (old.next())
    {
        CollectionBytes bytes {};
        size_t size = 0;
        const auto* data = old.getBlob (2, size);
        std::memcpy (bytes.data(), data, juce::jmin (size, bytes.size()));

        size_t hashSize = 0;
        const auto* hash = old.getBlob (1, hashSize);

        insert.reset();
        insert.bind (1, old.getInt64 (0)).bindBlob (2, hash, hashSize).bindBlob (3, bytes.data(), bytes.size());
        insert.bind (4, CollectionFingerprint::play (bytes)).bind (5, (juce::int64) CollectionFingerprint::onsets (bytes));

        for (int column = 3; column <= 7; ++column)
            insert.bind (column + 3, old.getInt64 (column));

        insert.bind (11, old.getText (8)).bind (12, old.getText (8));
        insert.bind (13, old.getInt64 (9)).bind (14, old.getInt64 (10));
        insert.run();
    }

    db.exec (version1Copy);
    db.exec (CollectionRows::nameRule);

    // Tags were one comma-separated text.
    {
        SqliteStatement oldTags (db.get(), "SELECT pattern, tags FROM old_user_data WHERE tags <> ''");
        auto& addTag = db.cached (CollectionRows::addTag);

        while (oldTags.next())
        {
            for (auto tag : juce::StringArray::fromTokens (oldTags.getText (1), ",", ""))
            {
                tag = tag.trim();

                if (tag.isNotEmpty() && tag.length() <= CollectionEdit::maxTagLength)
                {
                    addTag.reset();
                    addTag.bind (1, oldTags.getInt64 (0)).bind (2, tag).run();
                }
            }
        }
    }

    db.exec (version1Drop);
    db.exec ("PRAGMA user_version = 2");
}

juce::StringArray CollectionSchema::missingParts (SqliteDatabase& db)
{
    juce::StringArray missing;

    for (const auto* name : { "patterns", "sources", "sightings", "user_data", "tags", "search", "patterns_name", "patterns_type",
                              "patterns_tone", "patterns_tempo", "patterns_bars", "patterns_steps", "patterns_last_seen",
                              "sightings_slot", "sightings_pattern", "tags_tag" })
    {
        auto& statement = db.cached ("SELECT count(*) FROM sqlite_master WHERE name = ?");
        statement.bind (1, juce::String (name));

        if (! statement.next() || statement.getInt64 (0) == 0)
            missing.add (name);
    }

    return missing;
}
