#include "OtherUser.h"
#include "ScopedEnvironmentVariable.h"
#include "ScopedTmpfs.h"
#include "TestEnvironment.h"
#include "cli/VeskCli.h"
#include "collection/CollectionFingerprint.h"
#include "collection/CollectionFolderImport.h"
#include "collection/SqliteDatabase.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskModel.h"
#include "model/VeskSyxFile.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

using namespace VeskImage;

namespace
{
    using Image = std::array<juce::uint8, imageSize>;

    /** A library whose 21 patterns differ from each other and from those of
        every other seed; user pattern 3 is a Bass pattern. */
    Image imageOf (int seed)
    {
        Image image;
        VeskModel::writeDefaults (image.data());

        for (const auto block : VeskBlock::patterns())
        {
            auto* record = image.data() + block.imageOffset();
            Pattern::storeTempo (record, 600 + seed * 32 + block.record());
            record[Pattern::type] = (juce::uint8) (block.userNumber() == 3 ? PartType::bass : PartType::lead);
        }

        return image;
    }

    CollectionBytes recordOf (const Image& image, VeskBlock block)
    {
        CollectionBytes bytes;
        std::copy_n (image.begin() + block.imageOffset(), patternSize, bytes.begin());
        return bytes;
    }

    struct CollectionCli : ::testing::Test
    {
        juce::File folder { juce::File::createTempFile ("vesk-collection-cli") };
        juce::File database { folder.getChildFile ("collection.db") };
        std::string out, err;

        CollectionCli() { folder.createDirectory(); }
        ~CollectionCli() override { folder.deleteRecursively(); }

        juce::String path (const juce::String& name) const { return folder.getChildFile (name).getFullPathName(); }

        juce::String writeLibrary (const juce::String& name, int seed)
        {
            EXPECT_TRUE (folder.getChildFile (name).getParentDirectory().createDirectory());
            EXPECT_TRUE (VeskLibraryFile::write (juce::File (path (name)), imageOf (seed).data()).wasOk());
            return path (name);
        }

        /** vesk collection ARGS... on this test's database. */
        int run (juce::StringArray args)
        {
            args.insert (0, "collection");
            args.add ("--collection");
            args.add (database.getFullPathName());
            std::ostringstream o, e;
            const int status = VeskCli (o, e).run (args);
            out = o.str();
            err = e.str();
            return status;
        }

        juce::var json (juce::StringArray args)
        {
            args.add ("--json");
            EXPECT_EQ (run (args), 0) << err;
            return juce::JSON::parse (juce::String (out));
        }

        juce::String idOf (const Image& image, VeskBlock block) { return CollectionFingerprint::id (recordOf (image, block)); }

