#include "CollectionStore.h"

#include "CollectionFile.h"
#include "CollectionProblems.h"
#include "CollectionSchema.h"
#include "SqliteTransaction.h"
#include "platform/UserFolders.h"

#include <sqlite3.h>

namespace
{
    using Outcome = CollectionStore::OpenResult::Outcome;

    CollectionProblem problemWith (CollectionProblem::Kind kind, const juce::String& detail, const juce::File& file)
    {
        CollectionProblem problem;
        problem.kind = kind;
        problem.detail = detail;
        problem.file = file;
        return problem;
    }

    // How long a write waits for another copy of the program to finish its own.
    constexpr int busyTimeoutMs = 10000;

    // Two copies making a new collection at once both switch it to WAL, and
    // SQLite answers the later switch "busy" at once, without waiting as the
    // busy timeout has every other statement wait: so it is asked again.
    void useWriteAheadLog (SqliteDatabase& db)
    {
        const auto giveUp = juce::Time::getMillisecondCounter() + (juce::uint32) busyTimeoutMs;

        for (;;)
        {
            try
            {
                db.exec ("PRAGMA journal_mode = WAL");
                break;
            }
            catch (const SqliteError& error)
            {
                if (error.primaryCode() != SQLITE_BUSY || juce::Time::getMillisecondCounter() > giveUp)
                    throw;

                juce::Thread::sleep (20);
            }
        }

        db.exec ("PRAGMA synchronous = NORMAL");
    }

    void quickCheck (SqliteDatabase& db)
    {
        SqliteStatement check (db.get(), "PRAGMA quick_check (1)");

        if (check.next() && check.getText (0) != "ok")
            throw SqliteError (SQLITE_CORRUPT, 0, CollectionProblems::oneLine (check.getText (0)));
    }
}

juce::File CollectionStore::defaultFile()
{
    return UserFolders::data().getChildFile ("collection.db");
}

CollectionStore::CollectionStore (const juce::File& fileToUse, std::unique_ptr<SqliteDatabase> database)
    : file (fileToUse), db (std::move (database)), writer (*db, file), reader (*db, file), userData (*db, file)
{
}

CollectionStore::~CollectionStore() = default;

CollectionStore::OpenResult CollectionStore::open (const juce::File& file, Mode mode)
{
    using Access = SqliteDatabase::Access;
    using Says = CollectionSchema::Header::Says;
    using Kind = CollectionProblem::Kind;

    OpenResult result;
    const bool writing = mode == Mode::readWrite || mode == Mode::readWriteChecked;

    const auto fail = [&result] (const CollectionProblem& problem)
    {
        result.outcome = Outcome::failed;
        result.store = nullptr;
        result.problem = problem;
        return std::move (result);
    };

    for (int attempt = 0; attempt < 2; ++attempt)
    {
        CollectionFile target (file, writing);

        if (target.getProblem().failed())
            return fail (target.getProblem());

        if (! target.exists())
            return fail (problemWith (Kind::cannotOpen, "no such file", file));

        CollectionProblem damage;

        // Looked at through a read-only connection before anything is written:
        // a log is read but not played into the file, and where there is none,
        // no file is made at all.
        try
        {
            const auto readsBeside = target.hasLog() || target.hasJournal();
            auto look = std::make_unique<SqliteDatabase> (target.getPathForSqlite(), readsBeside ? Access::readOnly : Access::readOnlyAsItIs);
            look->exec (("PRAGMA busy_timeout = " + juce::String (busyTimeoutMs)).toRawUTF8());
            const auto found = CollectionSchema::inspect (*look);
            const auto version = CollectionSchema::version (*look);

            if (found == CollectionSchema::Found::foreign)
                return fail (problemWith (Kind::notCollection, "is another program's database, not a collection", file));

            if (found == CollectionSchema::Found::ours && version > CollectionSchema::current)
                return fail (problemWith (Kind::newerSchema, "schema version " + juce::String (version), file));

            if (found == CollectionSchema::Found::ours && version < 1)
                throw SqliteError (SQLITE_CORRUPT, 0, "no schema version");

            if (mode == Mode::readWriteChecked && found == CollectionSchema::Found::ours)
                quickCheck (*look);

            if (! writing)
            {
                // The reader beside a writer follows its log as it grows.
                if (mode == Mode::read && ! target.hasLog())
                    look = std::make_unique<SqliteDatabase> (target.getPathForSqlite(), Access::readOnly);

                result.outcome = Outcome::opened;
                result.fromVersion = version;
                result.store.reset (new CollectionStore (file, std::move (look)));
                return result;
            }
        }
        catch (const SqliteError& error)
        {
            // A journal left by a write that was cut off is undone by the next writer, as SQLite always does.
            if (error.code == SQLITE_READONLY_ROLLBACK && ! writing)
                return fail (problemWith (Kind::other, "holds a write that was cut off (its -journal); the next command that writes to it undoes it", file));

            if (error.code != SQLITE_READONLY_ROLLBACK)
            {
                if (! CollectionProblems::isDamage (error))
                    return fail (CollectionProblems::of (error, file));

                damage = CollectionProblems::of (error, file);
            }
        }

        if (! damage.failed())
        {
            try
            {
                auto db = std::make_unique<SqliteDatabase> (target.getPathForSqlite());
                db->exec (("PRAGMA busy_timeout = " + juce::String (busyTimeoutMs) + "; PRAGMA foreign_keys = ON").toRawUTF8());
                useWriteAheadLog (*db);

                // Read again inside the transaction: another copy may have made the file meanwhile.
                SqliteTransaction transaction (*db);
                const auto found = CollectionSchema::inspect (*db);
                const auto version = CollectionSchema::version (*db);

                if (found == CollectionSchema::Found::foreign)
                    return fail (problemWith (Kind::notCollection, "is another program's database, not a collection", file));

                if (found == CollectionSchema::Found::empty)
                {
                    CollectionSchema::create (*db);
                    result.outcome = Outcome::created;
                }
                else if (version > CollectionSchema::current)
                {
                    return fail (problemWith (Kind::newerSchema, "schema version " + juce::String (version), file));
                }
                else if (version < CollectionSchema::current)
                {
                    if (version < 1)
                        throw SqliteError (SQLITE_CORRUPT, 0, "no schema version");

                    CollectionSchema::migrate (*db, version);
                    result.outcome = Outcome::migrated;
                    result.fromVersion = version;
                }
                else
                {
                    result.outcome = Outcome::opened;
                }

                transaction.commit();
                result.store.reset (new CollectionStore (file, std::move (db)));

                if (result.movedAside != juce::File())
                    result.outcome = Outcome::replaced;

                return result;
            }
            catch (const SqliteError& error)
            {
                if (! CollectionProblems::isDamage (error))
                    return fail (CollectionProblems::of (error, file));

                damage = CollectionProblems::of (error, file);
            }
        }

        if (! writing || attempt > 0)
            return fail (damage);

        // Only a file whose header names it ours is moved aside; any other is left where it is.
        if (target.getHeader().says != Says::ours)
            return fail (problemWith (Kind::notCollection, "is a damaged database not marked as a collection (" + damage.detail + ")", file));

        result.movedAside = target.moveAside();

        if (result.movedAside == juce::File())
        {
            damage.detail << " (and it cannot be moved aside)";
            return fail (damage);
        }

        result.outcome = Outcome::replaced;
        result.problem = damage;
    }

    return result;
}

