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
    explicit SqliteTransaction (SqliteDatabase& database) : db (database) { db.exec ("BEGIN IMMEDIATE"); }

    ~SqliteTransaction()
    {
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
        db.exec ("COMMIT");
        committed = true;
    }

private:
    SqliteDatabase& db;
    bool committed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SqliteTransaction)
};