        /** The real program, started without waiting for it; its stderr in .stderr-N. */
        pid_t spawn (const juce::StringArray& args, const char* output = "/dev/null")
        {
            std::vector<std::string> strings { VESK_BINARY, "collection" };

            for (auto& a : args)
                strings.push_back (a.toStdString());

            strings.insert (strings.end(), { "--collection", database.getFullPathName().toStdString() });
            std::vector<char*> argv;

            for (auto& s : strings)
                argv.push_back (s.data());

            argv.push_back (nullptr);
            pid_t pid = -1;
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init (&actions);
            posix_spawn_file_actions_addopen (&actions, 1, output, O_WRONLY, 0);
            posix_spawn_file_actions_addopen (&actions, 2, path (".stderr-" + juce::String (spawned++)).toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            EXPECT_EQ (posix_spawn (&pid, VESK_BINARY, &actions, nullptr, argv.data(), environ), 0);
            posix_spawn_file_actions_destroy (&actions);
            return pid;
        }

        static int exitStatusOf (pid_t pid)
        {
            int status = 0;
            return ::waitpid (pid, &status, 0) == pid && WIFEXITED (status) ? WEXITSTATUS (status) : -1;
        }

        int spawned = 0;
    };
}

TEST_F (CollectionCli, AddedPatternsAreFoundByWordPrefixesOfFileNamesTagsAndNames)
{
    writeLibrary ("libs/Deep Acid Set.vsk", 1);
    writeLibrary ("libs/older/Sunday.vsk", 2);
    ASSERT_TRUE (VeskSyxFile::writeImage (juce::File (path ("libs/older/dump.syx")), imageOf (3).data()).wasOk());
    ASSERT_TRUE (juce::File (path ("libs/broken.vsk")).replaceWithText ("not a library"));

    // The damaged file is named and fails the command; the others go in.
    EXPECT_EQ (run ({ "add", path ("libs") }), VeskCli::exitFailed);
    EXPECT_NE (out.find ("added 63 patterns, 0 already in the collection, from 3 files; 1 file damaged"), std::string::npos) << out;
    EXPECT_NE (err.find ("broken.vsk"), std::string::npos) << err;
    EXPECT_EQ (run ({ "add", "/dev/null" }), VeskCli::exitFailed);
    EXPECT_NE (out.find ("added 0 patterns, 0 already in the collection, from 0 files"), std::string::npos) << out;
    EXPECT_EQ (run ({ "add", path ("libs/Deep Acid Set.vsk") }), 0) << err;
    EXPECT_NE (out.find ("added 0 patterns, 21 already in the collection, from 1 file"), std::string::npos) << out;

    const auto tagged = idOf (imageOf (2), *VeskBlock::user (7)), named = idOf (imageOf (1), *VeskBlock::user (9));
    ASSERT_EQ (run ({ "tag", tagged.substring (0, 8), "Wobble", "dub" }) + run ({ "name", named, "Midnight", "Groove" }), 0) << err;
    ASSERT_EQ (run ({ "favourite", tagged }), 0) << err;

    const std::pair<juce::StringArray, int> searches[] = {
        { { "deep" }, 21 },
        { { "ACI" }, 21 },
        { { "sun" }, 21 },
        { { "dump" }, 21 },
        { { "wob" }, 1 },
        { { "midn", "gro" }, 1 },
        { { "eep" }, 0 }, // a prefix, not any part of a word
        { { "--tag", "wobble" }, 1 },
        { { "--type", "bass" }, 3 },
        { { "sun", "--type", "Bass" }, 1 },
        { { "bass" }, 3 }, // the type as a word, as the window's search finds it
        { { "sun", "BASS" }, 1 },
        { { "--favourite" }, 1 },
        { {}, 63 },
    };

    for (const auto& [args, total] : searches)
    {
        SCOPED_TRACE (args.joinIntoString (" "));
        juce::StringArray search ("search");
        search.addArray (args);
        auto found = json (search);
        EXPECT_EQ ((int) found["total"], total);
        EXPECT_EQ (found["patterns"].size(), juce::jmin (total, 50));
    }

    const auto one = json ({ "search", "wob" })["patterns"][0];
    EXPECT_EQ (one["id"].toString(), tagged);
    EXPECT_EQ (one["type"].toString(), "Lead");
    EXPECT_DOUBLE_EQ ((double) one["tempo"], (600 + 2 * 32 + 7) / 10.0);
    EXPECT_EQ (one["tags"].size(), 2);
    EXPECT_TRUE ((bool) one["favourite"]);
    EXPECT_EQ ((int) one["seen"], 1);
    EXPECT_EQ (json ({ "search", "midnight" })["patterns"][0]["name"].toString(), "Midnight Groove");
    EXPECT_EQ (json ({ "search", "--limit", "5" })["patterns"].size(), 5);
}

TEST_F (CollectionCli, ASearchTextPastTheBoundsIsCutAndSaidOnStderr)
{
    const auto image = imageOf (1);
    ASSERT_EQ (run ({ "add", writeLibrary ("Deep Acid Set.vsk", 1) }), 0) << err;
    juce::StringArray tags ("tag", idOf (image, *VeskBlock::user (5)));
    for (int i = 0; i < 16; ++i)
        tags.add ("tag" + juce::String::charToString ((juce::juce_wchar) ('a' + i)));
    ASSERT_EQ (run (tags), 0) << err;

    juce::StringArray sixteen ("search");
    sixteen.addArray (tags, 2);
    ASSERT_EQ (run (sixteen), 0) << err;
    const auto found = out;
    EXPECT_NE (found.find ("1 of 1 matching pattern"), std::string::npos) << found;

    // A seventeenth word is left out, and stderr says so; stdout is what the sixteen give.
    auto seventeen = sixteen;
    seventeen.add ("nowhere");
    EXPECT_EQ (run (seventeen), 0) << err;
    EXPECT_EQ (out, found);
    EXPECT_NE (err.find ("its first 16 different words"), std::string::npos) << err;

    // A word over and over loses nothing, so nothing is said.
    EXPECT_EQ (run ({ "search", juce::String::repeatedString ("deep ", 8000) }), 0) << err;
    EXPECT_NE (out.find ("21 matching patterns"), std::string::npos) << out;
    EXPECT_EQ (err, "");
}

TEST_F (CollectionCli, ShowListsWhereAPatternWasSeenAndPutWritesItsSlotAlone)
{
    const auto a = writeLibrary ("a.vsk", 1), b = writeLibrary ("b.vsk", 1), target = writeLibrary ("target.vsk", 5);
    ASSERT_EQ (run ({ "add", a, b }), 0) << err;

    const auto id = idOf (imageOf (1), *VeskBlock::user (4));
    const auto shown = json ({ "show", id.substring (0, 10) });
    EXPECT_EQ (shown["id"].toString(), id);
    EXPECT_EQ ((int) shown["seen"], 2);
    ASSERT_EQ (shown["sightings"].size(), 2);
    juce::StringArray files;

    for (auto& s : *shown["sightings"].getArray())
    {
        files.add (s["file"].toString());
        EXPECT_EQ (s["slot"].toString(), VeskBlock::user (4)->name());
    }

    files.sort (false);
    EXPECT_EQ (files, juce::StringArray (a, b));

    juce::MemoryBlock before, after;
    ASSERT_TRUE (juce::File (target).loadFileAsData (before));
    ASSERT_EQ (run ({ "put", id, target, "12" }), 0) << err;
    ASSERT_TRUE (juce::File (target).loadFileAsData (after));

    Image expected = imageOf (5), written;
    const auto record = recordOf (imageOf (1), *VeskBlock::user (4));
    std::copy (record.begin(), record.end(), expected.begin() + VeskBlock::user (12)->imageOffset());
    ASSERT_TRUE (VeskLibraryFile::read (juce::File (target), written.data()).wasOk());
    EXPECT_TRUE (written == expected);
    EXPECT_EQ (after, VeskLibraryFile::encode (expected.data()));

    // The same again changes nothing and writes nothing.
    const auto modified = juce::File (target).getLastModificationTime();
    EXPECT_EQ (run ({ "put", id, target, "12" }), 0);
    EXPECT_NE (out.find ("nothing changed"), std::string::npos) << out;
    EXPECT_EQ (juce::File (target).getLastModificationTime(), modified);
}

TEST_F (CollectionCli, AnUnknownAmbiguousOrMalformedIdExits2AndChangesNothing)
{
    // Two patterns whose IDs share their first 6 digits, found by varying the tempo.
    Image image = imageOf (0);
    std::map<juce::String, CollectionBytes> byPrefix;
    std::optional<juce::String> shared;
    auto bytes = recordOf (image, VeskBlock::temporary());

    for (int tempo = 400; tempo < 16384 && ! shared.has_value(); ++tempo)
    {
        Pattern::storeTempo (bytes.data(), tempo);
        const auto prefix = CollectionFingerprint::id (bytes).substring (0, 6);

        if (byPrefix.count (prefix) != 0)
            shared = prefix;
        else
            byPrefix[prefix] = bytes;
    }

    ASSERT_TRUE (shared.has_value());
    std::copy (bytes.begin(), bytes.end(), image.begin() + VeskBlock::user (1)->imageOffset());
    std::copy (byPrefix[*shared].begin(), byPrefix[*shared].end(), image.begin() + VeskBlock::user (2)->imageOffset());
    ASSERT_TRUE (VeskLibraryFile::write (juce::File (path ("lib.vsk")), image.data()).wasOk());
    ASSERT_EQ (run ({ "add", path ("lib.vsk") }), 0) << err;
    const auto total = (int) json ({ "search" })["total"];

    juce::MemoryBlock library;
    ASSERT_TRUE (juce::File (path ("lib.vsk")).loadFileAsData (library));

    for (const juce::String& id : { *shared, juce::String ("0123456789abcdef"), juce::String ("12ab"), juce::String ("zzzzzzzz") })
    {
        for (juce::StringArray args : { juce::StringArray ("show", "ID"), { "put", "ID", path ("lib.vsk"), "5" }, { "name", "ID", "x" }, { "tag", "ID", "x" }, { "untag", "ID", "x" }, { "favourite", "ID" } })
        {
            args.set (1, id);
            SCOPED_TRACE (args.joinIntoString (" "));
            EXPECT_EQ (run (args), VeskCli::exitUsage);
            EXPECT_TRUE (out.empty()) << out;
            EXPECT_NE (err.find (id.toStdString()), std::string::npos) << err;
        }
    }

    juce::MemoryBlock now;
    EXPECT_TRUE (juce::File (path ("lib.vsk")).loadFileAsData (now) && now == library);
    EXPECT_EQ ((int) json ({ "search", "--tag", "x" })["total"] + (int) json ({ "search", "--favourite" })["total"], 0);
    EXPECT_EQ ((int) json ({ "search" })["total"], total);
}

TEST_F (CollectionCli, TwoAddsAtOnceBothSucceed)
{
    // Enough files that each add writes several batches while the other does.
    for (int i = 0; i < 240; ++i)
        writeLibrary ((i % 2 == 0 ? "one/" : "two/") + juce::String (i) + ".vsk", i);

    const auto first = spawn ({ "add", path ("one") }), second = spawn ({ "add", path ("two") });
    EXPECT_EQ (exitStatusOf (first), 0) << juce::File (path (".stderr-0")).loadFileAsString();
    EXPECT_EQ (exitStatusOf (second), 0) << juce::File (path (".stderr-1")).loadFileAsString();
    EXPECT_EQ ((int) json ({ "search", "--limit", "0" })["total"], 240 * 21);
    EXPECT_EQ (run ({ "check" }), 0) << err;
}

// Two copies that make a new collection at the same moment: neither takes
// the other's half-made file for another program's (and moves it aside), and
// neither gives up on the other's switch to WAL. Each lost about one round in
// seven; twenty rounds would show either.
TEST_F (CollectionCli, TwoFirstAddsAtOnceBothMakeTheOneNewCollection)
{
    const auto one = writeLibrary ("one.vsk", 1), two = writeLibrary ("two.vsk", 2);

    for (int round = 0; round < 20; ++round)
    {
        for (auto& f : folder.findChildFiles (juce::File::findFiles, false, "collection*"))
            ASSERT_TRUE (f.deleteFile());

        const auto first = spawn ({ "add", one }), second = spawn ({ "add", two });
        const auto said = [this] (int i)
        { return juce::File (path (".stderr-" + juce::String (i))).loadFileAsString(); };
        ASSERT_EQ (exitStatusOf (first), 0) << "round " << round << ": " << said (spawned - 2);
        ASSERT_EQ (exitStatusOf (second), 0) << "round " << round << ": " << said (spawned - 1);
        ASSERT_EQ (said (spawned - 2) + said (spawned - 1), "") << "round " << round;
        ASSERT_EQ ((int) json ({ "search", "--limit", "0" })["total"], 2 * 21) << "round " << round;
        ASSERT_EQ (folder.findChildFiles (juce::File::findFiles, false, "collection.db.*").size(), 0) << "round " << round;
    }
}

TEST_F (CollectionCli, ADamagedCollectionIsMovedAsideAndTheCommandGoesOn)
{
    const auto lib = writeLibrary ("lib.vsk", 1);
    ASSERT_EQ (run ({ "add", writeLibrary ("old.vsk", 2) }), 0) << err;

    // Its first page overwritten after the header: still marked ours.
    juce::MemoryBlock damaged;
    ASSERT_TRUE (database.loadFileAsData (damaged));
    std::memset (static_cast<char*> (damaged.getData()) + 100, 0x5a, 3000);
    ASSERT_TRUE (database.replaceWithData (damaged.getData(), damaged.getSize()));

    // check only reads: the damaged file stays where it is, said on one line.
    EXPECT_EQ (run ({ "check" }), VeskCli::exitFailed);
    EXPECT_EQ (std::count (err.begin(), err.end(), '\n'), 1) << err;
    juce::MemoryBlock held;
    EXPECT_TRUE (database.loadFileAsData (held) && held == damaged);

    const auto status = exitStatusOf (spawn ({ "add", lib }));
    const auto said = juce::File (path (".stderr-0")).loadFileAsString();
    EXPECT_EQ (status, 0) << said;
    EXPECT_EQ (said.trim().indexOfChar ('\n'), -1) << said;

    // The old file is named, kept byte for byte beside the new one.
    juce::File aside;

    for (auto& f : folder.findChildFiles (juce::File::findFiles, false, "collection*"))
        if (said.contains (f.getFileName()) && f != database)
            aside = f;

    ASSERT_TRUE (aside.existsAsFile()) << said;
    juce::MemoryBlock kept; // loadFileAsData appends: a block of its own
    EXPECT_TRUE (aside.loadFileAsData (kept) && kept == damaged);
    EXPECT_EQ ((int) json ({ "search" })["total"], 21);
    EXPECT_EQ (run ({ "check" }), 0) << err;
}

// A mistyped --collection, VESK_COLLECTION or default: whatever is not a
// collection of ours is named for what it is and left as it is.
TEST_F (CollectionCli, AFileThatIsNotACollectionIsRefusedAndNeverChanged)
{
    // Open to the group's writes: what it is is said first.
    const auto song = writeLibrary ("song.vsk", 1);
    ASSERT_EQ (::chmod (song.toRawUTF8(), 0664), 0);
    const auto notes = path ("notes.txt");
    ASSERT_TRUE (juce::File (notes).replaceWithText ("remember the milk\n"));
    juce::MemoryBlock garbage;

    for (int i = 0; i < 1024; ++i)
        garbage.append ("damaged!", 8);

    ASSERT_TRUE (juce::File (path ("garbage.db")).replaceWithData (garbage.getData(), garbage.getSize()));

    const std::pair<juce::String, const char*> files[] = {
        { song, "is a library file, not a collection" },
        { notes, "is not a database" },
        { path ("garbage.db"), "is not a database" },
    };

    const juce::StringArray commands[] = { { "search" }, { "check" }, { "add", writeLibrary ("other.vsk", 2) }, { "show", "abcdef" } };

    for (const auto& [file, said] : files)
    {
        juce::MemoryBlock before;
        ASSERT_TRUE (juce::File (file).loadFileAsData (before));
        const auto filesBefore = folder.getNumberOfChildFiles (juce::File::findFiles);

        for (auto args : commands)
        {
            SCOPED_TRACE (file + ": " + args.joinIntoString (" "));
            args.insert (0, "collection");
            args.addArray ({ "--collection", file });
            std::ostringstream o, e;
            EXPECT_EQ (VeskCli (o, e).run (args), VeskCli::exitFailed);
            const auto message = e.str();
            EXPECT_NE (message.find ((file + ": " + said).toStdString()), std::string::npos) << message;
            EXPECT_EQ (std::count (message.begin(), message.end(), '\n'), 1) << message;
            EXPECT_TRUE (o.str().empty()) << o.str();

            // The same named by the environment.
            const ScopedEnvironmentVariable named ("VESK_COLLECTION", file);
            args.removeRange (args.size() - 2, 2);
            std::ostringstream o2, e2;
            EXPECT_EQ (VeskCli (o2, e2).run (args), VeskCli::exitFailed);
            EXPECT_NE (e2.str().find (said), std::string::npos) << e2.str();
        }

        juce::MemoryBlock after;
        EXPECT_TRUE (juce::File (file).loadFileAsData (after) && after == before);
        EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), filesBefore);
    }
}

