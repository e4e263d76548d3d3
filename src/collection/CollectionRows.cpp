#include "CollectionRows.h"

#include "CollectionFingerprint.h"

#include <string>

CollectionPattern CollectionRows::read (const SqliteStatement& row)
{
    CollectionPattern pattern;

    size_t size = 0;
    const auto* hash = row.getBlob (1, size);
    CollectionFingerprint::Hash digest {};
    std::memcpy (digest.data(), hash, juce::jmin (size, digest.size()));
    pattern.id = CollectionFingerprint::toHex (digest);

    const auto* bytes = row.getBlob (2, size);
    std::memcpy (pattern.bytes.data(), bytes, juce::jmin (size, pattern.bytes.size()));

    pattern.playId = CollectionFingerprint::playHex (row.getInt64 (3));
    pattern.type = row.getInt (4);
    pattern.toneOrKit = row.getInt (5);
    pattern.tempo = row.getInt (6);
    pattern.bars = row.getInt (7);
    pattern.stepsPerBar = row.getInt (8);
    pattern.name = row.getText (9);
    pattern.firstSeenMs = row.getInt64 (10);
    pattern.lastSeenMs = row.getInt64 (11);
    pattern.seen = row.getInt (12);
    pattern.hasOwnName = ! row.isNull (13);
    pattern.favourite = row.getInt (14) != 0;
    pattern.rating = row.getInt (15);
    pattern.comment = row.getText (16);
    return pattern;
}

void CollectionRows::nameByRule (SqliteDatabase& db, juce::int64 rowId)
{
    // Built once: the statement cache knows a statement by its text's address.
    static const std::string forOneRow = std::string (nameRule) + " WHERE id = ?";
    db.cached (forOneRow.c_str()).bind (1, rowId).run();
}

std::optional<CollectionPattern> CollectionRows::byRow (SqliteDatabase& db, juce::int64 rowId)
{
    static const auto sql = juce::String ("SELECT ") + columns + " FROM patterns p LEFT JOIN user_data u ON u.pattern = p.id WHERE p.id = ?";
    auto& row = db.cached (sql.toRawUTF8());
    row.bind (1, rowId);

    if (! row.next())
        return std::nullopt;

    auto pattern = read (row);
    readTags (db, rowId, pattern);
    return pattern;
}

void CollectionRows::readTags (SqliteDatabase& db, juce::int64 rowId, CollectionPattern& pattern)
{
    auto& tags = db.cached ("SELECT tag FROM tags WHERE pattern = ? ORDER BY tag");
    tags.bind (1, rowId);

    while (tags.next())
        pattern.tags.add (tags.getText (0));
}

bool CollectionRows::isIdText (const juce::String& text)
{
    return text.length() >= CollectionLookup::minimumPrefix && text.length() <= 64
           && text.containsOnly ("0123456789abcdefABCDEF");
}

bool CollectionRows::prefixRange (const juce::String& prefix, std::array<std::uint8_t, 32>& low, std::array<std::uint8_t, 32>& high)
{
    if (! isIdText (prefix))
        return false;

    const auto lower = prefix.toLowerCase();

    for (size_t i = 0; i < 64; ++i)
    {
        const auto digit = (int) i < lower.length() ? juce::CharacterFunctions::getHexDigitValue (lower[(int) i]) : -1;
        const auto lo = digit >= 0 ? digit : 0;
        const auto hi = digit >= 0 ? digit : 15;

        if (i % 2 == 0)
        {
            low[i / 2] = (std::uint8_t) (lo << 4);
            high[i / 2] = (std::uint8_t) (hi << 4);
        }
        else
        {
            low[i / 2] |= (std::uint8_t) lo;
            high[i / 2] |= (std::uint8_t) hi;
        }
    }

    return true;
}

std::vector<juce::int64> CollectionRows::rowsWithPrefix (SqliteDatabase& db, const juce::String& prefix, int limit)
{
    std::vector<juce::int64> rows;
    std::array<std::uint8_t, 32> low {}, high {};

    if (! prefixRange (prefix, low, high))
        return rows;

    auto& statement = db.cached ("SELECT id FROM patterns WHERE hash BETWEEN ? AND ? ORDER BY hash LIMIT ?");
    statement.bindBlob (1, low.data(), low.size()).bindBlob (2, high.data(), high.size()).bind (3, limit);

    while (statement.next())
        rows.push_back (statement.getInt64 (0));

    return rows;
}

std::optional<juce::int64> CollectionRows::resolve (SqliteDatabase& db, const juce::String& idOrPrefix)
{
    const auto rows = rowsWithPrefix (db, idOrPrefix.trim(), 2);

    if (rows.size() != 1)
        return std::nullopt;

    return rows.front();
}
