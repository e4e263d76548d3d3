#pragma once

#include "CollectionReader.h"
#include "SqliteStatement.h"

#include <variant>
#include <vector>

/**
    How a page of a search is found. Narrowing first: the row source that
    narrows most drives the join (the full-text match, a tag, the
    favourites), the rest are indexed columns, and every match is sorted.
    Walking in order: the sort's own index is walked and each row tested,
    which stops after a page's worth; for a search that many patterns
    match, where sorting them all is what costs. A walk tests a row's words
    against the set of all the text's matches, made once, or, where nearly
    every row matches, looks them up by the row's id.
*/
class CollectionSearchSql
{
public:
    using Plan = CollectionReader::Plan;

    CollectionSearchSql (const CollectionQuery& query, Plan plan);

    /** A page: its rows chosen on the narrow keys alone, then read whole. */
    juce::String pageSql() const;
    /** The statement's condition, with one more. */
    juce::String whereAlso (const juce::String& condition) const;
    /** How many rows match and come before row in the order. */
    juce::String beforeSql (juce::int64 row) const;
    juce::String countSql() const;

    /** The values, then the page's limit and offset where given. */
    void bind (SqliteStatement& statement, std::optional<std::pair<int, int>> page = {}) const;

    /** How many patterns the query matches. */
    static int countMatches (SqliteDatabase& db, const CollectionQuery& query);
    /** The plan that finds the query's page soonest, from its number of matches. */
    static Plan choosePlan (SqliteDatabase& db, const CollectionQuery& query, int matches);
    /** The query with its text as searched for: the bounded words alone. */
    static CollectionQuery withWordsSearched (CollectionQuery query);

    juce::String from, where, order;
    std::vector<std::pair<juce::String, bool>> keys; // what order sorts by, and which way
    std::vector<std::variant<juce::String, juce::int64>> values; // ?1, ?2, ... in order
    bool textOnly = false;
};