// Arguments are checked before the collection is opened, and only add starts one.
TEST_F (CollectionCli, ACommandThatExits2OrOnlyReadsCreatesNothing)
{
    const auto lib = writeLibrary ("lib.vsk", 1);
    database = folder.getChildFile ("new/collection.db");

    const std::pair<juce::StringArray, int> commands[] = {
        { { "add", path ("missing.vsk") }, VeskCli::exitUsage },
        { { "add", lib, path ("missing.vsk") }, VeskCli::exitUsage },
        { { "put", "abcdef", lib, "1" }, VeskCli::exitUsage },
        { { "show", "abcdef" }, VeskCli::exitUsage },
        { { "name", "abcdef", "x" }, VeskCli::exitUsage },
        { { "favourite", "abcdef" }, VeskCli::exitUsage },
        { { "search", "--type", "Banjo" }, VeskCli::exitUsage },
        { { "check" }, VeskCli::exitFailed },
        { { "search", "acid" }, VeskCli::exitOk },
    };

    for (const auto& [args, status] : commands)
    {
        SCOPED_TRACE (args.joinIntoString (" "));
        EXPECT_EQ (run (args), status) << err;
        EXPECT_FALSE (database.getParentDirectory().exists());
    }

    EXPECT_NE (out.find ("no pattern matches"), std::string::npos) << out;
    EXPECT_EQ (run ({ "add", lib }), 0) << err;
    EXPECT_TRUE (database.existsAsFile());
}

