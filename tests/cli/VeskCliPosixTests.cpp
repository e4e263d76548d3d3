// vesk as a shell runs it, and the files only a POSIX system has: links,
// permission bits, /dev/full, a closed standard output, another user.

#include "CliTest.h"
#include "ScopedTmpfs.h"
#include "model/VeskSyxFile.h"

#include <cstdlib>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace VeskImage;

int Cli::runBinary (const juce::String& arguments, const juce::String& redirectOut)
{
    const auto errFile = folder.getChildFile (".stderr");
    const auto command = "'" + juce::String (VESK_BINARY) + "' " + arguments + " >" + redirectOut + " 2>'" + errFile.getFullPathName() + "'";
    const int status = std::system (command.toRawUTF8());
    err.str (errFile.loadFileAsString().toStdString());
    errFile.deleteFile();
    return WIFEXITED (status) ? WEXITSTATUS (status) : -1;
}

TEST_F (Cli, TheBinaryRunsWithoutADisplay)
{
    auto lib = path ("lib.vsk");
    auto command = "env -u DISPLAY -u WAYLAND_DISPLAY '" + juce::String (VESK_BINARY) + "' ";
    EXPECT_EQ (std::system ((command + "new '" + lib + "'").toRawUTF8()), 0);
    EXPECT_EQ (std::system ((command + "show '" + lib + "' >/dev/null").toRawUTF8()), 0);
    EXPECT_EQ (bytesOf (lib).size(), 7473u);
}

TEST_F (Cli, AFailedWriteFailsImportAndNewAndKeepsTheLibrary)
{
    auto lib = writeOtherLibrary ("lib.vsk"), syx = path ("d.syx"), source = path ("source.vsk");
    ASSERT_EQ (run ({ "new", source }), 0);
    ASSERT_EQ (run ({ "export-syx", source, syx }), 0);
    const auto before = bytesOf (lib);

    const std::tuple<WholeFileWriter::Faults, juce::StringArray, const char*> cases[] = {
        { { 4072, false, false }, { "import-syx", syx, lib }, "the disk is full (wrote 4,072 of " },
        { { 4072, false, false }, { "new", "--force", lib }, "the disk is full (wrote 4,072 of " },
        { { -1, true, false }, { "new", "--force", lib }, "flushed" },
        { { -1, false, true }, { "import-syx", syx, lib }, "old one's place" },
    };

    for (const auto& [faults, args, reason] : cases)
    {
        SCOPED_TRACE (args.joinIntoString (" ") + ": " + reason);
        WholeFileWriter::setFaultsForTesting (faults);
        EXPECT_EQ (run (args), 1);
        EXPECT_TRUE (says ("lib.vsk") && says (reason)) << err.str();
        EXPECT_EQ (bytesOf (lib), before);
        EXPECT_TRUE (noStrayFiles (3));
    }

    // The real program on a real full disk.
    WholeFileWriter::setFaultsForTesting ({});
    ScopedTmpfs disk ("16k");

    if (! disk.isMounted())
        GTEST_SKIP() << disk.whyNot;

    const auto onDisk = disk.folder.getChildFile ("lib.vsk").getFullPathName();
    ASSERT_TRUE (juce::File (lib).copyFileTo (juce::File (onDisk)));
    ASSERT_TRUE (disk.fillLeaving (4096));

    for (const auto& args : { "import-syx " + quoted (syx) + " " + quoted (onDisk), "new --force " + quoted (onDisk) })
    {
        SCOPED_TRACE (args);
        EXPECT_EQ (runBinary (args), 1);
        EXPECT_TRUE (says ("lib.vsk") && says ("disk is full")) << err.str();
        EXPECT_EQ (bytesOf (onDisk), before);
        EXPECT_EQ (disk.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2) << "lib.vsk and the filler only";
    }

    ASSERT_TRUE (disk.removeFiller());
    EXPECT_EQ (runBinary ("import-syx " + quoted (syx) + " " + quoted (onDisk)), 0) << err.str();
    EXPECT_EQ (bytesOf (onDisk), bytesOf (source));
}

