#include "CollectionReader.h"

#include "CollectionFingerprint.h"
#include "CollectionProblems.h"
#include "CollectionRows.h"
#include "CollectionSearchIndex.h"
#include "SqliteDatabase.h"

#include <algorithm>
#include <optional>
#include <variant>

namespace
{
    // How a page of a search is found. Narrowing first: the row source that
    // narrows most drives the join (the full-text match, a tag, the
    // favourites), the rest are indexed columns, and every match is sorted.
    // Walking in order: the sort's own index is walked and each row tested,
    // which stops after a page's worth; for a search that many patterns
    // match, where sorting them all is what costs. A walk tests a row's words
    // against the set of all the text's matches, made once, or, where nearly
    // every row matches, looks them up by the row's id.
    using Plan = CollectionReader::Plan;

    struct SearchSql
    {
        juce::String from, where, order;
        std::vector<std::pair<juce::String, bool>> keys; // what order sorts by, and which way
        std::vector<std::variant<juce::String, juce::int64>> values; // ?1, ?2, ... in order
        bool textOnly = false;

        SearchSql (const CollectionQuery& query, Plan plan)
        {
            const bool walkInOrder = plan != Plan::narrowFirst;
            const auto match = CollectionSearchIndex::matchExpression (query.text);
            juce::StringArray conditions, dearer;
            juce::String driver;

            const auto parameter = [this] (auto value)
            {
                values.emplace_back (value);
                return "?" + juce::String ((int) values.size());
            };

            // A set to test against is made once, and "+" keeps SQLite from
            // driving the walk by it.
            const auto addSet = [&] (const juce::String& subquery)
            {
                if (walkInOrder)
                    dearer.add ("+p.id IN (" + subquery + ")");
                else if (driver.isEmpty())
                    driver = subquery;
                else
                    conditions.add ("p.id IN (" + subquery + ")");
            };

            if (match.isNotEmpty())
            {
                if (plan == Plan::walkWithLookups)
                    dearer.add ("EXISTS (SELECT 1 FROM search WHERE search MATCH " + parameter (match) + " AND rowid = p.id)");
                else
                    addSet ("SELECT rowid AS id FROM search WHERE search MATCH " + parameter (match));
            }

            if (query.tag.trim().isNotEmpty())
                addSet ("SELECT pattern AS id FROM tags WHERE tag = " + parameter (query.tag.trim()));

            if (query.favouriteOnly)
                addSet ("SELECT pattern AS id FROM user_data WHERE favourite <> 0");

            const auto addNumber = [&] (const char* condition, std::optional<int> value)
            {
                if (value.has_value())
                    conditions.add ((walkInOrder ? "+" : "") + juce::String (condition) + parameter ((juce::int64) *value));
            };

            addNumber ("p.type = ", query.type);
            addNumber ("p.tone = ", query.toneOrKit);
            addNumber ("p.tempo >= ", query.tempoMin);
            addNumber ("p.tempo <= ", query.tempoMax);
            addNumber ("p.bars = ", query.bars);
            addNumber ("p.steps_per_bar = ", query.stepsPerBar);

            textOnly = match.isNotEmpty() && ! walkInOrder && values.size() == 1 && ! query.favouriteOnly;
            conditions.addArray (dearer);

            // CROSS JOIN keeps the driver outermost: it narrows the most.
            from = driver.isEmpty() ? juce::String ("patterns p")
                                    : "(" + driver + ") d CROSS JOIN patterns p ON p.id = d.id";
            where = conditions.isEmpty() ? juce::String() : " WHERE " + conditions.joinIntoString (" AND ");

            // The order's keys (column, ascending); the last is the row's own
            // id, so no two rows tie and a row's place is one place.
            const bool reverse = query.reverse;

            switch (query.sort)
            {
                case CollectionQuery::Sort::lastSeen:
                    keys = { { "p.last_seen", reverse }, { "p.id", reverse } };
                    break;
                case CollectionQuery::Sort::tempo:
                    keys = { { "p.tempo", ! reverse }, { "p.name", true }, { "p.id", true } };
                    break;
                case CollectionQuery::Sort::type:
                    keys = { { "p.type", ! reverse }, { "p.name", ! reverse }, { "p.id", true } };
                    break;
                case CollectionQuery::Sort::name:
                default:
                    keys = { { "p.name", ! reverse }, { "p.id", true } };
                    break;
            }

            juce::StringArray terms;

            for (const auto& [column, ascending] : keys)
                terms.add (column + (ascending ? " ASC" : " DESC"));

            order = " ORDER BY " + terms.joinIntoString (", ");
        }

        // The page's rows are chosen on the narrow keys alone, then read:
        // sorting thousands of whole rows (bytes and all) is what costs.
        juce::String pageSql() const
        {
            const auto limit = "?" + juce::String ((int) values.size() + 1), offset = "?" + juce::String ((int) values.size() + 2);
            return "SELECT " + juce::String (CollectionRows::columns) + " FROM (SELECT p.id AS id FROM " + from + where + order
                   + " LIMIT " + limit + " OFFSET " + offset + ") k JOIN patterns p ON p.id = k.id LEFT JOIN user_data u ON u.pattern = p.id"
                   + order;
        }