TEST_F (CollectionCli, WrongUsageLeavesAnExistingCollectionByteForByte)
{
    // A collection left in rollback-journal mode (as an older build or another
    // tool leaves it): any write at all would switch it to a log first.
    const auto lib = writeLibrary ("lib.vsk", 1);
    ASSERT_EQ (run ({ "add", lib }), 0) << err;
    SqliteDatabase (database).exec ("PRAGMA journal_mode = DELETE");
    juce::MemoryBlock before;
    ASSERT_TRUE (database.loadFileAsData (before));

    const juce::StringArray commands[] = {
        { "search", "--type", "Banjo" },
        { "search", "--limit", "many" },
        { "put", "abcdef", lib, "21" },
    };

    for (const auto& args : commands)
    {
        SCOPED_TRACE (args.joinIntoString (" "));
        EXPECT_EQ (run (args), VeskCli::exitUsage) << err;
        juce::MemoryBlock after;
        EXPECT_TRUE (database.loadFileAsData (after) && after == before);
        EXPECT_FALSE (database.getSiblingFile ("collection.db-wal").exists());
    }
}

TEST_F (CollectionCli, TheCollectionIsNamedByOptionEnvironmentOrDefaultAndWrongUsageExits2)
{
    const auto lib = writeLibrary ("lib.vsk", 1), other = writeLibrary ("other.vsk", 2);
    const auto xdg = folder.getChildFile ("xdg"), fromEnvironment = folder.getChildFile ("env.db");
    TestEnvironment::set ("XDG_DATA_HOME", xdg.getFullPathName());
    TestEnvironment::unset ("VESK_COLLECTION");

    auto addWithout = [&] (const juce::StringArray& extra)
    {
        std::ostringstream o, e;
        juce::StringArray args ("collection", "add", lib);
        args.addArray (extra);
        return VeskCli (o, e).run (args);
    };

    EXPECT_EQ (addWithout ({}), 0);
    EXPECT_TRUE (xdg.getChildFile ("VeskEdit/collection.db").existsAsFile());
    TestEnvironment::set ("VESK_COLLECTION", fromEnvironment.getFullPathName());
    EXPECT_EQ (addWithout ({}), 0);
    EXPECT_TRUE (fromEnvironment.existsAsFile());
    EXPECT_EQ (addWithout ({ "--collection", database.getFullPathName() }), 0);
    TestEnvironment::unset ("VESK_COLLECTION");
    TestEnvironment::unset ("XDG_DATA_HOME");
    EXPECT_EQ ((int) json ({ "search" })["total"], 21);

    const juce::StringArray wrong[] = {
        {},
        { "frobnicate" },
        { "show" },
        { "put", "abcdef", path ("lib.vsk") },
        { "search", "--limit", "many" },
        { "search", "--type", "Banjo" },
        { "search", "--tag", "a", "--tag", "b" },
        { "favourite", "abcdef", "--on" },
        { "add", path ("missing.vsk") },
        { "add", other, path ("missing.vsk") },
        { "check", "extra" },
    };

    for (const auto& args : wrong)
    {
        SCOPED_TRACE (args.joinIntoString (" "));
        EXPECT_EQ (run (args), VeskCli::exitUsage);
        EXPECT_FALSE (err.empty());
    }

    EXPECT_EQ ((int) json ({ "search" })["total"], 21);
}

