#include "ScopedEnvironmentVariable.h"
#include "cli/VeskCli.h"
#include "collection/CollectionFingerprint.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskModel.h"
#include "model/VeskSyxFile.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include <fcntl.h>
#include <spawn.h>
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

        /** The real program, started without waiting for it. */
        pid_t spawn (const juce::StringArray& args)
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
            posix_spawn_file_actions_addopen (&actions, 1, "/dev/null", O_WRONLY, 0);
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
    EXPECT_NE (out.find ("added 63 patterns, 0 already there, from 3 files; 1 file damaged"), std::string::npos) << out;
    EXPECT_NE (err.find ("broken.vsk"), std::string::npos) << err;
    EXPECT_EQ (run ({ "add", "/dev/null" }), VeskCli::exitFailed);
    EXPECT_NE (out.find ("added 0 patterns, 0 already there, from 0 files"), std::string::npos) << out;
    EXPECT_EQ (run ({ "add", path ("libs/Deep Acid Set.vsk") }), 0) << err;
    EXPECT_NE (out.find ("added 0 patterns, 21 already there, from 1 file"), std::string::npos) << out;

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

TEST_F (CollectionCli, ADamagedDatabaseIsMovedAsideAndTheCommandGoesOn)
{
    const auto lib = writeLibrary ("lib.vsk", 1);
    juce::MemoryBlock garbage;

    for (int i = 0; i < 1024; ++i)
        garbage.append ("damaged!", 8);

    ASSERT_TRUE (database.replaceWithData (garbage.getData(), garbage.getSize()));

    // check only reads: the damaged file stays where it is.
    EXPECT_EQ (run ({ "check" }), VeskCli::exitFailed);
    juce::MemoryBlock held;
    EXPECT_TRUE (database.loadFileAsData (held) && held == garbage);

    const auto status = exitStatusOf (spawn ({ "add", lib }));
    const auto said = juce::File (path (".stderr-0")).loadFileAsString();
    EXPECT_EQ (status, 0) << said;

    // The old file is named, kept byte for byte beside the new one.
    const auto asides = folder.findChildFiles (juce::File::findFiles, false, "collection*");
    juce::File aside;

    for (auto& f : asides)
        if (said.contains (f.getFileName()) && f != database)
            aside = f;

    ASSERT_TRUE (aside.existsAsFile()) << said;
    juce::MemoryBlock kept; // loadFileAsData appends: a block of its own
    EXPECT_TRUE (aside.loadFileAsData (kept) && kept == garbage);
    EXPECT_EQ ((int) json ({ "search" })["total"], 21);
    EXPECT_EQ (run ({ "check" }), 0) << err;
}

TEST_F (CollectionCli, TheCollectionIsNamedByOptionEnvironmentOrDefaultAndWrongUsageExits2)
{
    const auto lib = writeLibrary ("lib.vsk", 1), other = writeLibrary ("other.vsk", 2);
    const auto xdg = folder.getChildFile ("xdg"), fromEnvironment = folder.getChildFile ("env.db");
    ::setenv ("XDG_DATA_HOME", xdg.getFullPathName().toRawUTF8(), 1);
    ::unsetenv ("VESK_COLLECTION");

    auto addWithout = [&] (const juce::StringArray& extra)
    {
        std::ostringstream o, e;
        juce::StringArray args ("collection", "add", lib);
        args.addArray (extra);
        return VeskCli (o, e).run (args);
    };

    EXPECT_EQ (addWithout ({}), 0);
    EXPECT_TRUE (xdg.getChildFile ("VeskEdit/collection.db").existsAsFile());
    ::setenv ("VESK_COLLECTION", fromEnvironment.getFullPathName().toRawUTF8(), 1);
    EXPECT_EQ (addWithout ({}), 0);
    EXPECT_TRUE (fromEnvironment.existsAsFile());
    EXPECT_EQ (addWithout ({ "--collection", database.getFullPathName() }), 0);
    ::unsetenv ("VESK_COLLECTION");
    ::unsetenv ("XDG_DATA_HOME");
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
