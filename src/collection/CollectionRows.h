#pragma once

#include "CollectionTypes.h"
#include "SqliteDatabase.h"

/**
    How a pattern row is read, and how an ID or prefix finds its row: shared
    by the store's queries.
*/
struct CollectionRows
{
    /** The columns read() takes, from patterns p left-joined with user_data u. */
    static constexpr const char* columns =
        "p.id, p.hash, p.bytes, p.play, p.type, p.tone, p.tempo, p.bars, p.steps_per_bar, p.name, p.first_seen, "
        "p.last_seen, p.seen, u.own_name, coalesce (u.favourite, 0), coalesce (u.rating, 0), coalesce (u.comment, '')";

    /** A pattern's name: its own (the user's), else the name where it was
        first seen. For every row as it stands; nameByRule for one. */
    static constexpr const char* nameRule =
        "UPDATE patterns SET name = coalesce ((SELECT own_name FROM user_data WHERE pattern = patterns.id), first_name)";

    static void nameByRule (SqliteDatabase& db, juce::int64 rowId);

    /** The tag statements: each binds the pattern's row, then the tag. */
    static constexpr const char* addTag = "INSERT OR IGNORE INTO tags (pattern, tag) VALUES (?, ?)";
    static constexpr const char* removeTag = "DELETE FROM tags WHERE pattern = ? AND tag = ?";

    /** The pattern from a statement's row of columns; tags are not read. */
    static CollectionPattern read (const SqliteStatement& row);

    /** The pattern of a row, with its tags. */
    static std::optional<CollectionPattern> byRow (SqliteDatabase& db, juce::int64 rowId);

    static void readTags (SqliteDatabase& db, juce::int64 rowId, CollectionPattern& pattern);

    /** The hash range a hex prefix covers: [low, high], as blobs. */
    static bool prefixRange (const juce::String& prefix, std::array<std::uint8_t, 32>& low, std::array<std::uint8_t, 32>& high);

    /** Rows whose ID starts with the prefix, at most limit of them. */
    static std::vector<juce::int64> rowsWithPrefix (SqliteDatabase& db, const juce::String& prefix, int limit);

    /** The one row an ID or unique prefix names; none when unknown, ambiguous or not an ID. */
    static std::optional<juce::int64> resolve (SqliteDatabase& db, const juce::String& idOrPrefix);

    /** Whether text can be an ID or prefix: hex digits, at least the minimum, at most 64. */
    static bool isIdText (const juce::String& text);
};
