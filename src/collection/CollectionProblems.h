#pragma once

#include "CollectionTypes.h"
#include "SqliteError.h"

/** How SQLite's failures read as the collection's problems. */
struct CollectionProblems
{
    static CollectionProblem of (const SqliteError& error, const juce::File& file);

    /** text on one line: SQLite's integrity messages span several. */
    static juce::String oneLine (const juce::String& text);

    /** What is wrong, said of the collection's file ("is damaged (...)"): the
        window puts the file before it, vesk its "vesk: FILE:". Empty for none. */
    static juce::String describe (const CollectionProblem& problem);

    /** Whether the file itself is bad (not a database, or damaged inside). */
    static bool isDamage (const SqliteError& error);
};
