#include "CollectionTestSupport.h"

#include "ScopedTmpfs.h"
#include "collection/CollectionFingerprint.h"
#include "collection/CollectionSchema.h"

#include <sqlite3.h>

namespace
{
    using Outcome = CollectionStore::OpenResult::Outcome;
}

TEST (CollectionFaults, AFileThatIsNotACollectionIsRefusedAndLeftAsItIs)
{
    const auto withSqlite = [] (const char* sql)
    {
        return [sql] (const juce::File& file)
        {
            sqlite3* db = nullptr;
            sqlite3_open (file.getFullPathName().toRawUTF8(), &db);
            sqlite3_exec (db, sql, nullptr, nullptr, nullptr);
            sqlite3_close (db);
        };
    };

    const struct
    {
        const char* what;
        std::function<void (const juce::File&)> make;
        const char* said;
    } cases[] = {
        { "text", [] (const juce::File& f)
          { f.replaceWithText ("these are my notes, not a database\n"); },
          "is not a database" },
        { "a library", [] (const juce::File& f)
          { f.replaceWithText ("VSK" + juce::String::repeatedString ("\x01\r\n", 2000)); },
          "is a library file, not a collection" },
        { "a header cut short", [] (const juce::File& f)
          { f.replaceWithText ("SQLite format 3"); },
          "is not a database" },
        { "another program's database", withSqlite ("PRAGMA application_id = 7; CREATE TABLE presets (name TEXT)"), "another program's database" },
        { "another program's database without an id", withSqlite ("CREATE TABLE presets (name TEXT); INSERT INTO presets VALUES ('mine')"), "another program's database" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ScopedFolder folder;
        const auto file = folder.file ("collection.db");
        c.make (file);
        const auto before = bytesOf (file);
        EXPECT_FALSE (CollectionSchema::headerLooksSound (file));

        for (const auto mode : { CollectionStore::Mode::readWrite, CollectionStore::Mode::readWriteChecked, CollectionStore::Mode::check })
        {
            const auto opened = CollectionStore::open (file, mode);
            EXPECT_EQ (opened.outcome, Outcome::failed);
            EXPECT_EQ (opened.store, nullptr);
            EXPECT_EQ (opened.problem.kind, CollectionProblem::Kind::notCollection);
            EXPECT_TRUE (opened.problem.detail.contains (c.said)) << opened.problem.detail;
        }

        // Not renamed, not written, nothing made beside it.
        EXPECT_EQ (bytesOf (file), before);
        EXPECT_EQ (folder.folder.getNumberOfChildFiles (juce::File::findFiles), 1);
    }
}

TEST (CollectionFaults, ADamagedCollectionIsMovedAsideByteForByteWithItsLogAndANewOneStarted)
{
    // Pages in the middle overwritten: the header still says ours.
    const auto damage = [] (const juce::File& file, size_t at, size_t length)
    {
        juce::MemoryBlock data = bytesOf (file);
        ASSERT_GT (data.getSize(), at + length);
        std::memset (static_cast<char*> (data.getData()) + at, 0x5a, length);
        file.replaceWithData (data.getData(), data.getSize());
    };

    const auto collectionOf = [] (const juce::File& file, int patterns)
    {
        auto store = openStore (file);
        store->add (libraryOf (0, patterns, "/x/Big.vsk"));
    };

    const auto inRollbackMode = [] (const juce::File& file)
    {
        sqlite3* db = nullptr;
        sqlite3_open (file.getFullPathName().toRawUTF8(), &db);
        sqlite3_exec (db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
        sqlite3_close (db);
    };

    // A copy taken while a writer held it: its latest pages only in the -wal.
    const auto liveCopy = [&] (const juce::File& file)
    {
        ScopedFolder elsewhere;
        const auto original = elsewhere.file ("collection.db");
        collectionOf (original, 400);
        sqlite3* db = nullptr;
        sqlite3_open (original.getFullPathName().toRawUTF8(), &db);
        sqlite3_exec (db, "INSERT INTO sources (kind, path) VALUES (0, '/x/Later.vsk')", nullptr, nullptr, nullptr);
        original.copyFileTo (file);
        original.getSiblingFile ("collection.db-wal").copyFileTo (file.getSiblingFile ("collection.db-wal"));
        sqlite3_close (db);
    };

    const struct
    {
        const char* what;
        std::function<void (const juce::File&)> make;
        CollectionStore::Mode mode; // the plain open sees only what the first page shows
    } cases[] = {
        { "rollback journal, damaged pages", [&] (const juce::File& f)
          { collectionOf (f, 400); inRollbackMode (f); damage (f, 8192, 16384); },
          CollectionStore::Mode::readWriteChecked },
        { "a live log beside it, damaged pages", [&] (const juce::File& f)
          { liveCopy (f); damage (f, 8192, 16384); },
          CollectionStore::Mode::readWriteChecked },
        { "its table of tables damaged", [&] (const juce::File& f)
          { collectionOf (f, 40); inRollbackMode (f); damage (f, 100, 3000); },
          CollectionStore::Mode::readWrite },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ScopedFolder folder;
        const auto file = folder.file ("collection.db");
        const auto log = folder.file ("collection.db-wal");
        c.make (file);
        const auto before = bytesOf (file), logBefore = bytesOf (log);
        const auto hadLog = log.existsAsFile();

        // check reports it and leaves every byte be.
        {
            const auto inspected = CollectionStore::open (file, CollectionStore::Mode::check);
            if (inspected.store != nullptr)
            {
                const auto check = inspected.store->check();
                EXPECT_FALSE (check.ok);
                for (auto& problem : check.problems)
                    EXPECT_FALSE (problem.containsAnyOf ("\r\n")) << problem;
            }
            else
                EXPECT_EQ (inspected.problem.kind, CollectionProblem::Kind::damaged);
        }
        EXPECT_EQ (bytesOf (file), before);
        EXPECT_EQ (bytesOf (log), logBefore);

        // A read of a log makes the index beside it where none was (no byte of what was there changes).
        const auto hadIndex = folder.file ("collection.db-shm").exists();
        auto opened = CollectionStore::open (file, c.mode);
        ASSERT_EQ (opened.outcome, Outcome::replaced) << opened.problem.detail;
        ASSERT_NE (opened.store, nullptr);
        EXPECT_EQ (opened.problem.kind, CollectionProblem::Kind::damaged);
        EXPECT_FALSE (opened.problem.detail.containsAnyOf ("\r\n")) << opened.problem.detail;
        EXPECT_TRUE (opened.movedAside.getFileName().startsWith ("collection.db.damaged-"));
        EXPECT_EQ (bytesOf (opened.movedAside), before);
        const auto logAside = opened.movedAside.getSiblingFile (opened.movedAside.getFileName() + "-wal");
        EXPECT_EQ (logAside.existsAsFile(), hadLog);
        EXPECT_EQ (bytesOf (logAside), logBefore);
        EXPECT_EQ (opened.movedAside.getSiblingFile (opened.movedAside.getFileName() + "-shm").exists(), hadIndex);

        EXPECT_TRUE (opened.store->check().ok);
        EXPECT_EQ (opened.store->size(), 0);
        EXPECT_TRUE (opened.store->add (libraryOf (0, 3, "/x/A.vsk")).ok());
        EXPECT_TRUE (CollectionSchema::headerLooksSound (file)) << "the new one, its pages still in the log";
        opened.store = nullptr;
        EXPECT_TRUE (CollectionSchema::headerLooksSound (file)) << "the new one, closed";
    }
}

TEST (CollectionFaults, CheckChangesNoByteOfAnyFileEvenWithALiveLog)
{
    ScopedFolder folder;
    const auto file = folder.file ("collection.db"), log = folder.file ("collection.db-wal");
    openStore (file)->add (libraryOf (0, 21, "/m/A.vsk"));
    const auto closed = bytesOf (file);

    // Without a log: nothing is made beside it either.
    {
        const auto inspected = CollectionStore::open (file, CollectionStore::Mode::check);
        ASSERT_NE (inspected.store, nullptr) << inspected.problem.detail;
        EXPECT_TRUE (inspected.store->check().ok);
        EXPECT_EQ (folder.folder.getNumberOfChildFiles (juce::File::findFiles), 1);
    }
    EXPECT_EQ (bytesOf (file), closed);

    // A copy of a live collection: the latest patterns only in its log,
    // which check reads and neither plays into the file nor removes.
    {
        ScopedFolder elsewhere;
        const auto original = elsewhere.file ("collection.db");
        auto writer = openStore (original);
        writer->add (libraryOf (0, 21, "/m/A.vsk"));
        writer->add (libraryOf (100, 21, "/m/B.vsk"));
        ASSERT_TRUE (original.copyFileTo (file));
        ASSERT_TRUE (original.getSiblingFile ("collection.db-wal").copyFileTo (log));
    }

    const auto before = bytesOf (file), logBefore = bytesOf (log);
    ASSERT_GT (logBefore.getSize(), 0u);
    {
        const auto inspected = CollectionStore::open (file, CollectionStore::Mode::check);
        ASSERT_NE (inspected.store, nullptr) << inspected.problem.detail;
        const auto check = inspected.store->check();
        EXPECT_TRUE (check.ok) << check.problems.joinIntoString ("; ");
        EXPECT_EQ (check.patterns, 42);
    }
    EXPECT_EQ (bytesOf (file), before);
    EXPECT_EQ (bytesOf (log), logBefore);
}

// A copy taken in the middle of a write in a rollback journal: its pages half
// written, the journal holding what they were. Undone, as SQLite does, not
// taken for damage.
TEST (CollectionFaults, AWriteCutOffInItsJournalIsUndoneNotMovedAside)
{
    ScopedFolder folder, elsewhere;
    const auto original = elsewhere.file ("collection.db"), file = folder.file ("collection.db");
    openStore (original)->add (libraryOf (0, 400, "/x/Big.vsk"));

    sqlite3* db = nullptr;
    sqlite3_open (original.getFullPathName().toRawUTF8(), &db);
    sqlite3_exec (db, "PRAGMA journal_mode = DELETE; PRAGMA cache_size = 1; BEGIN; UPDATE patterns SET name = 'cut off'", nullptr, nullptr, nullptr);
    ASSERT_TRUE (original.copyFileTo (file));
    ASSERT_TRUE (original.getSiblingFile ("collection.db-journal").copyFileTo (folder.file ("collection.db-journal")));
    sqlite3_exec (db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close (db);

    const auto before = bytesOf (file);
    const auto checked = CollectionStore::open (file, CollectionStore::Mode::check);
    EXPECT_EQ (checked.store, nullptr);
    EXPECT_TRUE (checked.problem.detail.contains ("cut off")) << checked.problem.detail;
    EXPECT_EQ (bytesOf (file), before);

    auto opened = CollectionStore::open (file, CollectionStore::Mode::readWriteChecked);
    ASSERT_EQ (opened.outcome, Outcome::opened) << opened.problem.detail;
    EXPECT_EQ (opened.store->size(), 400);
    CollectionQuery query;
    query.text = "cut";
    EXPECT_EQ (opened.store->search (query).total, 0);
    EXPECT_TRUE (opened.store->check().ok);
    EXPECT_TRUE (folder.folder.findChildFiles (juce::File::findFiles, false, "*damaged*").isEmpty());
}

TEST (CollectionFaults, ACheckIsNotHeldUpByAWriter)
{
    ScopedFolder folder;
    const auto file = folder.file ("collection.db");
    auto writer = openStore (file);
    writer->add (libraryOf (0, 21, "/m/A.vsk"));

    // Another copy in the middle of a write holds the write lock.
    sqlite3* other = nullptr;
    ASSERT_EQ (sqlite3_open (file.getFullPathName().toRawUTF8(), &other), SQLITE_OK);
    ASSERT_EQ (sqlite3_exec (other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    const auto inspected = CollectionStore::open (file, CollectionStore::Mode::check);
    ASSERT_NE (inspected.store, nullptr) << inspected.problem.detail;
    const auto check = inspected.store->check();
    EXPECT_TRUE (check.ok);
    EXPECT_EQ (check.patterns, 21);

    sqlite3_exec (other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close (other);
}

TEST (CollectionFaults, ANewerSchemaIsLeftAlone)
{
    ScopedFolder folder;
    const auto file = folder.file ("collection.db");
    openStore (file).reset();

    // A later version in a rollback journal: not even switched to a log.
    sqlite3* db = nullptr;
    sqlite3_open (file.getFullPathName().toRawUTF8(), &db);
    sqlite3_exec (db, "PRAGMA journal_mode = DELETE; PRAGMA user_version = 9", nullptr, nullptr, nullptr);
    sqlite3_close (db);
    const auto before = bytesOf (file);

    EXPECT_FALSE (CollectionSchema::headerLooksSound (file));

    for (const auto mode : { CollectionStore::Mode::readWrite, CollectionStore::Mode::readWriteChecked, CollectionStore::Mode::check })
    {
        const auto opened = CollectionStore::open (file, mode);
        EXPECT_EQ (opened.outcome, Outcome::failed);
        EXPECT_EQ (opened.problem.kind, CollectionProblem::Kind::newerSchema);
    }

    EXPECT_EQ (bytesOf (file), before);
    EXPECT_EQ (folder.folder.getNumberOfChildFiles (juce::File::findFiles), 1);
}

TEST (CollectionFaults, AFileOfTheFirstSchemaIsMigratedWithItsData)
{
    ScopedFolder folder;
    const auto file = folder.file ("collection.db");
    const auto bytes = patternBytes (42);
    const auto hash = CollectionFingerprint::hash (bytes);

    {
        file.create();
        SqliteDatabase db (file);
        CollectionSchema::createVersion1 (db);
        db.cached ("INSERT INTO patterns VALUES (7, ?, ?, 2, 5, 1300, 1, 16, 'Set1 User 03', 1000, 3000)")
            .bindBlob (1, hash.data(), hash.size())
            .bindBlob (2, bytes.data(), bytes.size())
            .run();
        db.exec ("INSERT INTO sightings VALUES (1, 7, 0, '/m/Set1.vsk', 3, 1000);"
                 "INSERT INTO sightings VALUES (2, 7, 0, '/m/Set1.vsk', 3, 3000);"
                 "INSERT INTO user_data VALUES (7, 'Old Friend', 1, 9, 'from the first days', 'acid, deep ,,');");
    }

    auto opened = CollectionStore::open (file);
    ASSERT_EQ (opened.outcome, Outcome::migrated) << opened.problem.detail;
    EXPECT_EQ (opened.fromVersion, 1);
    auto& store = *opened.store;
    EXPECT_TRUE (store.check().ok) << store.check().problems.joinIntoString ("\n");

    const auto pattern = store.find (CollectionFingerprint::id (bytes)).pattern;
    ASSERT_TRUE (pattern.has_value());
    EXPECT_EQ (pattern->name, "Old Friend");
    EXPECT_EQ (pattern->tags, (juce::StringArray { "acid", "deep" }));
    EXPECT_TRUE (pattern->favourite);
    EXPECT_EQ (pattern->rating, 5); // what the old file held out of range is brought within it
    EXPECT_EQ (pattern->seen, 2);
    EXPECT_EQ (pattern->playId, CollectionFingerprint::playHex (CollectionFingerprint::play (bytes)));
    EXPECT_EQ (store.sightings (pattern->id).size(), 2u);

    // The search knows what the old file held.
    for (const auto* word : { "friend", "deep", "first", "set1", "bass" })
    {
        SCOPED_TRACE (word);
        CollectionQuery query;
        query.text = word;
        EXPECT_EQ (store.search (query).total, 1);
    }

    // And a second opening finds it current.
    opened.store.reset();
    EXPECT_EQ (CollectionStore::open (file).outcome, Outcome::opened);
}

TEST (CollectionFaults, ASecondSchemaFileHearsItsRythmPatternsAgain)
{
    // The second schema's build heard a Rythm pattern's "O " as a Tie, "OA"
    // as a Rest and the blank as an Accent; its fingerprints and onsets are
    // made again from the bytes, the rest of the file kept.
    ScopedFolder folder;
    const auto file = folder.file ("collection.db");
    namespace P = VeskImage::Pattern;

    auto drums = patternBytes (7), moreDrums = patternBytes (7);
    for (auto* bytes : { &drums, &moreDrums })
    {
        (*bytes)[P::type] = VeskImage::PartType::rythm;
        for (int s = 0; s < P::numSteps; ++s)
            (*bytes)[(size_t) (P::stepType + s)] = (juce::uint8) (s % 4 == 0 ? 4 : s % 4); // O, CA, OA, blank
    }
    moreDrums[P::toneOrKit] = 5;
    auto lead = patternBytes (8);

    {
        auto store = openStore (file);
        ASSERT_TRUE (store->add ({ sighting (drums, "/m/a.vsk", 1, 1), sighting (moreDrums, "/m/a.vsk", 2, 1), sighting (lead, "/m/a.vsk", 3, 1) }).ok());
        ASSERT_EQ (store->setName (CollectionFingerprint::id (drums), "Kept Name").outcome, CollectionEdit::Outcome::changed);
    }

    sqlite3* db = nullptr;
    sqlite3_open (file.getFullPathName().toRawUTF8(), &db);
    sqlite3_exec (db, "UPDATE patterns SET play = 1, onsets = CASE tone WHEN 5 THEN 1 ELSE 3 END WHERE type = 3;"
                      " PRAGMA user_version = 2",
                  nullptr, nullptr, nullptr);
    sqlite3_close (db);

    auto opened = CollectionStore::open (file);
    ASSERT_EQ (opened.outcome, Outcome::migrated) << opened.problem.detail;
    EXPECT_EQ (opened.fromVersion, 2);
    auto& store = *opened.store;
    EXPECT_TRUE (store.check().ok) << store.check().problems.joinIntoString ("\n");

    for (const auto* bytes : { &drums, &moreDrums, &lead })
    {
        const auto pattern = store.find (CollectionFingerprint::id (*bytes)).pattern;
        ASSERT_TRUE (pattern.has_value());
        EXPECT_EQ (pattern->playId, CollectionFingerprint::playHex (CollectionFingerprint::play (*bytes)));
    }

    EXPECT_EQ (store.find (CollectionFingerprint::id (drums)).pattern->name, "Kept Name");

    // The onsets follow: the other kit plays the same hits.
    const auto similar = store.similar (CollectionFingerprint::id (drums), 1);
    ASSERT_EQ (similar.size(), 1u);
    EXPECT_EQ (similar[0].pattern.id, CollectionFingerprint::id (moreDrums));
    EXPECT_EQ (similar[0].onsetDistance, 0);
    EXPECT_EQ (similar[0].rotation, 0);

    opened.store.reset();
    EXPECT_EQ (CollectionStore::open (file).outcome, Outcome::opened);
}

TEST (CollectionFaults, AThirdSchemaFileLearnsItsTypesAndTonesOnce)
{
    // The third schema's search knew names, tags, comments and sources but
    // not what the row's Type shows; its index is made again, nothing lost.
    ScopedFolder folder;
    const auto file = folder.file ("collection.db");
    namespace P = VeskImage::Pattern;

    auto bass = patternBytes (1), drums = patternBytes (2), lead = patternBytes (3);
    bass[P::type] = VeskImage::PartType::bass;
    bass[P::toneOrKit] = 6; // "07 - SAW Detune SAW 5 Ds1 Off"
    drums[P::type] = VeskImage::PartType::rythm;
    drums[P::toneOrKit] = 6; // "909 Synth"
    lead[P::type] = VeskImage::PartType::lead;
    lead[P::toneOrKit] = 0; // "01 - SAW 1 Ds1 Off"

    {
        auto store = openStore (file);
        ASSERT_TRUE (store->add ({ sighting (bass, "/m/a.vsk", 1, 1), sighting (drums, "/m/a.vsk", 2, 1), sighting (lead, "/m/b.vsk", 3, 1) }).ok());
        ASSERT_EQ (store->setName (CollectionFingerprint::id (bass), "Kept Name").outcome, CollectionEdit::Outcome::changed);
        ASSERT_EQ (store->addTags (CollectionFingerprint::id (drums), { "dusty" }).outcome, CollectionEdit::Outcome::changed);
        ASSERT_EQ (store->setComment (CollectionFingerprint::id (lead), "squelchy").outcome, CollectionEdit::Outcome::changed);
    }

    // The third schema's search table, as its build filled it.
    sqlite3* db = nullptr;
    sqlite3_open (file.getFullPathName().toRawUTF8(), &db);
    ASSERT_EQ (sqlite3_exec (db, "DROP TABLE search;"
                                 " CREATE VIRTUAL TABLE search USING fts5 (name, tags, comment, sources, tokenize = 'unicode61 remove_diacritics 2', prefix = '1 2');"
                                 " INSERT INTO search (rowid, name, tags, comment, sources) SELECT p.id, p.name,"
                                 " coalesce ((SELECT group_concat (tag, ' ') FROM tags WHERE pattern = p.id), ''),"
                                 " coalesce ((SELECT comment FROM user_data WHERE pattern = p.id), ''), 'a.vsk' FROM patterns p;"
                                 " PRAGMA user_version = 3",
                             nullptr, nullptr, nullptr),
               SQLITE_OK);
    sqlite3_close (db);

    const auto found = [] (CollectionStore& store, const char* text)
    {
        CollectionQuery query;
        query.text = text;
        juce::StringArray names;
        for (const auto& p : store.search (query).patterns)
            names.add (p.name);
        return names;
    };

    auto opened = CollectionStore::open (file);
    ASSERT_EQ (opened.outcome, Outcome::migrated) << opened.problem.detail;
    EXPECT_EQ (opened.fromVersion, 3);
    EXPECT_TRUE (opened.store->check().ok) << opened.store->check().problems.joinIntoString ("\n");

    const auto check = [&] (CollectionStore& store)
    {
        EXPECT_EQ (found (store, "bass"), juce::StringArray ("Kept Name"));
        EXPECT_EQ (found (store, "rythm 909"), juce::StringArray ("a User 02"));
        EXPECT_EQ (found (store, "detune"), juce::StringArray ("Kept Name"));
        EXPECT_EQ (found (store, "lead"), juce::StringArray ("b User 03"));

        // What the old index held is found as before.
        EXPECT_EQ (found (store, "kept"), juce::StringArray ("Kept Name"));
        EXPECT_EQ (found (store, "dusty"), juce::StringArray ("a User 02"));
        EXPECT_EQ (found (store, "squelchy"), juce::StringArray ("b User 03"));
    };

    check (*opened.store);

    // Once: the next opening finds it current, and a pattern added now is found by its type too.
    opened.store.reset();
    auto again = CollectionStore::open (file);
    ASSERT_EQ (again.outcome, Outcome::opened);
    check (*again.store);
    auto moreDrums = drums;
    moreDrums[P::toneOrKit] = 0; // "808"
    ASSERT_TRUE (again.store->add ({ sighting (moreDrums, "/m/c.vsk", 4, 2) }).ok());
    EXPECT_EQ (found (*again.store, "rythm"), juce::StringArray ({ "a User 02", "c User 04" }));
}

TEST (CollectionFaults, AFullDiskRollsTheAddBackAndKeepsTheCollection)
{
    ScopedTmpfs disk ("4m");

    if (! disk.isMounted())
        GTEST_SKIP() << disk.whyNot;

    // In a folder of its own: the mount's top is open to everybody.
    const auto file = disk.folder.getChildFile ("VeskEdit/collection.db");
    auto store = openStore (file);
    ASSERT_NE (store, nullptr);
    ASSERT_TRUE (store->add (libraryOf (0, 21, "/m/Kept.vsk")).ok());
    ASSERT_TRUE (disk.fillLeaving (16384));

    // Far more than the disk has left, in one add.
    const auto report = store->add (libraryOf (1000, 2000, "/m/Too Much.vsk"));
    EXPECT_FALSE (report.ok());
    EXPECT_EQ (report.problem.kind, CollectionProblem::Kind::diskFull) << report.problem.detail;
    EXPECT_EQ (report.added, 0);

    // Once there is room, the collection is what it was, whole, and the same
    // add goes through.
    disk.removeFiller();
    EXPECT_EQ (store->size(), 21);
    EXPECT_TRUE (store->check().ok) << store->check().problems.joinIntoString ("\n");
    EXPECT_EQ (openStore (file)->size(), 21);

    const auto later = store->add (libraryOf (1000, 2000, "/m/Too Much.vsk"));
    EXPECT_TRUE (later.ok()) << later.problem.detail;
    EXPECT_EQ (store->size(), 2021);
}

TEST (CollectionFaults, TheLogIsCutBackAfterABigAddWhileAnotherCopyHoldsTheFile)
{
    ScopedFolder folder;
    const auto file = folder.file ("collection.db");
    const auto log = folder.file ("collection.db-wal");
    auto window = openStore (file); // keeps the log from going with the last connection
    auto store = openStore (file);

    // The add's pages are about ten times the limit.
    ASSERT_TRUE (store->add (libraryOf (0, 10000, "/m/Huge.vsk")).ok());
    ASSERT_TRUE (store->add (libraryOf (20000, 21, "/m/Small.vsk")).ok());
    EXPECT_LE (log.getSize(), (juce::int64) SqliteDatabase::maxLogBytes);
    EXPECT_EQ (window->size(), 10021);
}
