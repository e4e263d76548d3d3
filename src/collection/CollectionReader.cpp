#include "CollectionReader.h"

#include "CollectionFingerprint.h"
#include "CollectionProblems.h"
#include "CollectionRows.h"
#include "CollectionSearchSql.h"
#include "SqliteDatabase.h"
#include "SqliteLibrary.h"

#include <algorithm>
#include <optional>

using Plan = CollectionReader::Plan;

CollectionReader::CollectionReader (SqliteDatabase& database, const juce::File& fileToUse)
    : db (database), file (fileToUse)
{
}

CollectionPage CollectionReader::search (const CollectionQuery& asked, const std::function<bool()>& stop)
{
    const auto query = CollectionSearchSql::withWordsSearched (asked);
    const SqliteDatabase::ResetOnExit reset { db };
    CollectionPage page;
    std::optional<SqliteDatabase::StopWhen> stopping;

    if (stop)
        stopping.emplace (db, stop);

    try
    {
        page.total = CollectionSearchSql::countMatches (db, query);
        const CollectionSearchSql sql (query, planForTests.value_or (CollectionSearchSql::choosePlan (db, query, page.total)));

        SqliteStatement rows (db.get(), sql.pageSql().toRawUTF8());
        sql.bind (rows, std::pair (juce::jlimit (0, 100000, query.limit), juce::jmax (0, query.offset)));

        while (rows.next())
        {
            auto pattern = CollectionRows::read (rows);
            CollectionRows::readTags (db, rows.getInt64 (0), pattern);
            page.patterns.push_back (std::move (pattern));
        }
    }
    catch (const SqliteError& error)
    {
        page = {};

        if (error.primaryCode() == SQLITE_INTERRUPT)
            page.interrupted = true;
        else
            page.problem = CollectionProblems::of (error, file);
    }

    return page;
}

juce::StringArray CollectionReader::queryPlan (const CollectionQuery& asked)
{
    const auto query = CollectionSearchSql::withWordsSearched (asked);
    const SqliteDatabase::ResetOnExit reset { db };
    juce::StringArray plan;
    const CollectionSearchSql sql (query, planForTests.value_or (CollectionSearchSql::choosePlan (db, query, CollectionSearchSql::countMatches (db, query))));

    for (const auto& text : { sql.countSql(), sql.pageSql() })
    {
        SqliteStatement explain (db.get(), ("EXPLAIN QUERY PLAN " + text).toRawUTF8());
        sql.bind (explain, text.contains ("LIMIT") ? std::optional (std::pair (50, 0)) : std::nullopt);

        while (explain.next())
            plan.add (explain.getText (3));
    }

    return plan;
}

std::optional<std::map<juce::String, int>> CollectionReader::rowsOf (const CollectionQuery& query, const juce::StringArray& ids)
{
    const SqliteDatabase::ResetOnExit reset { db };
    std::map<juce::String, int> rows;

    try
    {
        std::map<juce::int64, juce::String> wanted;

        for (const auto& id : ids)
            if (const auto row = CollectionRows::resolve (db, id))
                wanted[*row] = id;

        // Counted in the page's own order, so a row here is a row there.
        const CollectionSearchSql sql (CollectionSearchSql::withWordsSearched (query), Plan::narrowFirst);

        for (const auto& [row, id] : wanted)
        {
            SqliteStatement matches (db.get(), ("SELECT count(*) FROM " + sql.from + sql.whereAlso ("p.id = " + juce::String (row))).toRawUTF8());
            sql.bind (matches);

            if (! matches.next() || matches.getInt (0) == 0)
                continue;

            SqliteStatement before (db.get(), sql.beforeSql (row).toRawUTF8());
            sql.bind (before);

            if (before.next())
                rows[id] = before.getInt (0);
        }
    }
    catch (const SqliteError&)
    {
        return std::nullopt;
    }

    return rows;
}

CollectionLookup CollectionReader::find (const juce::String& idOrPrefix)
{
    const SqliteDatabase::ResetOnExit reset { db };
    CollectionLookup lookup;
    const auto text = idOrPrefix.trim();

    if (! CollectionRows::isIdText (text))
    {
        lookup.outcome = CollectionLookup::Outcome::invalid;
        return lookup;
    }

    try
    {
        const auto rows = CollectionRows::rowsWithPrefix (db, text, 10);

        if (rows.empty())
        {
            lookup.outcome = CollectionLookup::Outcome::unknown;
            return lookup;
        }

        for (auto row : rows)
        {
            auto pattern = CollectionRows::byRow (db, row);

            if (! pattern.has_value())
                continue;

            if (rows.size() > 1)
                lookup.candidates.add (pattern->id);
            else
                lookup.pattern = std::move (pattern);
        }

        lookup.outcome = rows.size() > 1 ? CollectionLookup::Outcome::ambiguous : CollectionLookup::Outcome::found;
    }
    catch (const SqliteError& error)
    {
        lookup = {};
        lookup.problem = CollectionProblems::of (error, file);
    }

    return lookup;
}