TEST_F (CollectionCli, WithoutTheSqliteLibraryTheCommandSaysSoAndTheCollectionStaysAsItWas)
{
    ASSERT_EQ (run ({ "add", writeLibrary ("lib.vsk", 1) }), 0) << err;
    juce::MemoryBlock before;
    ASSERT_TRUE (database.loadFileAsData (before));

    int status = 0;
    {
        const ScopedEnvironmentVariable missing ("VESK_SQLITE_LIBRARY", path ("no-such-libsqlite3.so.0"));
        status = exitStatusOf (spawn ({ "add", writeLibrary ("other.vsk", 2) }));
    }

    const auto said = juce::File (path (".stderr-0")).loadFileAsString();
    EXPECT_EQ (status, VeskCli::exitFailed) << said;
    EXPECT_TRUE (said.contains ("SQLite could not be loaded")) << said;
    EXPECT_TRUE (said.contains ("no-such-libsqlite3.so.0")) << said;

    // Nothing was moved aside or written: the collection is as it was.
    juce::MemoryBlock after;
    EXPECT_TRUE (database.loadFileAsData (after) && after == before);
    EXPECT_TRUE (folder.findChildFiles (juce::File::findFiles, false, "*damaged*").isEmpty());
    EXPECT_EQ ((int) json ({ "search" })["total"], 21);
}