TEST_F (Cli, ExportKeepsAnExistingFileWithoutForceAndNeverReplacesItsInput)
{
    auto lib = writeOtherLibrary ("lib.vsk"), syx = path ("out.syx"), readOnly = path ("locked.syx");
    writeBytes (syx, { 1, 2, 3 });
    writeBytes (readOnly, { 4, 5, 6 });
    ASSERT_EQ (::chmod (readOnly.toRawUTF8(), 0444), 0);
    const auto library = bytesOf (lib);

    for (const auto& output : { syx, readOnly })
    {
        EXPECT_EQ (run ({ "export-syx", lib, output }), 1);
        EXPECT_TRUE (says (juce::File (output).getFileName().toRawUTF8()) && says ("--force")) << err.str();
    }

    EXPECT_EQ (bytesOf (syx), (Bytes { 1, 2, 3 }));
    EXPECT_EQ (bytesOf (readOnly), (Bytes { 4, 5, 6 }));
    ASSERT_EQ (run ({ "export-syx", lib, syx, "--force" }), 0);
    EXPECT_EQ (bytesOf (syx).size(), 3616u);

    // The library under its own name, through a link, by another path and as
    // a hard link: refused even with --force.
    ASSERT_EQ (::symlink ("lib.vsk", path ("link.syx").toRawUTF8()), 0);
    ASSERT_EQ (::link (lib.toRawUTF8(), path ("hard.syx").toRawUTF8()), 0);
    ASSERT_TRUE (folder.getChildFile ("sub").createDirectory());

    for (const auto& output : { lib, path ("link.syx"), path ("sub/../lib.vsk"), path ("hard.syx") })
    {
        SCOPED_TRACE (output);
        EXPECT_EQ (run ({ "export-syx", "--force", lib, output }), 1);
        EXPECT_TRUE (says ("library itself")) << err.str();
        EXPECT_EQ (bytesOf (lib), library);
    }

    // A library with dumps after its image reads as both a library and a .syx
    // file: importing it into itself would cut the dumps off.
    auto both = bytesOf (lib);
    const auto dumps = bytesOf (syx);
    both.insert (both.end(), dumps.begin(), dumps.end());
    const auto twoFaced = path ("both.vsk");
    writeBytes (twoFaced, both);
    ASSERT_EQ (::symlink ("both.vsk", path ("both.syx").toRawUTF8()), 0);

    for (const auto& input : { twoFaced, path ("both.syx") })
    {
        SCOPED_TRACE (input);
        EXPECT_EQ (run ({ "import-syx", input, twoFaced }), 1);
        EXPECT_EQ (bytesOf (twoFaced), both);
    }

    EXPECT_TRUE (noStrayFiles (8));
}

TEST_F (Cli, EveryCommandChecksItsStandardOutput)
{
    auto lib = path ("lib.vsk"), other = writeOtherLibrary ("other.vsk");
    ASSERT_EQ (run ({ "new", lib }), 0);

    const std::pair<juce::StringArray, int> commands[] = {
        { { "show", lib }, 1 },
        { { "show", lib, "--json" }, 1 },
        { { "diff", lib, other }, 2 },
        { { "--help" }, 1 },
        { { "--version" }, 1 },
        { { "export-syx", "--help" }, 1 },
        { { "get", lib, "1", "level" }, 1 },
        { { "transform", lib, "1", "reverse" }, 1 },
    };

    for (const auto& [args, failure] : commands)
    {
        SCOPED_TRACE (args.joinIntoString (" "));
        const auto line = args.joinIntoString (" ", 1).replace (lib, quoted (lib)).replace (other, quoted (other));
        EXPECT_EQ (runBinary (args[0] + " " + line, "/dev/full"), failure);
        EXPECT_TRUE (says ("standard output") && says ("disk is full")) << err.str();
    }

    // Nothing to print is nothing to fail.
    EXPECT_EQ (runBinary ("diff " + quoted (lib) + " " + quoted (lib), "/dev/full"), 0) << err.str();
}

