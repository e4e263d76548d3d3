#pragma once

#include "SqliteDatabase.h"

/**
    BEGIN IMMEDIATE ... COMMIT, rolled back unless committed. Immediate, so
    that a second writer waits (busy timeout) at the start instead of failing
    when it would upgrade a read to a write.

    Within another one on the same connection it is a savepoint: committed,
    it becomes part of the outer transaction, kept or rolled back with it.
*/
class SqliteTransaction
{
public:
    /** immediate false: a read-only look that takes no write lock (and works on a file that cannot be written). */
    explicit SqliteTransaction (SqliteDatabase& database, bool immediate = true)
        : db (database), nested (database.isInTransaction())
    {
        db.exec (nested ? "SAVEPOINT inner" : immediate ? "BEGIN IMMEDIATE"
                                                        : "BEGIN");
        ++db.openTransactions;
    }

    ~SqliteTransaction()
    {
        db.resetAll();

        if (! committed)
        {
            --db.openTransactions;

            try
            {
                db.exec (nested ? "ROLLBACK TO inner; RELEASE inner" : "ROLLBACK");
            }
            catch (const SqliteError&)
            {
                // SQLite has rolled back already when a write failed for a full disk.
            }
        }
    }

    void commit()
    {
        db.resetAll();
        db.exec (nested ? "RELEASE inner" : "COMMIT");
        committed = true;
        --db.openTransactions;
    }

    bool isNested() const noexcept { return nested; }

private:
    SqliteDatabase& db;
    const bool nested;
    bool committed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SqliteTransaction)
};
