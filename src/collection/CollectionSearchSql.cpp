#include "CollectionSearchSql.h"

#include "CollectionRows.h"
#include "CollectionSearchIndex.h"
#include "SqliteDatabase.h"

CollectionSearchSql::CollectionSearchSql (const CollectionQuery& query, Plan plan)
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
juce::String CollectionSearchSql::pageSql() const
{
    const auto limit = "?" + juce::String ((int) values.size() + 1), offset = "?" + juce::String ((int) values.size() + 2);
    return "SELECT " + juce::String (CollectionRows::columns) + " FROM (SELECT p.id AS id FROM " + from + where + order
           + " LIMIT " + limit + " OFFSET " + offset + ") k JOIN patterns p ON p.id = k.id LEFT JOIN user_data u ON u.pattern = p.id"
           + order;
}

juce::String CollectionSearchSql::whereAlso (const juce::String& condition) const
{
    return (where.isEmpty() ? " WHERE " : where + " AND ") + condition;
}

// The rows that match and come before row in the order: those that
// equal it on the first keys and then come before it on the next one.
juce::String CollectionSearchSql::beforeSql (juce::int64 row) const
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

juce::String CollectionSearchSql::countSql() const
{
    if (textOnly)
        return "SELECT count(*) FROM search WHERE search MATCH ?1";

    return "SELECT count(*) FROM " + from + where;
}

// The page's limit and offset, where given, follow the values.
void CollectionSearchSql::bind (SqliteStatement& statement, std::optional<std::pair<int, int>> page) const
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

int CollectionSearchSql::countMatches (SqliteDatabase& db, const CollectionQuery& query)
{
    const CollectionSearchSql sql (query, Plan::narrowFirst);
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
CollectionReader::Plan CollectionSearchSql::choosePlan (SqliteDatabase& db, const CollectionQuery& query, int matches)
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
CollectionQuery CollectionSearchSql::withWordsSearched (CollectionQuery query)
{
    query.text = CollectionSearchIndex::words (query.text).words.joinIntoString (" ");
    return query;
}
