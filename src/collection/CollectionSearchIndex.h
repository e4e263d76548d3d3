#pragma once

#include "SqliteDatabase.h"

/**
    The full-text row of a pattern (its shown name, tags, comment and the
    file names it was seen in), made again from the tables whenever one of
    them changes, so the index never tells another story than they do.
*/
struct CollectionSearchIndex
{
    static void update (SqliteDatabase& db, juce::int64 pattern);

    /** A pattern's first row, without reading back what a new pattern cannot have. */
    static void insertNew (SqliteDatabase& db, juce::int64 pattern, const juce::String& name, const juce::String& sourceName);

    /** The full-text query for words typed: each word a prefix, all of them
        needed; empty when nothing searchable was typed. */
    static juce::String matchExpression (const juce::String& text);

    /** The file name a source is searched by. */
    static juce::String sourceName (const juce::String& path);
};