        juce::String whereAlso (const juce::String& condition) const
        {
            return (where.isEmpty() ? " WHERE " : where + " AND ") + condition;
        }

        // The rows that match and come before row in the order: those that
        // equal it on the first keys and then come before it on the next one.
        juce::String beforeSql (juce::int64 row) const
        {
            juce::StringArray either, equal;

            for (const auto& [column, ascending] : keys)
            {
                const auto value = column == "p.id" ? juce::String (row)
                                                    : "(SELECT " + column.fromFirstOccurrenceOf (".", false, false) + " FROM patterns WHERE id = "
                                                          + juce::String (row) + ")";
                either.add ("(" + (equal.isEmpty() ? juce::String() : equal.joinIntoString (" AND ") + " AND ") + column
                            + (ascending ? " < " : " > ") + value + ")");
                equal.add (column + " = " + value);
            }

            return "SELECT count(*) FROM " + from + whereAlso ("(" + either.joinIntoString (" OR ") + ")");
        }

        juce::String countSql() const
        {
            if (textOnly)
                return "SELECT count(*) FROM search WHERE search MATCH ?1";

            return "SELECT count(*) FROM " + from + where;
        }

        // The page's limit and offset, where given, follow the values.
        void bind (SqliteStatement& statement, std::optional<std::pair<int, int>> page = {}) const
        {
            int index = 1;

            for (const auto& value : values)
            {
                if (const auto* text = std::get_if<juce::String> (&value))
                    statement.bind (index++, *text);
                else
                    statement.bind (index++, std::get<juce::int64> (value));
            }

            if (page.has_value())
                statement.bind (index, page->first).bind (index + 1, page->second);
        }
    };
}

constexpr double sortUs = 1.0, walkUs = 0.3, walkWithWordsUs = 5.0;

static int countMatches (SqliteDatabase& db, const CollectionQuery& query)
{
    const SearchSql sql (query, Plan::narrowFirst);
    SqliteStatement count (db.get(), sql.countSql().toRawUTF8());
    sql.bind (count);
    return count.next() ? count.getInt (0) : 0;
}

// The plan that finds the page soonest, from the number of matches, the
// number of patterns and the page's place. The costs, in microseconds at
// 100,000 patterns: sorting costs about one a match; a walk passes about
// (offset + limit) * patterns / matches rows, a third of one each to test its
// columns or against a set, 40 each to look its words up; a set of the text's
// matches costs a fifth of one a match to make.
static Plan choosePlan (SqliteDatabase& db, const CollectionQuery& query, int matches)
{
    if (matches <= query.limit || query.offset >= 1000 || query.limit > 1000)
        return Plan::narrowFirst;

    constexpr double sortEach = 1.0, testEach = 0.3, lookUpEach = 40.0, setEach = 0.2;
    const auto patterns = (double) db.queryInt ("SELECT max(id) FROM patterns");
    const auto walked = (double) (query.offset + query.limit) * patterns / (double) matches;
    const auto sorting = sortEach * matches;

    if (CollectionSearchIndex::matchExpression (query.text).isEmpty())
        return walked * testEach < sorting ? Plan::walkWithSets : Plan::narrowFirst;

    // With other filters too, the text's own matches (the set's size, how
    // many rows are looked up) are not known, so the sort is the safe way.
    const bool textAlone = ! query.favouriteOnly && query.tag.trim().isEmpty() && ! query.type && ! query.toneOrKit
                           && ! query.tempoMin && ! query.tempoMax && ! query.bars && ! query.stepsPerBar;

    if (! textAlone)
        return Plan::narrowFirst;

    const auto withSets = setEach * matches + testEach * walked;
    const auto withLookups = lookUpEach * walked;

    if (sorting <= withSets && sorting <= withLookups)
        return Plan::narrowFirst;

    return withLookups < withSets ? Plan::walkWithLookups : Plan::walkWithSets;
}

// The query with its text as searched for: a long text is read here once,
// and what the plan and the statements read again is a few words.
static CollectionQuery withWordsSearched (CollectionQuery query)
{
    query.text = CollectionSearchIndex::words (query.text).words.joinIntoString (" ");
    return query;
}

CollectionReader::CollectionReader (SqliteDatabase& database, const juce::File& fileToUse)
    : db (database), file (fileToUse)
{
}

CollectionPage CollectionReader::search (const CollectionQuery& asked, const std::function<bool()>& stop)
{
    const auto query = withWordsSearched (asked);
    const SqliteDatabase::ResetOnExit reset { db };
    CollectionPage page;
    std::optional<SqliteDatabase::StopWhen> stopping;

    if (stop)
        stopping.emplace (db, stop);

    try
    {
        page.total = countMatches (db, query);
        const SearchSql sql (query, planForTests.value_or (choosePlan (db, query, page.total)));

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
    const auto query = withWordsSearched (asked);
    const SqliteDatabase::ResetOnExit reset { db };
    juce::StringArray plan;
    const SearchSql sql (query, planForTests.value_or (choosePlan (db, query, countMatches (db, query))));

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
        const SearchSql sql (withWordsSearched (query), Plan::narrowFirst);

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