std::vector<CollectionSimilar> CollectionReader::similar (const juce::String& id, int limit)
{
    const SqliteDatabase::ResetOnExit reset { db };
    std::vector<CollectionSimilar> found;

    try
    {
        const auto row = CollectionRows::resolve (db, id);

        if (! row.has_value() || limit <= 0)
            return found;

        auto& target = db.cached ("SELECT onsets, bars * steps_per_bar, type, tone, tempo, play FROM patterns WHERE id = ?");
        target.bind (1, *row);

        if (! target.next())
            return found;

        const auto onsets = (std::uint32_t) target.getInt64 (0);
        const auto length = juce::jlimit (1, 32, target.getInt (1));
        const auto type = target.getInt (2), tone = target.getInt (3), tempo = target.getInt (4);
        const auto play = target.getInt64 (5);

        struct Candidate
        {
            juce::int64 row;
            int distance, rotation, typeDiffers, toneDiffers, tempoDifference;
            bool samePlay;

            bool operator<(const Candidate& other) const noexcept
            {
                return std::tie (distance, typeDiffers, toneDiffers, tempoDifference, row)
                       < std::tie (other.distance, other.typeDiffers, other.toneDiffers, other.tempoDifference, other.row);
            }
        };

        std::vector<Candidate> candidates;
        SqliteStatement all (db.get(), "SELECT id, onsets, bars * steps_per_bar, type, tone, tempo, play FROM patterns WHERE id <> ?");
        all.bind (1, *row);

        while (all.next())
        {
            // A shorter pattern repeats to fill the longer one's length, as it plays.
            auto theirs = (std::uint32_t) all.getInt64 (1);
            const auto theirLength = juce::jlimit (1, 32, all.getInt (2));

            for (int at = theirLength; at < length; at += theirLength)
                theirs |= theirs << theirLength;

            Candidate c;
            c.row = all.getInt64 (0);
            c.distance = CollectionFingerprint::onsetDistance (onsets, theirs, length, c.rotation);
            c.typeDiffers = all.getInt (3) != type ? 1 : 0;
            c.toneDiffers = all.getInt (4) != tone ? 1 : 0;
            c.tempoDifference = std::abs (all.getInt (5) - tempo);
            c.samePlay = all.getInt64 (6) == play;
            candidates.push_back (c);
        }

        const auto count = std::min ((size_t) limit, candidates.size());
        std::partial_sort (candidates.begin(), candidates.begin() + (std::ptrdiff_t) count, candidates.end());
        candidates.resize (count);

        for (const auto& c : candidates)
        {
            auto pattern = CollectionRows::byRow (db, c.row);

            if (! pattern.has_value())
                continue;

            CollectionSimilar similarOne;
            similarOne.pattern = std::move (*pattern);
            similarOne.onsetDistance = c.distance;
            similarOne.rotation = c.rotation;
            similarOne.samePlay = c.samePlay;
            found.push_back (similarOne);
        }
    }
    catch (const SqliteError&)
    {
        found.clear();
    }

    return found;
}

static std::vector<CollectionSighting> readSightings (SqliteStatement& rows)
{
    std::vector<CollectionSighting> sightings;

    while (rows.next())
    {
        CollectionSighting sighting;
        sighting.source = (CollectionSource) rows.getInt (0);
        sighting.sourcePath = rows.getText (1);
        sighting.slot = VeskBlock::fromRecord (rows.getInt (2)).value_or (VeskBlock::temporary());
        sighting.timeMs = rows.getInt64 (3);
        sighting.lastTimeMs = rows.getInt64 (4);

        size_t size = 0;
        const auto* bytes = rows.getBlob (5, size);
        std::memcpy (sighting.bytes.data(), bytes, juce::jmin (size, sighting.bytes.size()));

        const auto* hash = rows.getBlob (6, size);
        sighting.patternId = juce::String::toHexString (hash, (int) size, 0);
        sightings.push_back (std::move (sighting));
    }

    return sightings;
}

std::vector<CollectionSighting> CollectionReader::sightings (const juce::String& id)
{
    const SqliteDatabase::ResetOnExit reset { db };
    try
    {
        const auto row = CollectionRows::resolve (db, id);

        if (! row.has_value())
            return {};

        auto& rows = db.cached ("SELECT src.kind, src.path, s.slot, s.first_time, s.last_time, p.bytes, p.hash FROM sightings s "
                                "JOIN sources src ON src.id = s.source JOIN patterns p ON p.id = s.pattern "
                                "WHERE s.pattern = ? ORDER BY s.first_time, s.id");
        rows.bind (1, *row);
        return readSightings (rows);
    }
    catch (const SqliteError&)
    {
        return {};
    }
}

std::vector<CollectionSighting> CollectionReader::slotHistory (CollectionSource source, const juce::String& sourcePath, VeskBlock slot)
{
    const SqliteDatabase::ResetOnExit reset { db };
    try
    {
        auto& rows = db.cached ("SELECT src.kind, src.path, s.slot, s.first_time, s.last_time, p.bytes, p.hash FROM sources src "
                                "JOIN sightings s ON s.source = src.id JOIN patterns p ON p.id = s.pattern "
                                "WHERE src.kind = ? AND src.path = ? AND s.slot = ? ORDER BY s.first_time, s.id");
        rows.bind (1, (int) source).bind (2, sourcePath).bind (3, slot.index());
        return readSightings (rows);
    }
    catch (const SqliteError&)
    {
        return {};
    }
}

juce::StringArray CollectionReader::allTags()
{
    const SqliteDatabase::ResetOnExit reset { db };
    juce::StringArray tags;

    try
    {
        auto& rows = db.cached ("SELECT DISTINCT tag FROM tags ORDER BY tag");

        while (rows.next())
            tags.add (rows.getText (0));
    }
    catch (const SqliteError&)
    {
        tags.clear();
    }

    return tags;
}