TEST_F (CollectionCli, AddCountsEachDifferentPatternOnceHoweverManyFilesHoldIt)
{
    // More copies than one batch of the walk takes.
    const int copies = CollectionFolderImport::filesPerBatch + 10;

    for (int i = 0; i < copies; ++i)
        writeLibrary ("copies/" + juce::String (i) + ".vsk", 1);

    ASSERT_EQ (run ({ "add", path ("copies") }), 0) << err;
    EXPECT_NE (out.find ("added 21 patterns, 0 already in the collection, from 60 files"), std::string::npos) << out;
    ASSERT_EQ (run ({ "add", path ("copies"), writeLibrary ("new.vsk", 2) }), 0) << err;
    EXPECT_NE (out.find ("added 21 patterns, 21 already in the collection, from 61 files"), std::string::npos) << out;
}

TEST_F (CollectionCli, AnAddTheDiskCannotHoldKeepsNothingSaysSoAndLeavesNoLog)
{
    ScopedTmpfs disk ("1m");

    if (! disk.isMounted())
        GTEST_SKIP() << disk.whyNot;

    database = disk.folder.getChildFile ("collection.db");
    ASSERT_EQ (run ({ "add", writeLibrary ("first.vsk", 0) }), 0) << err;

    // About twice what the disk holds, in two or more of the walk's batches.
    for (int i = 1; i <= 100; ++i)
        writeLibrary ("many/" + juce::String (i) + ".vsk", i);

    EXPECT_EQ (run ({ "add", path ("many") }), VeskCli::exitFailed);
    EXPECT_NE (err.find ("is on a disk that is full"), std::string::npos) << err;
    EXPECT_NE (err.find ("nothing of this was kept, the collection is as it was"), std::string::npos) << err;

    const auto log = database.getSiblingFile ("collection.db-wal");
    EXPECT_TRUE (! log.exists() || log.getSize() == 0) << log.getSize();
    EXPECT_EQ ((int) json ({ "search", "--limit", "0" })["total"], 21);
    EXPECT_EQ (run ({ "check" }), 0) << err;
}

