#include "CollectionSightingWriter.h"

#include "CollectionFingerprint.h"
#include "CollectionProblems.h"
#include "CollectionSearchIndex.h"
#include "SqliteTransaction.h"

#include <map>
#include <set>

namespace
{
    juce::String firstName (const CollectionSighting& sighting)
    {
        if (sighting.sourcePath.isEmpty())
            return "Unit " + sighting.slot.name();

        // The file's name without its extension, after either slash where the system takes both (Windows).
        const auto& path = sighting.sourcePath;
        const auto name = path.substring (juce::jmax (path.lastIndexOfChar ('/'), path.lastIndexOfChar (juce::File::getSeparatorChar())) + 1);
        const auto dot = name.lastIndexOfChar ('.');
        return (dot > 0 ? name.substring (0, dot) : name) + " " + sighting.slot.name();
    }
}

CollectionSightingWriter::CollectionSightingWriter (SqliteDatabase& database, const juce::File& fileToUse)
    : db (database), file (fileToUse)
{
    // A log that once grew large (a big folder added while the window held
    // the file open) is cut back when it is begun again.
    try
    {
        db.exec (("PRAGMA journal_size_limit = " + juce::String (SqliteDatabase::maxLogBytes)).toRawUTF8());
    }
    catch (const SqliteError&)
    {
        // Only the log's size depends on it.
    }
}

CollectionAddReport CollectionSightingWriter::add (const std::vector<CollectionSighting>& sightings)
{
    CollectionAddReport report;

    try
    {
        SqliteTransaction transaction (db);
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

            auto& find = db.cached ("SELECT id FROM patterns WHERE hash = ?");
            find.bindBlob (1, hash.data(), hash.size());

            if (find.next())
            {
                pattern = find.getInt64 (0);
            }
            else
            {
                const auto* bytes = sighting.bytes.data();
                const VeskPattern record (sighting.bytes);
                const auto name = firstName (sighting);
                db.cached ("INSERT INTO patterns (hash, bytes, play, onsets, type, tone, tempo, bars, steps_per_bar, name, first_name, first_seen, last_seen) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                    .bindBlob (1, hash.data(), hash.size())
                    .bindBlob (2, bytes, sighting.bytes.size())
                    .bind (3, CollectionFingerprint::play (sighting.bytes))
                    .bind (4, (juce::int64) CollectionFingerprint::onsets (sighting.bytes))
                    .bind (5, record.type())
                    .bind (6, (int) bytes[VeskImage::Pattern::toneOrKit])
                    .bind (7, record.tempo())
                    .bind (8, record.bars())
                    .bind (9, record.stepsPerBar())
                    .bind (10, name)
                    .bind (11, name)
                    .bind (12, time)
                    .bind (13, time)
                    .run();
                pattern = db.lastInsertRowId();
                CollectionSearchIndex::insertNew (db, pattern, name, CollectionSearchIndex::sourceName (sighting.sourcePath), bytes[VeskImage::Pattern::type],
                                                  bytes[VeskImage::Pattern::toneOrKit]);
                isNew = true;
            }

            if (touched.insert (pattern).second)
            {
                ++(isNew ? report.added : report.alreadyThere);
                (isNew ? report.addedRows : report.heldRows).push_back (pattern);
            }

            const auto sourceKey = std::make_pair ((int) sighting.source, sighting.sourcePath);
            auto sourceIt = sources.find (sourceKey);

            if (sourceIt == sources.end())
            {
                db.cached ("INSERT OR IGNORE INTO sources (kind, path) VALUES (?, ?)").bind (1, sourceKey.first).bind (2, sourceKey.second).run();
                auto& sourceRow = db.cached ("SELECT id FROM sources WHERE kind = ? AND path = ?");
                sourceRow.bind (1, sourceKey.first).bind (2, sourceKey.second);
                sourceRow.next();
                sourceIt = sources.emplace (sourceKey, sourceRow.getInt64 (0)).first;
            }

            const auto source = sourceIt->second;
            const auto slot = sighting.slot.index();

            // A slot seen again holding what it held last is one longer sighting.
            auto& latest = db.cached ("SELECT id, pattern FROM sightings WHERE source = ? AND slot = ? ORDER BY first_time DESC, id DESC LIMIT 1");
            latest.bind (1, source).bind (2, slot);

            if (latest.next() && latest.getInt64 (1) == pattern)
            {
                db.cached ("UPDATE sightings SET first_time = min (first_time, ?1), last_time = max (last_time, ?1) WHERE id = ?2")
                    .bind (1, time)
                    .bind (2, latest.getInt64 (0))
                    .run();
                db.cached ("UPDATE patterns SET last_seen = max (last_seen, ?1) WHERE id = ?2").bind (1, time).bind (2, pattern).run();
                continue;
            }

            auto& seenThere = db.cached ("SELECT 1 FROM sightings WHERE pattern = ? AND source = ? LIMIT 1");
            seenThere.bind (1, pattern).bind (2, source);
            const bool newSource = ! seenThere.next();

            db.cached ("INSERT INTO sightings (pattern, source, slot, first_time, last_time) VALUES (?1, ?2, ?3, ?4, ?4)")
                .bind (1, pattern)
                .bind (2, source)
                .bind (3, slot)
                .bind (4, time)
                .run();
            db.cached ("UPDATE patterns SET seen = seen + 1, first_seen = min (first_seen, ?1), last_seen = max (last_seen, ?1) WHERE id = ?2")
                .bind (1, time)
                .bind (2, pattern)
                .run();
            ++report.sightings;

            // A new pattern's row already names its first source.
            if (newSource && ! isNew)
                reindex.insert (pattern);
        }

        for (auto pattern : reindex)
            CollectionSearchIndex::update (db, pattern);

        transaction.commit();

        // Within a larger transaction, its end refreshes them.
        if (report.added > 0 && ! transaction.isNested())
            refreshStatistics();
    }
    catch (const SqliteError& error)
    {
        report = {};
        report.problem = CollectionProblems::of (error, file);

        if (report.problem.kind == CollectionProblem::Kind::diskFull)
            db.emptyLog (file);
    }

    return report;
}

void CollectionSightingWriter::refreshStatistics()
{
    // The planner needs to know that a filter such as the bars keeps half of
    // all patterns, or it sorts that half instead of walking the sort's
    // index. Sampled, and again only when the collection has doubled.
    try
    {
        const auto hasStatistics = db.queryInt ("SELECT count(*) FROM sqlite_master WHERE name = 'sqlite_stat1'") > 0;
        const auto known = hasStatistics ? db.queryInt ("SELECT CAST (stat AS INTEGER) FROM sqlite_stat1 WHERE tbl = 'patterns' LIMIT 1") : 0;
        const auto now = db.queryInt ("SELECT max (id) FROM patterns");

        if (now >= 200 && now >= 2 * known)
            db.exec ("PRAGMA analysis_limit = 1000; ANALYZE patterns; ANALYZE tags; ANALYZE user_data");
    }
    catch (const SqliteError&)
    {
        // Only a plan's speed depends on it.
    }
}
