#include "CollectionReader.h"

#include "CollectionFingerprint.h"
#include "CollectionProblems.h"
#include "CollectionRows.h"
#include "CollectionSearchIndex.h"
#include "SqliteDatabase.h"

#include <algorithm>

namespace
{
    // A search as SQL: the row source that narrows most drives the join (the
    // full-text match, a tag, the favourites), the rest are indexed columns.
    struct SearchSql
    {
        juce::String from, where, order;
        juce::StringArray texts; // bound in order, then the numbers
        std::vector<juce::int64> numbers;
        bool textOnly = false;

        // walkInOrder: for a page of a search that many patterns match. The
        // sort's own index is walked and each row tested (against the word
        // and tag lists, made once), which stops after a page's worth; the
        // usual plan would fetch and sort every match first.
        SearchSql (const CollectionQuery& query, bool walkInOrder)
        {
            const auto match = CollectionSearchIndex::matchExpression (query.text);
            juce::StringArray conditions;
            juce::String driver;

            const auto addDriver = [&] (const juce::String& subquery)
            {
                if (driver.isEmpty() && ! walkInOrder)
                    driver = subquery;
                else
                    conditions.add ("p.id IN (" + subquery + ")");
            };

            if (match.isNotEmpty())
            {
                addDriver ("SELECT rowid AS id FROM search WHERE search MATCH ?");
                texts.add (match);
            }

            if (query.tag.trim().isNotEmpty())
            {
                addDriver ("SELECT pattern AS id FROM tags WHERE tag = ?");
                texts.add (query.tag.trim());
            }

            if (query.favouriteOnly)
                addDriver ("SELECT pattern AS id FROM user_data WHERE favourite <> 0");

            const auto addNumber = [&] (const char* condition, std::optional<int> value)
            {
                if (value.has_value())
                {
                    conditions.add ((walkInOrder ? "+" : "") + juce::String (condition));
                    numbers.push_back (*value);
                }
            };

            addNumber ("p.type = ?", query.type);
            addNumber ("p.tone = ?", query.toneOrKit);
            addNumber ("p.tempo >= ?", query.tempoMin);
            addNumber ("p.tempo <= ?", query.tempoMax);
            addNumber ("p.bars = ?", query.bars);
            addNumber ("p.steps_per_bar = ?", query.stepsPerBar);

            textOnly = match.isNotEmpty() && texts.size() == 1 && ! query.favouriteOnly && conditions.isEmpty();

            // CROSS JOIN keeps the driver outermost: it narrows the most.
            from = driver.isEmpty() ? juce::String ("patterns p")
                                    : "(" + driver + ") d CROSS JOIN patterns p ON p.id = d.id";
            where = conditions.isEmpty() ? juce::String() : " WHERE " + conditions.joinIntoString (" AND ");

            const bool reverse = query.reverse;
            const auto way = [reverse] (bool ascending)
            { return ascending != reverse ? " ASC" : " DESC"; };

            switch (query.sort)
            {
                case CollectionQuery::Sort::lastSeen:
                    order = juce::String (" ORDER BY p.last_seen") + way (false) + ", p.id" + way (false);
                    break;
                case CollectionQuery::Sort::tempo:
                    order = juce::String (" ORDER BY p.tempo") + way (true) + ", p.name, p.id";
                    break;
                case CollectionQuery::Sort::type:
                    order = juce::String (" ORDER BY p.type") + way (true) + ", p.name" + way (true) + ", p.id";
                    break;
                case CollectionQuery::Sort::name:
                default:
                    order = juce::String (" ORDER BY p.name") + way (true) + ", p.id";
                    break;
            }
        }

        // The page's rows are chosen on the narrow keys alone, then read:
        // sorting thousands of whole rows (bytes and all) is what costs.
        juce::String pageSql() const
        {
            return "SELECT " + juce::String (CollectionRows::columns) + " FROM (SELECT p.id AS id FROM " + from + where + order
                   + " LIMIT ? OFFSET ?) k JOIN patterns p ON p.id = k.id LEFT JOIN user_data u ON u.pattern = p.id" + order;
        }

        juce::String countSql() const
        {
            if (textOnly)
                return "SELECT count(*) FROM search WHERE search MATCH ?";

            return "SELECT count(*) FROM " + from + where;
        }

        int bind (SqliteStatement& statement) const
        {
            int index = 1;

            for (const auto& text : texts)
                statement.bind (index++, text);

            for (auto number : numbers)
                statement.bind (index++, number);

            return index;
        }
    };
}

static int countMatches (SqliteDatabase& db, const CollectionQuery& query)
{
    const SearchSql sql (query, false);
    SqliteStatement count (db.get(), sql.countSql().toRawUTF8());
    sql.bind (count);
    return count.next() ? count.getInt (0) : 0;
}

// Past this many matches a page is found faster in the sort's order.
static bool walksInOrder (const CollectionQuery& query, int matches)
{
    return matches > 1500 && query.offset < 1000 && query.limit <= 1000;
}

CollectionReader::CollectionReader (SqliteDatabase& database, const juce::File& fileToUse)
    : db (database), file (fileToUse)
{
}

CollectionPage CollectionReader::search (const CollectionQuery& query, const std::function<bool()>& stop)
{
    const SqliteDatabase::ResetOnExit reset { db };
    CollectionPage page;
    std::optional<SqliteDatabase::StopWhen> stopping;

    if (stop)
        stopping.emplace (db, stop);

    try
    {
        page.total = countMatches (db, query);
        const SearchSql sql (query, walksInOrder (query, page.total));

        SqliteStatement rows (db.get(), sql.pageSql().toRawUTF8());
        const auto next = sql.bind (rows);
        rows.bind (next, juce::jlimit (0, 100000, query.limit)).bind (next + 1, juce::jmax (0, query.offset));

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

juce::StringArray CollectionReader::queryPlan (const CollectionQuery& query)
{
    const SqliteDatabase::ResetOnExit reset { db };
    juce::StringArray plan;
    const SearchSql sql (query, walksInOrder (query, countMatches (db, query)));

    for (const auto& text : { sql.countSql(), sql.pageSql() })
    {
        SqliteStatement explain (db.get(), ("EXPLAIN QUERY PLAN " + text).toRawUTF8());
        const auto next = sql.bind (explain);

        if (text.contains ("LIMIT"))
            explain.bind (next, 50).bind (next + 1, 0);

        while (explain.next())
            plan.add (explain.getText (3));
    }

    return plan;
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