TEST_F (CollectionCli, AnEditOrAddWhoseOutputCannotBePrintedChangesNothing)
{
    ASSERT_EQ (run ({ "add", writeLibrary ("lib.vsk", 1) }), 0) << err;
    const auto id = idOf (imageOf (1), *VeskBlock::user (4));
    ASSERT_EQ (run ({ "tag", id, "kept" }), 0) << err;
    const auto before = juce::JSON::toString (json ({ "show", id }));

    const juce::StringArray commands[] = {
        { "name", id, "Lost" },
        { "tag", id, "lost" },
        { "untag", id, "kept" },
        { "favourite", id },
        { "add", writeLibrary ("other.vsk", 2) },
    };

    for (const auto& args : commands)
    {
        SCOPED_TRACE (args.joinIntoString (" "));
        const auto status = exitStatusOf (spawn (args, "/dev/full"));
        const auto said = juce::File (path (".stderr-" + juce::String (spawned - 1))).loadFileAsString();
        EXPECT_EQ (status, VeskCli::exitFailed) << said;
        EXPECT_TRUE (said.contains ("standard output cannot be written")) << said;
    }

    EXPECT_EQ (juce::JSON::toString (json ({ "show", id })), before);
    EXPECT_EQ ((int) json ({ "search", "--limit", "0" })["total"], 21);
}

TEST_F (CollectionCli, AddNamesAFileItCannotTakeAndATagIsOneTo64Characters)
{
    const auto good = writeLibrary ("good.vsk", 1), notes = path ("notes.txt");
    ASSERT_TRUE (juce::File (notes).replaceWithText ("my notes"));
    EXPECT_EQ (run ({ "add", good, notes }), VeskCli::exitFailed);
    EXPECT_NE (err.find (notes.toStdString() + ": "), std::string::npos) << err;
    EXPECT_NE (out.find ("added 21 patterns"), std::string::npos) << out;

    const auto id = idOf (imageOf (1), *VeskBlock::user (2));
    const auto longest = juce::String::repeatedString ("a", CollectionEdit::maxTagLength);
    EXPECT_EQ (run ({ "tag", id, longest }), 0) << err;
    EXPECT_EQ (run ({ "tag", id, longest + "b" }), VeskCli::exitUsage);
    EXPECT_NE (err.find ("1 to 64 characters"), std::string::npos) << err;
    EXPECT_EQ (json ({ "show", id })["tags"].size(), 1);
}

