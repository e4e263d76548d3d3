#pragma once

#include "SqliteDatabase.h"

/**
    The full-text row of a pattern (its shown name, tags, comment, the file
    names it was seen in, and its type and tone or kit as its row shows
    them), made again from the tables whenever one of
    them changes, so the index never tells another story than they do.
*/
struct CollectionSearchIndex
{
    static void update (SqliteDatabase& db, juce::int64 pattern);

    /** A pattern's first row, without reading back what a new pattern cannot have. */
    static void insertNew (SqliteDatabase& db, juce::int64 pattern, const juce::String& name, const juce::String& sourceName, int type,
                           int toneOrKit);

    /** Every pattern's row made again, in the caller's transaction. */
    static void refill (SqliteDatabase& db);

    /** "Bass SAW Detune Ds1 Off": the type's name and the words of the tone's or kit's. */
    static juce::String kindWords (int type, int toneOrKit);

    /** The words of a search text that are searched for, lower case. A word
        typed again, or the start of another word typed, is left out: it finds
        nothing more. Past the bounds the rest of the text is left out, and
        cut says so, for the user to be told. */
    struct Words
    {
        juce::StringArray words;
        bool cut = false;
    };

    static constexpr int maxWords = 16; // different words
    static constexpr int maxWordLength = 64; // characters: at most 256 bytes of UTF-8
    static constexpr int maxTextLength = 65536; // characters of the text read

    static Words words (const juce::String& text);

    /** What a search says when its text was cut. */
    static juce::String cutMessage();

    /** The full-text query for words typed: each word a prefix, all of them
        needed; empty when nothing searchable was typed. */
    static juce::String matchExpression (const juce::String& text);

    /** The file name a source is searched by. */
    static juce::String sourceName (const juce::String& path);
};