TEST_F (Cli, DoubleDashEndsTheOptionsAndNamesMeanWhatTheyMeanToTheSystem)
{
    const auto previous = juce::File::getCurrentWorkingDirectory();
    folder.setAsCurrentWorkingDirectory();

    EXPECT_EQ (run ({ "new", "--", "--json" }), 0) << err.str();
    EXPECT_EQ (run ({ "new", "--", "-x" }), 0) << err.str();
    EXPECT_EQ (bytesOf (path ("--json")).size(), 7473u);
    EXPECT_EQ (run ({ "show", "--json", "--", "-x" }), 0) << err.str();
    juce::var json;
    EXPECT_TRUE (juce::JSON::parse (juce::String (out.str()), json).wasOk());
    EXPECT_EQ (run ({ "diff", "--", "--json", "-x" }), 0) << err.str();
    EXPECT_EQ (run ({ "export-syx", "--", "--json", "--force" }), 0) << "--force is a file name here";
    EXPECT_EQ (bytesOf (path ("--force")).size(), 3616u);

    // "~x" is a file here, and alias/../x is beside what alias leads to, not beside alias.
    ASSERT_TRUE (folder.getChildFile ("real/inner").createDirectory());
    ASSERT_EQ (::symlink ("real/inner", path ("alias").toRawUTF8()), 0);
    EXPECT_EQ (run ({ "new", "~x.vsk" }), 0) << err.str();
    EXPECT_EQ (run ({ "new", "alias/../up.vsk" }), 0) << err.str();
    EXPECT_EQ (run ({ "show", "real/up.vsk" }), 0) << err.str();
    EXPECT_EQ (bytesOf (path ("~x.vsk")).size(), 7473u);
    EXPECT_FALSE (juce::File (path ("up.vsk")).exists());
    previous.setAsCurrentWorkingDirectory();
}

TEST_F (Cli, EveryCommandKeepsToTheExitCodeTable)
{
    auto lib = path ("lib.vsk"), missing = path ("missing.vsk"), syx = path ("lib.syx");
    ASSERT_EQ (run ({ "new", lib }), 0);
    ASSERT_EQ (run ({ "export-syx", lib, syx }), 0);

    const std::pair<juce::StringArray, int> cases[] = {
        { { "new", lib }, 1 }, // exists
        { { "new", path ("no/folder.vsk") }, 1 },
        { { "show", missing }, 1 },
        { { "export-syx", missing, path ("x.syx") }, 1 },
        { { "import-syx", path ("missing.syx"), lib }, 1 },
        { { "diff", lib, missing }, 2 }, // diff's 1 means "they differ"
        { { "show", lib, "--force" }, 2 },
        { { "import-syx", syx, lib, "--force" }, 2 },
        { { "new", lib, "--json" }, 2 },
        { { "new", "-x" }, 2 },
        { { "diff", lib }, 2 },
        { { "export-syx", lib }, 2 },
        { { "--frobnicate" }, 2 },
        { {}, 2 },
        { { "show", lib }, 0 },
        { { "diff", lib, lib }, 0 },
        { { "import-syx", syx, lib }, 0 },
        { { "import-syx", "--help" }, 0 },
    };

    for (const auto& [args, status] : cases)
    {
        SCOPED_TRACE (args.joinIntoString (" "));
        EXPECT_EQ (run (args), status);
        EXPECT_TRUE (status == 0 || ! err.str().empty()) << "a failure says why on stderr";
    }

    EXPECT_TRUE (noStrayFiles (2));

    // No command: the usage goes where errors go, and nothing to the output.
    const auto outFile = folder.getChildFile ("out.txt");
    EXPECT_EQ (runBinary ({}, quoted (outFile.getFullPathName())), 2);
    EXPECT_EQ (outFile.getSize(), 0);
    EXPECT_TRUE (says ("vesk new FILE.vsk")) << err.str();
}