TEST_F (CollectionCli, TheSystemsFoldersAreNotWalkedAndALinkOutOfTheFolderIsNamed)
{
    // /proc/self/root leads to the whole file system.
    EXPECT_EQ (run ({ "add", "/proc/self" }), VeskCli::exitFailed);
    EXPECT_NE (err.find ("/proc/self: is one of the system's own folders"), std::string::npos) << err;
    EXPECT_EQ ((int) json ({ "search", "--limit", "0" })["total"], 0);

    writeLibrary ("given/near.vsk", 1);
    writeLibrary ("elsewhere/far.vsk", 2);
    ASSERT_EQ (::symlink (path ("elsewhere").toRawUTF8(), path ("given/out").toRawUTF8()), 0);
    ASSERT_EQ (run ({ "add", path ("given") }), 0) << err;
    EXPECT_NE (out.find ("from 2 files; followed 1 link out of the folders given:\n  " + path ("given/out").toStdString() + " -> "), std::string::npos) << out;
    EXPECT_NE (out.find ("elsewhere\n"), std::string::npos) << out;
}

TEST_F (CollectionCli, WhatAnotherUserCannotReadIsSaidToBeUnreadable)
{
    const OtherUser other;

    if (! other.isAvailable())
        GTEST_SKIP() << other.whyNot;

    const auto lib = writeLibrary ("private/lib.vsk", 1), mine = writeLibrary ("shared/mine.vsk", 2);
    const auto theirs = folder.getChildFile ("theirs");
    ASSERT_TRUE (theirs.createDirectory());
    ASSERT_EQ (::chmod (path ("private").toRawUTF8(), 0700) + ::chmod (mine.toRawUTF8(), 0600) + ::chmod (path ("shared").toRawUTF8(), 0755)
                   + ::chmod (theirs.getFullPathName().toRawUTF8(), 0700)
                   + ::chown (theirs.getFullPathName().toRawUTF8(), OtherUser::uid, OtherUser::uid)
                   + ::chmod (folder.getFullPathName().toRawUTF8(), 0755),
               0);

    // As the other user, whose collection is in a folder of their own.
    const auto addAsOther = [&] (const juce::String& what, juce::String& said)
    {
        juce::ChildProcess process;
        const juce::StringArray command { "setpriv", "--reuid=" + juce::String (OtherUser::uid), "--regid=" + juce::String (OtherUser::uid),
                                          "--clear-groups", VESK_BINARY, "collection", "add", what,
                                          "--collection", theirs.getChildFile ("c.db").getFullPathName() };
        EXPECT_TRUE (process.start (command));
        said = process.readAllProcessOutput();
        return process.waitForProcessToFinish (10000) ? (int) process.getExitCode() : -1;
    };

    // A folder they may not list, a file in it they cannot reach, a file of mine in a folder they can list.
    const std::pair<juce::String, juce::String> cases[] = { { path ("private"), path ("private") }, { lib, lib }, { path ("shared"), mine } };

    for (const auto& [given, unreadable] : cases)
    {
        SCOPED_TRACE (given);
        juce::String said;
        EXPECT_EQ (addAsOther (given, said), VeskCli::exitFailed);
        EXPECT_TRUE (said.contains (unreadable + ": cannot be read (permission denied)")) << said;
        EXPECT_FALSE (said.contains ("damaged")) << said;
        EXPECT_FALSE (said.contains ("does not exist") || said.contains ("holds no library") || said.contains ("skipped")) << said;
    }
}

// "vesk collection --collection FILE COMMAND ...": read as if given after the command.
TEST_F (CollectionCli, TheCollectionMayBeNamedBeforeItsCommand)
{
    const auto lib = writeLibrary ("lib.vsk", 1);

    auto runBefore = [this] (const juce::StringArray& rest)
    {
        juce::StringArray args ("collection", "--collection", database.getFullPathName());
        args.addArray (rest);
        std::ostringstream o, e;
        const int status = VeskCli (o, e).run (args);
        out = o.str();
        err = e.str();
        return status;
    };

    ASSERT_EQ (runBefore ({ "add", lib }), 0) << err;
    EXPECT_TRUE (database.existsAsFile());
    EXPECT_EQ ((int) json ({ "search" })["total"], 21);
    EXPECT_EQ (runBefore ({ "check" }), 0) << err;
    EXPECT_NE (out.find (database.getFullPathName().toStdString() + ": sound"), std::string::npos) << out;

    EXPECT_EQ (runBefore ({ "check", "--collection", path ("other.db") }), VeskCli::exitUsage);
    EXPECT_NE (err.find ("--collection is given twice (see vesk collection check --help)"), std::string::npos) << err;

    // Named, but no command: the overview, as for "vesk collection".
    EXPECT_EQ (runBefore ({}), VeskCli::exitUsage);
    EXPECT_EQ (err.rfind ("Usage: vesk collection COMMAND", 0), 0u) << err;
    EXPECT_TRUE (out.empty());
}
