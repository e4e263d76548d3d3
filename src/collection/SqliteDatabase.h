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
    enum class Access
    {
        readWrite, // never creating the file: the caller makes it with the right permission bits first
        readOnly, // reads the log too, and makes a -shm beside it if there is none
        readOnlyAsItIs, // SQLite's "immutable": makes no file, reads no log; for a file without one
        inMemory // a new empty database of no file
    };

    /** Opens file, whose path must hold no link. Throws SqliteError. */
    explicit SqliteDatabase (const juce::File& file, Access access = Access::readWrite);
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

    /** Whether an SqliteTransaction is open on this connection (a further one is then a savepoint within it). */
    bool isInTransaction() const noexcept { return openTransactions > 0; }

    /** After a failed write, outside any transaction: the log keeps the
        failed write's pages past its end, and on a full disk they hold the
        room the next write needs, so the log of file is checkpointed and
        cut to nothing, as far as the disk allows. */
    void emptyLog (const juce::File& file);

    /** The size to which the log is cut back when it is begun again. */
    static constexpr int maxLogBytes = 1024 * 1024;

    /** Throws the connection's last error. */
    [[noreturn]] static void fail (sqlite3* database);

private:
    friend class SqliteTransaction;

    sqlite3* db = nullptr;
    int openTransactions = 0;
    std::map<const char*, std::unique_ptr<SqliteStatement>> statements;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SqliteDatabase)
};