TEST_F (Cli, TheManPageHasTheExitCodeTable)
{
    if (std::system ("command -v help2man >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "help2man is not installed";

    const auto page = path ("vesk.1.gz");
    const auto command = quoted (VESK_MAN_SCRIPT) + " " + quoted (VESK_BINARY) + " " + quoted (page) + " && zcat " + quoted (page) + " >" + quoted (path ("man.txt"));
    ASSERT_EQ (std::system (command.toRawUTF8()), 0);

    const auto text = juce::File (path ("man.txt")).loadFileAsString();
    const auto exitStatus = text.fromFirstOccurrenceOf (".SH \"EXIT STATUS\"", false, false).upToFirstOccurrenceOf (".SH", false, false);

    for (const auto* meaning : { "done", "failed", "wrong usage" })
        EXPECT_TRUE (exitStatus.contains (meaning)) << meaning << "\n"
                                                    << text;

    // The collection's commands have their section, each one with its help.
    const auto collection = text.fromFirstOccurrenceOf (".SH COLLECTION", false, false).upToFirstOccurrenceOf (".SH", false, false);
    EXPECT_TRUE (collection.contains ("collection search") && collection.contains ("collection check")) << text;
}

TEST_F (Cli, PatternsAreCopiedSwappedAndInitialisedAsWholeRecords)
{
    // other.vsk's patterns differ from lib.vsk's; one.syx holds user pattern 4 alone.
    auto lib = writeOtherLibrary ("lib.vsk"), other = writeOtherLibrary ("other.vsk");
    ASSERT_EQ (run ({ "swap", other, "3", "9" }) + run ({ "copy", other, "3", "temp" }) + run ({ "new", path ("new.vsk") }), 0);
    ASSERT_EQ (run ({ "export-syx", other, path ("other.syx") }), 0);
    writeBytes (path ("one.syx"), frame (patternBody (Area::userPattern, 3)));
    const auto base = bytesOf (lib);

    auto expand = [this] (juce::String args)
    {
        for (juce::String name : { "lib.vsk", "other.vsk", "other.syx", "one.syx", "new.vsk", "missing.vsk", "missing.syx" })
            args = args.replace (name, quoted (path (name.toRawUTF8())));

        return args;
    };

    auto show = [&] (const char* file)
    {
        EXPECT_EQ (runBinary ("show --json " + expand (file), quoted (path ("show.json"))), 0) << err.str();
        return juce::JSON::parse (juce::File (path ("show.json")).loadFileAsString());
    };

    // A record as JSON without its name, which says where it is, not what it holds.
    auto record = [] (const juce::var& document, int slot)
    {
        auto copy = (slot == 0 ? document["temporaryPattern"] : document["userPatterns"][slot - 1]).getDynamicObject()->clone();
        copy->removeProperty ("name");
        return juce::JSON::toString (juce::var (copy.get()), true);
    };

    const auto before = show ("lib.vsk"), others = show ("other.vsk"), defaults = show ("new.vsk");

    // The records that change, each with the library and slot it must now equal.
    const std::pair<const char*, std::vector<std::tuple<int, const juce::var*, int>>> good[] = {
        { "copy lib.vsk 3 7", { { 7, &before, 3 } } },
        { "copy lib.vsk 3 temp --from other.vsk", { { 0, &others, 3 } } },
        { "copy --from other.syx lib.vsk 09 20", { { 20, &others, 9 } } },
        { "copy lib.vsk 4 4 --from one.syx", { { 4, &defaults, 4 } } },
        { "copy lib.vsk 6 11 --from lib.vsk", { { 11, &before, 6 } } },
        { "swap lib.vsk 20 temp", { { 0, &before, 20 }, { 20, &before, 0 } } },
        { "init lib.vsk 12", { { 12, &defaults, 12 } } },
    };

    for (const auto& [args, changed] : good)
    {
        SCOPED_TRACE (args);
        writeBytes (lib, base);
        ASSERT_EQ (runBinary (expand (args)), 0) << err.str();
        const auto after = show ("lib.vsk");
        for (const auto* part : { "systemBlock", "reservedArea" })
            EXPECT_EQ (juce::JSON::toString (after[part]), juce::JSON::toString (before[part])) << part;

        for (int slot = 0; slot < numPatternRecords; ++slot)
        {
            auto source = std::make_pair (&before, slot);

            for (const auto& [target, document, from] : changed)
                source = target == slot ? std::make_pair (document, from) : source;

            EXPECT_TRUE (record (after, slot) == record (*source.first, source.second)) << "slot " << slot;
        }
    }

    writeBytes (lib, base);

    for (const auto& [args, message] : { std::pair ("copy lib.vsk 0 3", "'0' is not a slot"),
                                         { "swap lib.vsk temp x", "'x' is not a slot" },
                                         { "copy lib.vsk 1 2 --from", "--from needs a file" },
                                         { "copy lib.vsk 1 2 --from missing.syx", "does not exist" },
                                         { "copy lib.vsk 1 2 --from one.syx", "holds no dump of User 01" },
                                         { "init missing.vsk 1", "does not exist" } })
    {
        SCOPED_TRACE (args);
        EXPECT_EQ (runBinary (expand (args)), 2);
        const auto text = err.str();
        EXPECT_TRUE (says (message) && std::count (text.begin(), text.end(), '\n') == 1) << text;
        EXPECT_EQ (bytesOf (lib), base);
    }
}

TEST_F (CliWrites, AnOutputThatCannotBePrintedChangesNoFile)
{
    const auto before = everyFile();

    // 1 where the command has something to print: then no file may change.
    const std::tuple<const char*, const char*, int> cases[] = {
        { "new --force lib.vsk", "lib.vsk", 0 },
        { "export-syx --force lib.vsk old.syx", "old.syx", 0 },
        { "import-syx new.syx lib.vsk", "lib.vsk", 0 },
        { "copy lib.vsk 3 7", "lib.vsk", 0 },
        { "swap lib.vsk 3 7", "lib.vsk", 0 },
        { "init lib.vsk 7", "lib.vsk", 0 },
        { "export-mid --force lib.vsk 7 old.mid", "old.mid", 0 },
        { "import-mid tune.mid lib.vsk 7", "lib.vsk", 1 }, // what was imported
        { "copy lib.vsk 7 7", "lib.vsk", 1 }, // that nothing changed
        { "import-mid tune.mid lib.vsk 3", "lib.vsk", 1 },
    };

    for (const auto* output : { "/dev/full", "&-" })
    {
        for (const auto& [line, target, status] : cases)
        {
            SCOPED_TRACE (juce::String (line) + " >" + output);
            restore (before);
            EXPECT_EQ (runBinary (shellLine (line), output), status) << err.str();
            auto expected = before;

            if (status == 0)
                expected.erase (target);
            else
                EXPECT_TRUE (says ("standard output cannot be written")) << err.str();

            auto after = everyFile();

            if (status == 0)
            {
                EXPECT_NE (after[target], before.at (target));
                after.erase (target);
            }

            EXPECT_TRUE (after == expected) << (status == 0 ? "no other file changed" : "no file changed");
            EXPECT_TRUE (noStrayFiles ((int) before.size()));
        }
    }
}

TEST_F (CliWrites, AResultTheSameAsTheFileWritesNothing)
{
    const std::pair<const char*, const char*> cases[] = {
        { "copy lib.vsk 7 7", "lib.vsk" },
        { "copy lib.vsk 3 4", "lib.vsk" },
        { "copy lib.vsk 7 7 --from lib.vsk", "lib.vsk" },
        { "copy lib.vsk 3 5 --from defaults.vsk", "lib.vsk" },
        { "copy lib.vsk 3 6 --from new.syx", "lib.vsk" },
        { "swap lib.vsk 7 7", "lib.vsk" },
        { "swap lib.vsk 3 temp", "lib.vsk" },
        { "init lib.vsk 3", "lib.vsk" },
        { "import-mid tune.mid lib.vsk 3", "lib.vsk" },
        { "import-syx new.syx defaults.vsk", "defaults.vsk" },
        { "new --force defaults.vsk", "defaults.vsk" },
        { "export-syx --force defaults.vsk new.syx", "new.syx" },
        { "export-mid --force defaults.vsk 3 tune.mid", "tune.mid" },
    };

    const auto before = everyFile();
    const auto twin = folder.getChildFile ("twin");

    for (const auto& [line, target] : cases)
    {
        SCOPED_TRACE (line);
        twin.deleteFile();
        ASSERT_EQ (::link (path (target).toRawUTF8(), twin.getFullPathName().toRawUTF8()), 0);

        EXPECT_EQ (run (argsOf (line)), 0) << err.str();
        EXPECT_TRUE (juce::String (out.str()).contains (juce::String (target) + ": nothing changed")) << out.str();
        EXPECT_TRUE (WholeFileWriter::isSameFile (twin, juce::File (path (target)))) << "the file was not replaced";
        twin.deleteFile();
        EXPECT_TRUE (everyFile() == before);
    }
}

TEST_F (CliWrites, ImportMidIntoALibraryThatDoesNotExistIsRefused)
{
    ASSERT_EQ (::symlink ("gone.vsk", path ("link.vsk").toRawUTF8()), 0);
    const auto before = everyFile();

    for (const auto* library : { "typo.vks", "link.vsk" })
    {
        SCOPED_TRACE (library);
        EXPECT_EQ (run (argsOf (juce::String ("import-mid tune.mid ") + library + " 3")), VeskCli::exitUsage);
        EXPECT_TRUE (says ("does not exist")) << err.str();
        EXPECT_TRUE (out.str().empty());
        EXPECT_FALSE (juce::File (path ("typo.vks")).exists() || juce::File (path ("gone.vsk")).exists());
        EXPECT_TRUE (everyFile() == before);
    }
}

TEST_F (CliWrites, AReadOnlyLibraryIsKeptForRootAndForItsOwner)
{
    const auto lib = path ("lib.vsk");
    ASSERT_EQ (::chmod (lib.toRawUTF8(), 0444), 0);
    const auto before = bytesOf (lib);

    EXPECT_EQ (runBinary (shellLine ("copy lib.vsk 3 7")), VeskCli::exitFailed);
    EXPECT_TRUE (says ("lib.vsk: cannot be written: the file is read-only")) << err.str();
    EXPECT_EQ (bytesOf (lib), before);

    if (::geteuid() != 0 || std::system ("command -v setpriv >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "another user needs root and setpriv";

    // The owner, in a folder they may write to.
    const uid_t nobody = 65534;
    ASSERT_EQ (::chmod (folder.getFullPathName().toRawUTF8(), 0777), 0);
    ASSERT_EQ (::chown (lib.toRawUTF8(), nobody, nobody), 0);
    const auto errFile = path ("stderr.txt");
    const auto command = "setpriv --reuid=65534 --regid=65534 --clear-groups " + quoted (VESK_BINARY) + " " + shellLine ("copy lib.vsk 3 7")
                         + " 2>" + quoted (errFile);
    const int status = std::system (command.toRawUTF8());

    EXPECT_TRUE (WIFEXITED (status) && WEXITSTATUS (status) == VeskCli::exitFailed) << status;
    EXPECT_TRUE (juce::File (errFile).loadFileAsString().contains ("the file is read-only")) << juce::File (errFile).loadFileAsString();
    EXPECT_EQ (bytesOf (lib), before);
}