std::unique_ptr<CollectionStore> CollectionStore::empty()
{
    auto db = std::make_unique<SqliteDatabase> (juce::File(), SqliteDatabase::Access::inMemory);
    CollectionSchema::create (*db);
    return std::unique_ptr<CollectionStore> (new CollectionStore ({}, std::move (db)));
}

CollectionCheck CollectionStore::check()
{
    const SqliteDatabase::ResetOnExit reset { *db };
    CollectionCheck result;

    try
    {
        result.schemaVersion = CollectionSchema::version (*db);

        SqliteStatement integrity (db->get(), "PRAGMA integrity_check (20)");
        while (integrity.next())
            if (integrity.getText (0) != "ok")
                result.problems.add (CollectionProblems::oneLine (integrity.getText (0)));

        SqliteStatement keys (db->get(), "PRAGMA foreign_key_check");
        while (keys.next())
            result.problems.add ("row " + juce::String (keys.getInt64 (1)) + " of " + keys.getText (0) + " refers to a missing "
                                 + keys.getText (2));

        if (CollectionSchema::inspect (*db) != CollectionSchema::Found::ours)
            result.problems.add ("not a VeskEdit collection");
        else if (result.schemaVersion != CollectionSchema::current)
            result.problems.add ("schema version " + juce::String (result.schemaVersion) + ", not " + juce::String (CollectionSchema::current));
        else
            for (const auto& part : CollectionSchema::missingParts (*db))
                result.problems.add ("missing " + part);

        if (result.problems.isEmpty())
        {
            result.patterns = (int) db->queryInt ("SELECT count(*) FROM patterns");
            result.sightings = (int) db->queryInt ("SELECT count(*) FROM sightings");
        }
    }
    catch (const SqliteError& error)
    {
        result.problems.add (CollectionProblems::oneLine (error.message));
    }

    result.ok = result.problems.isEmpty();
    return result;
}

int CollectionStore::size()
{
    try
    {
        return (int) db->queryInt ("SELECT count(*) FROM patterns");
    }
    catch (const SqliteError&)
    {
        return 0;
    }
}

//==============================================================================
CollectionStore::Transaction::Transaction (CollectionStore& storeToUse) : store (storeToUse)
{
    // What the log holds goes into the file first, so that all it holds
    // after a failure is the failed write, and it can then be emptied.
    try
    {
        store.db->exec ("PRAGMA wal_checkpoint (PASSIVE)");
    }
    catch (const SqliteError&)
    {
        // Another connection's checkpoint is under way: it does the same.
    }

    logSizeBefore = logFile().getSize();

    try
    {
        transaction = std::make_unique<SqliteTransaction> (*store.db);
    }
    catch (const SqliteError& error)
    {
        problem = CollectionProblems::of (error, store.file);
    }
}

CollectionStore::Transaction::~Transaction()
{
    if (transaction == nullptr)
        return;

    transaction = nullptr;

    // Only a write that went into the log leaves pages to take out of it.
    const auto logSize = logFile().getSize();

    if (logSize > logSizeBefore || logSize > SqliteDatabase::maxLogBytes)
        store.db->emptyLog (store.file);
}

juce::File CollectionStore::Transaction::logFile() const
{
    return store.file.getSiblingFile (store.file.getFileName() + "-wal");
}

bool CollectionStore::Transaction::commit()
{
    if (transaction == nullptr)
        return false;

    try
    {
        transaction->commit();
        transaction = nullptr;
        store.writer.refreshStatistics();
        return true;
    }
    catch (const SqliteError& error)
    {
        problem = CollectionProblems::of (error, store.file);
        return false;
    }
}
