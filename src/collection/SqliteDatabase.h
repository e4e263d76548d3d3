#pragma once

#include "SqliteStatement.h"

#include <functional>
#include <map>
#include <memory>

/**
    One SQLite connection, closed with the object, with a cache of prepared
    statements so that a hot path prepares each of its statements once.
*/
class SqliteDatabase
{
public:
    /** Opens file read-write (never creating it: the caller makes it with
        the right permission bits first). Throws SqliteError. */
    explicit SqliteDatabase (const juce::File& file);
    ~SqliteDatabase();

    /** Runs one or more statements that give no rows. */
    void exec (const char* sql);

    /** A cached statement for sql (a string literal: its address is the
        key), reset and ready to bind. */
    SqliteStatement& cached (const char* sql);

    /** Resets every cached statement. A statement left on a row holds its
        read open, and an open read keeps the log from being checkpointed:
        every transaction and read ends with this. */
    void resetAll();

    /** Calls resetAll() when it goes out of scope. */
    struct ResetOnExit
    {
        SqliteDatabase& db;
        ~ResetOnExit() { db.resetAll(); }
    };

    /** While it lives, the connection's statements stop with SQLITE_INTERRUPT
        (thrown as SqliteError) once stop returns true. stop is asked every few
        hundred steps of SQLite's machine, on the connection's own thread. */
    class StopWhen
    {
    public:
        StopWhen (SqliteDatabase& database, std::function<bool()> stop);
        ~StopWhen();

    private:
        SqliteDatabase& db;
        std::function<bool()> stop;

        JUCE_DECLARE_NON_COPYABLE (StopWhen)
    };

    /** The first column of the first row of sql, or fallback if it gives none. */
    juce::int64 queryInt (const char* sql, juce::int64 fallback = 0);

    juce::int64 lastInsertRowId() const;
    int changes() const;

    sqlite3* get() const noexcept { return db; }

    /** Throws the connection's last error. */
    [[noreturn]] static void fail (sqlite3* database);

private:
    sqlite3* db = nullptr;
    std::map<const char*, std::unique_ptr<SqliteStatement>> statements;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SqliteDatabase)
};
