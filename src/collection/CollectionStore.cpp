#include "CollectionStore.h"

#include "CollectionProblems.h"
#include "CollectionSchema.h"
#include "SqliteTransaction.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    using Outcome = CollectionStore::OpenResult::Outcome;

    struct ForeignFile
    {
    };

    CollectionProblem problemWith (CollectionProblem::Kind kind, const juce::String& detail, const juce::File& file)
    {
        CollectionProblem problem;
        problem.kind = kind;
        problem.detail = detail;
        problem.file = file;
        return problem;
    }

    // Made empty with mode 0600 before SQLite opens it, since SQLite would
    // make it with the umask's bits; the -wal and -shm files take its mode.
    bool makeFile (const juce::File& file, juce::String& problem)
    {
        const auto parent = file.getParentDirectory();

        if (! parent.isDirectory())
        {
            if (! parent.createDirectory())
            {
                problem = "cannot make the folder " + parent.getFullPathName();
                return false;
            }

            ::chmod (parent.getFullPathName().toRawUTF8(), 0700);
        }

        const auto fd = ::open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);

        if (fd >= 0)
            ::close (fd);
        else if (errno != EEXIST)
        {
            problem = juce::String (std::strerror (errno));
            return false;
        }

        return true;
    }

    // Never replaces anything: a hard link is made under the new name first.
    bool moveWithoutReplacing (const juce::File& from, const juce::File& to)
    {
        const auto source = from.getFullPathName().toRawUTF8();
        const auto target = to.getFullPathName().toRawUTF8();

        if (::link (source, target) == 0)
            return ::unlink (source) == 0;

        return errno != EEXIST && ! to.exists() && ::rename (source, target) == 0;
    }

    juce::File moveAside (const juce::File& file)
    {
        const auto stamp = juce::Time::getCurrentTime().formatted ("%Y%m%d-%H%M%S");

        for (int attempt = 1; attempt < 100; ++attempt)
        {
            const auto name = file.getFileName() + ".damaged-" + stamp + (attempt > 1 ? "-" + juce::String (attempt) : juce::String());
            const auto aside = file.getSiblingFile (name);

            if (aside.exists() || ! moveWithoutReplacing (file, aside))
                continue;

            // The log holds the file's latest pages: it goes with it, or SQLite
            // would play it into the new file.
            for (const auto* suffix : { "-wal", "-shm" })
            {
                const auto companion = file.getSiblingFile (file.getFileName() + suffix);

                if (companion.exists())
                    moveWithoutReplacing (companion, aside.getSiblingFile (aside.getFileName() + suffix));
            }

            return aside;
        }

        return {};
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
                if (error.primaryCode() != 5 /* SQLITE_BUSY */ || juce::Time::getMillisecondCounter() > giveUp)
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
            throw SqliteError (11 /* SQLITE_CORRUPT */, 0, check.getText (0));
    }
}

juce::File CollectionStore::defaultFile()
{
    const auto dataHome = juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", {});
    const auto base = juce::File::isAbsolutePath (dataHome)
                          ? juce::File (dataHome)
                          : juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".local/share");
    return base.getChildFile ("VeskEdit").getChildFile ("collection.db");
}

CollectionStore::CollectionStore (const juce::File& fileToUse, std::unique_ptr<SqliteDatabase> database)
    : file (fileToUse), db (std::move (database)), writer (*db, file), reader (*db, file), userData (*db, file)
{
}

CollectionStore::~CollectionStore() = default;

CollectionStore::OpenResult CollectionStore::open (const juce::File& file, Mode mode)
{
    OpenResult result;
    const bool inspecting = mode == Mode::inspect;

    for (int attempt = 0; attempt < 2; ++attempt)
    {
        juce::String makeProblem;

        if (inspecting ? ! file.existsAsFile() : ! makeFile (file, makeProblem))
        {
            result.outcome = Outcome::failed;
            result.problem = problemWith (CollectionProblem::Kind::cannotOpen,
                                          inspecting ? juce::String ("no such file") : makeProblem,
                                          file);
            return result;
        }

        std::unique_ptr<SqliteDatabase> db;
        CollectionProblem damage;

        try
        {
            db = std::make_unique<SqliteDatabase> (file);
            db->exec (("PRAGMA busy_timeout = " + juce::String (busyTimeoutMs) + "; PRAGMA foreign_keys = ON").toRawUTF8());

            // Another program's file is told before anything is written to it.
            if (CollectionSchema::inspect (*db) == CollectionSchema::Found::foreign)
                throw ForeignFile();

            if (! inspecting)
            {
                useWriteAheadLog (*db);
                quickCheck (*db);
            }

            SqliteTransaction transaction (*db, ! inspecting);
            const auto found = CollectionSchema::inspect (*db);
            const auto version = CollectionSchema::version (*db);

            if (found == CollectionSchema::Found::foreign)
                throw ForeignFile();

            if (found == CollectionSchema::Found::ours && version > CollectionSchema::current)
            {
                result.outcome = Outcome::failed;
                result.problem = problemWith (CollectionProblem::Kind::newerSchema,
                                              "schema version " + juce::String (version),
                                              file);
                return result;
            }

            if (! inspecting)
            {
                if (found == CollectionSchema::Found::empty)
                {
                    CollectionSchema::create (*db);
                    result.outcome = Outcome::created;
                }
                else if (version < CollectionSchema::current)
                {
                    if (version < 1)
                        throw SqliteError (11 /* SQLITE_CORRUPT */, 0, "no schema version");

                    CollectionSchema::migrate (*db, version);
                    result.outcome = Outcome::migrated;
                    result.fromVersion = version;
                }
                else
                {
                    result.outcome = Outcome::opened;
                }
            }
            else
            {
                result.outcome = Outcome::opened;
                result.fromVersion = version;
            }

            transaction.commit();
            result.store.reset (new CollectionStore (file, std::move (db)));

            if (result.movedAside != juce::File())
                result.outcome = Outcome::replaced;

            return result;
        }
        catch (const ForeignFile&)
        {
            damage = problemWith (CollectionProblem::Kind::damaged, "not a VeskEdit collection", file);
        }
        catch (const SqliteError& error)
        {
            if (! CollectionProblems::isDamage (error))
            {
                result.outcome = Outcome::failed;
                result.problem = CollectionProblems::of (error, file);
                return result;
            }

            damage = CollectionProblems::of (error, file);
        }

        db.reset();

        if (inspecting || attempt > 0)
        {
            result.outcome = Outcome::failed;
            result.problem = damage;
            return result;
        }

        result.movedAside = moveAside (file);

        if (result.movedAside == juce::File())
        {
            result.outcome = Outcome::failed;
            result.problem = damage;
            result.problem.detail << " (and it cannot be moved aside)";
            return result;
        }

        result.outcome = Outcome::replaced;
        result.problem = damage;
    }

    return result;
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
                result.problems.add (integrity.getText (0));

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
        result.problems.add (error.message);
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
