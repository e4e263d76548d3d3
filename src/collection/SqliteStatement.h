#pragma once

#include "SqliteError.h"

#include <juce_core/juce_core.h>

struct sqlite3;
struct sqlite3_stmt;

/**
    One prepared statement. Binding counts from 1, columns from 0, as SQLite
    does. Every failure throws SqliteError.
*/
class SqliteStatement
{
public:
    SqliteStatement (sqlite3* database, const char* sql);
    ~SqliteStatement();

    SqliteStatement& bind (int index, juce::int64 value);
    SqliteStatement& bind (int index, int value) { return bind (index, (juce::int64) value); }
    SqliteStatement& bind (int index, const juce::String& text);
    SqliteStatement& bindBlob (int index, const void* data, size_t size);
    SqliteStatement& bindNull (int index);

    /** Runs to the next row: true while there is one. */
    bool next();

    /** Runs a statement that gives no rows. */
    void run();

    /** Back to the start, bindings cleared, so a cached statement is fresh. */
    void reset();

    juce::int64 getInt64 (int column) const;
    int getInt (int column) const { return (int) getInt64 (column); }
    juce::String getText (int column) const;
    const void* getBlob (int column, size_t& size) const;
    bool isNull (int column) const;

private:
    void check (int result) const;

    sqlite3* db;
    sqlite3_stmt* statement = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SqliteStatement)
};
