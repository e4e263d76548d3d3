#pragma once

#include "SqliteDatabase.h"

/**
    BEGIN IMMEDIATE ... COMMIT, rolled back unless committed. Immediate, so
    that a second writer waits (busy timeout) at the start instead of failing
    when it would upgrade a read to a write.
*/
class SqliteTransaction
{
public:
    /** immediate false: a read-only look that takes no write lock (and works on a file that cannot be written). */
    explicit SqliteTransaction (SqliteDatabase& database, bool immediate = true) : db (database)
    {
        db.exec (immediate ? "BEGIN IMMEDIATE" : "BEGIN");
    }

    ~SqliteTransaction()
    {
        db.resetAll();

        if (! committed)
        {
            try
            {
                db.exec ("ROLLBACK");
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
        db.exec ("COMMIT");
        committed = true;
    }

private:
    SqliteDatabase& db;
    bool committed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SqliteTransaction)
};
