#include "CollectionStore.h"

#include "CollectionFingerprint.h"
#include "CollectionProblems.h"
#include "CollectionSchema.h"
#include "CollectionSearchIndex.h"
#include "SqliteTransaction.h"

#include <fcntl.h>
#include <map>
#include <set>
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

    void quickCheck (SqliteDatabase& db)
    {
        SqliteStatement check (db.get(), "PRAGMA quick_check (1)");

        if (check.next() && check.getText (0) != "ok")
            throw SqliteError (11 /* SQLITE_CORRUPT */, 0, check.getText (0));
    }

    juce::String firstName (const CollectionSighting& sighting)
    {
        const auto place = sighting.sourcePath.isNotEmpty()
                               ? juce::File::createFileWithoutCheckingPath (sighting.sourcePath).getFileNameWithoutExtension()
                               : juce::String ("Unit");
        return place + " " + sighting.slot.name();
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
    : file (fileToUse), db (std::move (database)), reader (*db, file), userData (*db, file)
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
            db->exec ("PRAGMA busy_timeout = 10000; PRAGMA foreign_keys = ON");

            // Another program's file is told before anything is written to it.
            if (CollectionSchema::inspect (*db) == CollectionSchema::Found::foreign)
                throw ForeignFile();

            if (! inspecting)
            {
                db->exec ("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL");
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

CollectionAddReport CollectionStore::add (const std::vector<CollectionSighting>& sightings)
{
    CollectionAddReport report;

    try
    {
        SqliteTransaction transaction (*db);
        std::map<std::pair<int, juce::String>, juce::int64> sources;
        std::set<juce::int64> touched, reindex;

        for (const auto& sighting : sightings)
        {
            if (! sighting.slot.isPattern())
                continue;

            const auto hash = CollectionFingerprint::hash (sighting.bytes);
            const auto time = sighting.timeMs;
            juce::int64 pattern = 0;
            bool isNew = false;

            auto& find = db->cached ("SELECT id FROM patterns WHERE hash = ?");
            find.bindBlob (1, hash.data(), hash.size());

            if (find.next())
            {
                pattern = find.getInt64 (0);
            }
            else
            {
                const auto* bytes = sighting.bytes.data();
                const auto name = firstName (sighting);
                db->cached ("INSERT INTO patterns (hash, bytes, play, onsets, type, tone, tempo, bars, steps_per_bar, name, first_name, first_seen, last_seen) "
                            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                    .bindBlob (1, hash.data(), hash.size())
                    .bindBlob (2, bytes, sighting.bytes.size())
                    .bind (3, CollectionFingerprint::play (sighting.bytes))
                    .bind (4, (juce::int64) CollectionFingerprint::onsets (sighting.bytes))
                    .bind (5, (int) bytes[VeskImage::Pattern::type])
                    .bind (6, (int) bytes[VeskImage::Pattern::toneOrKit])
                    .bind (7, VeskImage::Pattern::tempo (bytes))
                    .bind (8, bytes[VeskImage::Pattern::patternLength] + 1)
                    .bind (9, bytes[VeskImage::Pattern::stepsPerBar] != 0 ? 16 : 12)
                    .bind (10, name)
                    .bind (11, name)
                    .bind (12, time)
                    .bind (13, time)
                    .run();
                pattern = db->lastInsertRowId();
                CollectionSearchIndex::insertNew (*db, pattern, name, CollectionSearchIndex::sourceName (sighting.sourcePath));
                isNew = true;
            }

            if (touched.insert (pattern).second)
                ++(isNew ? report.added : report.alreadyThere);

            const auto sourceKey = std::make_pair ((int) sighting.source, sighting.sourcePath);
            auto sourceIt = sources.find (sourceKey);

            if (sourceIt == sources.end())
            {
                db->cached ("INSERT OR IGNORE INTO sources (kind, path) VALUES (?, ?)").bind (1, sourceKey.first).bind (2, sourceKey.second).run();
                auto& sourceRow = db->cached ("SELECT id FROM sources WHERE kind = ? AND path = ?");
                sourceRow.bind (1, sourceKey.first).bind (2, sourceKey.second);
                sourceRow.next();
                sourceIt = sources.emplace (sourceKey, sourceRow.getInt64 (0)).first;
            }

            const auto source = sourceIt->second;
            const auto slot = sighting.slot.index();

            // A slot seen again holding what it held last is one longer sighting.
            auto& latest = db->cached ("SELECT id, pattern FROM sightings WHERE source = ? AND slot = ? ORDER BY first_time DESC, id DESC LIMIT 1");
            latest.bind (1, source).bind (2, slot);

            if (latest.next() && latest.getInt64 (1) == pattern)
            {
                db->cached ("UPDATE sightings SET first_time = min (first_time, ?1), last_time = max (last_time, ?1) WHERE id = ?2")
                    .bind (1, time)
                    .bind (2, latest.getInt64 (0))
                    .run();
                db->cached ("UPDATE patterns SET last_seen = max (last_seen, ?1) WHERE id = ?2").bind (1, time).bind (2, pattern).run();
                continue;
            }

            auto& seenThere = db->cached ("SELECT 1 FROM sightings WHERE pattern = ? AND source = ? LIMIT 1");
            seenThere.bind (1, pattern).bind (2, source);
            const bool newSource = ! seenThere.next();

            db->cached ("INSERT INTO sightings (pattern, source, slot, first_time, last_time) VALUES (?1, ?2, ?3, ?4, ?4)")
                .bind (1, pattern)
                .bind (2, source)
                .bind (3, slot)
                .bind (4, time)
                .run();
            db->cached ("UPDATE patterns SET seen = seen + 1, first_seen = min (first_seen, ?1), last_seen = max (last_seen, ?1) WHERE id = ?2")
                .bind (1, time)
                .bind (2, pattern)
                .run();
            ++report.sightings;

            // A new pattern's row already names its first source.
            if (newSource && ! isNew)
                reindex.insert (pattern);
        }

        for (auto pattern : reindex)
            CollectionSearchIndex::update (*db, pattern);

        transaction.commit();

        if (report.added > 0)
            refreshStatistics();
    }
    catch (const SqliteError& error)
    {
        report = {};
        report.problem = CollectionProblems::of (error, file);
    }

    return report;
}

void CollectionStore::refreshStatistics()
{
    // The planner needs to know that a filter such as the bars keeps half of
    // all patterns, or it sorts that half instead of walking the sort's
    // index. Sampled, and again only when the collection has doubled.
    try
    {
        const auto hasStatistics = db->queryInt ("SELECT count(*) FROM sqlite_master WHERE name = 'sqlite_stat1'") > 0;
        const auto known = hasStatistics ? db->queryInt ("SELECT CAST (stat AS INTEGER) FROM sqlite_stat1 WHERE tbl = 'patterns' LIMIT 1") : 0;
        const auto now = db->queryInt ("SELECT max (id) FROM patterns");

        if (now >= 200 && now >= 2 * known)
            db->exec ("PRAGMA analysis_limit = 1000; ANALYZE patterns; ANALYZE tags; ANALYZE user_data");
    }
    catch (const SqliteError&)
    {
        // Only a plan's speed depends on it.
    }
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
