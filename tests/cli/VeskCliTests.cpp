#include "RecordingMidiOut.h"
#include "ScopedTmpfs.h"
#include "cli/VeskCli.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskModel.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"
#include "model/WholeFileWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace VeskImage;

namespace
{
    using Bytes = std::vector<juce::uint8>;

    struct Cli : ::testing::Test
    {
        juce::File folder { juce::File::createTempFile ("vesk-cli-tests") };
        std::ostringstream out, err;
        RecordingMidiOut midi;
        VeskModel model { midi }; // defaults, the reference for "new"

        Cli() { folder.createDirectory(); }

        ~Cli() override
        {
            WholeFileWriter::setFaultsForTesting ({});
            folder.deleteRecursively();
        }

        juce::String path (const char* name) const { return folder.getChildFile (name).getFullPathName(); }

        int run (juce::StringArray args)
        {
            out.str ({});
            err.str ({});
            VeskCli cli (out, err);
            return cli.run (args);
        }

        static Bytes bytesOf (const juce::String& file)
        {
            juce::MemoryBlock block;
            juce::File (file).loadFileAsData (block);
            auto* p = static_cast<const juce::uint8*> (block.getData());
            return { p, p + block.getSize() };
        }

        static void writeBytes (const juce::String& file, const Bytes& bytes)
        {
            juce::File f (file);
            ASSERT_TRUE (bytes.empty() ? f.create().wasOk() : f.replaceWithData (bytes.data(), bytes.size()));
        }

        /** A library whose system block and patterns hold other valid bytes than the defaults. */
        juce::String writeOtherLibrary (const char* name)
        {
            Bytes image (model.image, model.image + imageSize);
            juce::Random random (7);

            for (int i = 0; i < reservedAreaOffset; ++i)
                image[(size_t) i] = (juce::uint8) random.nextInt (128);

            EXPECT_TRUE (VeskLibraryFile::write (juce::File (path (name)), image.data()).wasOk());
            return path (name);
        }

        static Bytes frame (Bytes body)
        {
            body.back() = VeskProtocol::computeChecksum (body.data(), (int) body.size());
            body.insert (body.begin(), 0xF0);
            body.push_back (0xF7);
            return body;
        }

        /** A pattern bulk body for address a0 a1 holding the defaults. */
        Bytes patternBody (int a0, int a1) const
        {
            Bytes body ((size_t) VeskProtocol::patternBulkBodySize, 0);
            const juce::uint8 header[] = { 0x41, 0x10, 0x00, 0x4F, 0x12, (juce::uint8) a0, (juce::uint8) a1, 0, 0 };
            std::copy (std::begin (header), std::end (header), body.begin());
            std::copy (model.temporaryPattern, model.temporaryPattern + patternSize, body.begin() + 9);
            return body;
        }

        juce::StringArray lines() const
        {
            auto result = juce::StringArray::fromLines (juce::String (out.str()));
            result.removeEmptyStrings();
            return result;
        }

        /** The real program, as a shell runs it; its stderr is kept in err. */
        int runBinary (const juce::String& arguments, const juce::String& redirectOut = "/dev/null")
        {
            const auto errFile = folder.getChildFile (".stderr");
            const auto command = "'" + juce::String (VESK_BINARY) + "' " + arguments + " >" + redirectOut + " 2>'" + errFile.getFullPathName() + "'";
            const int status = std::system (command.toRawUTF8());
            err.str (errFile.loadFileAsString().toStdString());
            errFile.deleteFile();
            return WIFEXITED (status) ? WEXITSTATUS (status) : -1;
        }

        static juce::String quoted (const juce::String& file) { return "'" + file + "'"; }

        bool says (const char* words) const { return err.str().find (words) != std::string::npos; }

        bool noStrayFiles (int expected) const
        {
            return folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*") == expected
                   && folder.getNumberOfChildFiles (juce::File::findFiles, ".*") == 0;
        }
    };
}

TEST_F (Cli, NewWritesTheDefaultsAndKeepsAnExistingFile)
{
    auto lib = path ("lib.vsk");
    ASSERT_EQ (run ({ "new", lib }), 0);

    auto expected = VeskLibraryFile::encode (model.image);
    auto written = bytesOf (lib);
    ASSERT_EQ (written.size(), 7473u);
    EXPECT_EQ (0, std::memcmp (written.data(), expected.getData(), written.size()));

    writeBytes (lib, { 'V', 'S', 'K', 1, 2, 3 });
    EXPECT_EQ (run ({ "new", lib }), 1);
    EXPECT_NE (err.str().find ("already exists"), std::string::npos);
    EXPECT_EQ (bytesOf (lib).size(), 6u);

    EXPECT_EQ (run ({ "new", lib, "--force" }), 0);
    EXPECT_EQ (bytesOf (lib), written);
}

TEST_F (Cli, ExportFramesSystemThenUserPatternsThenTemporary)
{
    auto lib = path ("lib.vsk"), syx = path ("lib.syx");
    ASSERT_EQ (run ({ "new", lib }), 0);
    ASSERT_EQ (run ({ "export-syx", lib, syx }), 0);

    auto bytes = bytesOf (syx);
    ASSERT_EQ (bytes.size(), 25u + 21u * 171u);
    EXPECT_EQ (RecordingMidiOut::hex ({ bytes.begin(), bytes.begin() + 25 }),
               "F0 41 10 00 4F 12 00 00 00 00 3F 01 00 01 00 00 01 00 00 01 00 00 0C 31 F7");

    for (int m = 0; m < 21; ++m)
    {
        Bytes message (bytes.begin() + 25 + 171 * m, bytes.begin() + 25 + 171 * (m + 1));
        const bool temporary = m == 20;
        EXPECT_EQ (message.front(), 0xF0);
        EXPECT_EQ (message.back(), 0xF7);
        EXPECT_EQ (message[6], temporary ? 0x01 : 0x02) << m;
        EXPECT_EQ (message[7], temporary ? 0 : m) << m;
        EXPECT_EQ (message[169], VeskProtocol::computeChecksum (message.data() + 1, 169)) << m;
        EXPECT_EQ (0, std::memcmp (message.data() + 10, model.temporaryPattern, patternSize)) << m;
    }
}

TEST_F (Cli, ExportThenImportOntoAnotherLibraryGivesTheSameLibraryBack)
{
    auto lib = path ("lib.vsk"), syx = path ("lib.syx"), other = writeOtherLibrary ("other.vsk");
    ASSERT_EQ (run ({ "new", lib }), 0);
    ASSERT_EQ (run ({ "export-syx", lib, syx }), 0);
    ASSERT_NE (bytesOf (other), bytesOf (lib));

    ASSERT_EQ (run ({ "import-syx", syx, other }), 0);
    EXPECT_EQ (bytesOf (other), bytesOf (lib));
    EXPECT_NE (err.str().find ("applied 22 dumps, ignored 0 messages"), std::string::npos) << err.str();

    // And the other way round, through a library with non-default values everywhere.
    auto edited = writeOtherLibrary ("edited.vsk"), fresh = path ("fresh.vsk");
    ASSERT_EQ (run ({ "export-syx", edited, syx, "--force" }), 0);
    ASSERT_EQ (run ({ "import-syx", syx, fresh }), 0);
    EXPECT_EQ (bytesOf (fresh), bytesOf (edited));
    EXPECT_EQ (run ({ "diff", fresh, edited }), 0);
}

TEST_F (Cli, DiffListsExactlyTheFieldsAnImportChanged)
{
    auto lib = path ("lib.vsk"), copy = path ("copy.vsk"), syx = path ("one.syx");
    ASSERT_EQ (run ({ "new", lib }), 0);
    EXPECT_EQ (run ({ "diff", lib, lib }), 0);
    EXPECT_TRUE (out.str().empty());

    auto body = patternBody (2, 4); // user pattern 5
    body[9 + Pattern::type] = PartType::rythm;
    body[9 + Pattern::toneOrKit] = 3;
    body[9 + Pattern::stepType + 1] = StepType::slide;
    writeBytes (syx, frame (body));

    ASSERT_TRUE (juce::File (lib).copyFileTo (juce::File (copy)));
    ASSERT_EQ (run ({ "import-syx", syx, copy }), 0);
    ASSERT_EQ (run ({ "diff", lib, copy }), 1);

    auto diffLines = lines();
    ASSERT_EQ (diffLines.size(), 3) << out.str();
    EXPECT_EQ (diffLines[0], "User 05   type                      Lead -> Rythm");
    EXPECT_EQ (diffLines[1], "User 05   toneOrKit                 01 - SAW 1 Ds1 Off -> Standard");
    EXPECT_EQ (diffLines[2], "User 05   stepType 2                Normal -> CA");

    // A difference in the carried-only bytes is a difference too.
    auto image = bytesOf (lib);
    image[3 + 7000] = 5;
    writeBytes (copy, image);
    EXPECT_EQ (run ({ "diff", lib, copy }), 1);
    EXPECT_EQ (lines().size(), 1);

    EXPECT_EQ (run ({ "diff", lib, path ("missing.vsk") }), 2);
    EXPECT_NE (err.str().find ("missing.vsk: does not exist"), std::string::npos) << err.str();
}

TEST_F (Cli, ShowJsonNamesEveryFieldWithRawAndReadableValues)
{
    auto lib = path ("lib.vsk");
    ASSERT_EQ (run ({ "new", lib }), 0);
    ASSERT_EQ (run ({ "show", lib, "--json" }), 0);

    juce::var json;
    ASSERT_TRUE (juce::JSON::parse (juce::String (out.str()), json).wasOk());

    auto system = json["systemBlock"];
    EXPECT_EQ (system["masterTune"]["raw"], juce::var (63));
    EXPECT_EQ (system["masterTune"]["value"], juce::var ("440.0 Hz"));
    EXPECT_EQ (system["midiChannel"]["value"], juce::var ("1"));
    EXPECT_EQ (system["transpose"]["value"], juce::var ("0 semitones"));

    for (auto* name : { "receiveProgramChange", "receiveControlChange", "receivePitchBend", "transmitProgramChange" })
        EXPECT_EQ (system[name]["value"], juce::var ("on")) << name;

    const char* patternNames[] = { "tempoHigh", "tempoLow", "patternLength", "stepsPerBar", "loopCtrl", "type", "toneOrKit",
                                   "tuneOrEffectParam1", "envModOrEffectParam2", "accentOrEffectParam3", "filterCutoffOrBdLevel",
                                   "filterResonanceOrSdLevel", "filterDecayOrHhLevel", "level", "pan", "lfoRate", "lfoWave", "wave",
                                   "vibratoDepth", "filterType", "filterAttack", "filterSustain", "filterRelease", "filterLfoDepth",
                                   "amplifierEnvDepth", "amplifierAttack", "amplifierDecay", "amplifierSustain",
                                   "amplifierRelease", "amplifierLfoDepth", "vintageOrEffectType" };

    ASSERT_EQ (json["userPatterns"].size(), 20);

    for (int record = 0; record < 21; ++record)
    {
        auto pattern = record == 0 ? json["temporaryPattern"] : json["userPatterns"][record - 1];

        for (int offset = 0; offset < 31; ++offset)
            EXPECT_EQ (pattern[patternNames[offset]]["raw"], juce::var (Pattern::headerDefaults[offset])) << patternNames[offset];

        ASSERT_EQ (pattern["steps"].size(), 32);

        for (auto* name : { "stepNote", "stepLevel", "stepGate", "stepType" })
            EXPECT_TRUE (pattern["steps"][31][name].hasProperty ("raw")) << name;
    }

    auto temporary = json["temporaryPattern"];
    EXPECT_EQ (temporary["name"], juce::var ("Temporary"));
    EXPECT_EQ (json["userPatterns"][19]["name"], juce::var ("User 20"));
    EXPECT_EQ (temporary["tempoLow"]["value"], juce::var ("130.0 BPM"));
    EXPECT_EQ (temporary["type"]["value"], juce::var ("Lead"));
    EXPECT_EQ (temporary["pan"]["value"], juce::var ("0"));
    EXPECT_EQ (temporary["steps"][0]["stepNote"]["value"], juce::var ("E  4"));
    EXPECT_EQ (temporary["steps"][0]["stepType"]["value"], juce::var ("Normal"));
    EXPECT_EQ (json["reservedArea"]["raw"].toString().length(), 2 * reservedAreaSize);
}

TEST_F (Cli, ShowTextIsAlignedAndReadable)
{
    auto lib = path ("lib.vsk");
    ASSERT_EQ (run ({ "new", lib }), 0);
    ASSERT_EQ (run ({ "show", lib }), 0);

    auto text = lines();
    EXPECT_TRUE (text.contains ("  masterTune                440.0 Hz"));
    EXPECT_TRUE (text.contains ("  filterResonanceOrSdLevel  64"));
    EXPECT_TRUE (text.contains ("  step  stepNote   stepLevel  stepGate   stepType"));
    EXPECT_TRUE (text.contains ("    32  E  4       64         80         Normal"));
    EXPECT_TRUE (text.contains ("User 20"));
    EXPECT_TRUE (text.contains ("  reservedArea              4097 bytes, all zero"));
}

TEST_F (Cli, DamagedLibraryIsNamedAndNoOutputChanges)
{
    auto lib = path ("lib.vsk"), syx = path ("out.syx"), target = path ("target.vsk");
    ASSERT_EQ (run ({ "new", lib }), 0);
    ASSERT_EQ (run ({ "new", target }), 0);
    writeBytes (syx, { 1, 2, 3 });
    auto library = bytesOf (lib);

    struct Damage
    {
        Bytes bytes;
        std::string message;
    };

    // File positions run ahead of image offsets by one for each 0x0A stored as 0x0D 0x0A.
    auto filePosition = [this] (int imageOffset)
    { return (size_t) (3 + imageOffset + std::count (model.image, model.image + imageOffset, 0x0A)); };

    Bytes truncated (library.begin(), library.begin() + (long) filePosition (5120));
    Bytes notSevenBit = library;
    notSevenBit[filePosition (211)] = 0x93;

    const Damage damages[] = { { { 'V', 'S', 'X', 0 }, "bad.vsk: not a library file (missing VSK header)" },
                               { truncated, "bad.vsk: ends after 5120 of 7449 image bytes" },
                               { notSevenBit, "bad.vsk: byte 0x93 at image offset 211 is not a 7-bit value" } };

    auto bad = path ("bad.vsk");

    for (auto& damage : damages)
    {
        writeBytes (bad, damage.bytes);

        EXPECT_EQ (run ({ "show", bad }), 1);
        EXPECT_EQ (err.str(), "vesk: " + folder.getFullPathName().toStdString() + "/" + damage.message + "\n");
        EXPECT_TRUE (out.str().empty());

        EXPECT_EQ (run ({ "export-syx", bad, syx }), 1);
        EXPECT_EQ (bytesOf (syx), (Bytes { 1, 2, 3 }));

        // import-syx onto a damaged library must not replace it with defaults.
        ASSERT_EQ (run ({ "export-syx", lib, path ("good.syx"), "--force" }), 0);
        EXPECT_EQ (run ({ "import-syx", path ("good.syx"), bad }), 1);
        EXPECT_EQ (bytesOf (bad), damage.bytes);
    }

    // An output that cannot be written: one line, nothing left behind.
    EXPECT_EQ (run ({ "export-syx", lib, path ("no/such/folder/out.syx") }), 1);
    EXPECT_NE (err.str().find ("out.syx: cannot be written"), std::string::npos) << err.str();
    EXPECT_EQ (run ({ "new", folder.getFullPathName() }), 1);
    EXPECT_TRUE (noStrayFiles (5));
}

TEST_F (Cli, ImportAppliesValidDumpsAroundDamageAndReportsTheRest)
{
    auto lib = path ("lib.vsk"), syx = path ("mixed.syx");

    auto good = patternBody (2, 0);
    good[9 + Pattern::level] = 99;
    auto badChecksum = frame (patternBody (2, 1));
    badChecksum[badChecksum.size() - 2] ^= 1;
    auto unknownUser = patternBody (2, 20);
    Bytes otherMaker { 0x43, 0x10, 0x4C, 0, 0, 0 };
    Bytes tooLong (300, 0);
    auto temporary = patternBody (1, 0);
    temporary[9 + Pattern::pan] = 10;

    Bytes file { 'j', 'u', 'n', 'k' };
    auto append = [&file] (const Bytes& b)
    { file.insert (file.end(), b.begin(), b.end()); };
    append (frame (good));
    append (badChecksum);
    append (frame (unknownUser));
    append (frame (otherMaker));
    append ({ 0xF0, 0x41, 0x10 }); // interrupted by the next F0
    append (frame (tooLong));
    append (frame (temporary));
    append ({ 0xF0, 0x41, 0x10, 0x00 }); // unterminated at the end
    writeBytes (syx, file);

    ASSERT_EQ (run ({ "import-syx", syx, lib }), 0) << err.str();

    Bytes image (imageSize);
    ASSERT_TRUE (VeskLibraryFile::read (juce::File (lib), image.data()).wasOk());
    EXPECT_EQ (image[(size_t) userPatternOffset (0) + Pattern::level], 99);
    EXPECT_EQ (image[(size_t) temporaryPatternOffset + Pattern::pan], 10);
    EXPECT_EQ (0, std::memcmp (image.data() + userPatternOffset (1), model.bytesOf (*VeskBlock::user (2)), patternSize));

    auto report = err.str();
    EXPECT_NE (report.find ("applied 2 dumps, ignored 6 messages"), std::string::npos) << report;
    EXPECT_NE (report.find ("skipped 4 bytes outside messages"), std::string::npos) << report;

    for (auto* reason : { "1 bad checksum", "1 unknown address", "1 not this unit's", "1 interrupted", "1 too long", "1 unterminated" })
        EXPECT_NE (report.find (reason), std::string::npos) << reason << "\n"
                                                            << report;

    EXPECT_NE (report.find ("longer than any dump"), std::string::npos) << report;
    EXPECT_NE (report.find ("unterminated message"), std::string::npos) << report;
}

TEST_F (Cli, ImportOfAFileWithoutDumpsChangesNothing)
{
    auto lib = path ("lib.vsk"), empty = path ("empty.syx"), truncated = path ("truncated.syx");
    writeBytes (empty, {});
    auto shortDump = patternBody (2, 0);
    shortDump.resize (100);
    writeBytes (truncated, frame (shortDump));

    EXPECT_EQ (run ({ "import-syx", empty, lib }), 1);
    EXPECT_NE (err.str().find ("applied 0 dumps, ignored 0 messages"), std::string::npos) << err.str();
    EXPECT_FALSE (juce::File (lib).exists());

    ASSERT_EQ (run ({ "new", lib }), 0);
    auto before = bytesOf (lib);
    EXPECT_EQ (run ({ "import-syx", truncated, lib }), 1);
    EXPECT_NE (err.str().find ("1 truncated"), std::string::npos) << err.str();
    EXPECT_EQ (bytesOf (lib), before);

    EXPECT_EQ (run ({ "import-syx", path ("missing.syx"), lib }), 1);
    EXPECT_EQ (bytesOf (lib), before);
}

TEST_F (Cli, UsageHelpAndVersion)
{
    EXPECT_EQ (run ({}), 2);
    EXPECT_EQ (run ({ "frobnicate" }), 2);
    EXPECT_NE (err.str().find ("unknown command 'frobnicate'"), std::string::npos);
    EXPECT_EQ (run ({ "show" }), 2);
    EXPECT_EQ (run ({ "show", "a.vsk", "--jsn" }), 2);
    EXPECT_NE (err.str().find ("see vesk show --help"), std::string::npos);

    EXPECT_EQ (run ({ "--help" }), 0);
    EXPECT_NE (out.str().find ("vesk import-syx IN.syx FILE.vsk"), std::string::npos);
    EXPECT_EQ (run ({ "diff", "--help" }), 0);
    EXPECT_NE (out.str().find ("Usage: vesk diff A.vsk B.vsk"), std::string::npos);
    EXPECT_EQ (run ({ "--version" }), 0);
    EXPECT_EQ (out.str(), std::string ("vesk ") + JUCE_APPLICATION_VERSION_STRING + "\n");
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

namespace
{
    /** The files every writing command is tried on. lib.vsk holds the defaults
        but for user 7 (another level and first note), so copying, swapping or
        initialising 3 and 7 changes it; tune.mid is user 3 of the defaults,
        new.syx the defaults as dumps, old.syx and old.mid files an export replaces. */
    struct CliWrites : Cli
    {
        CliWrites()
        {
            Bytes image (model.image, model.image + imageSize);
            image[(size_t) userPatternOffset (6) + Pattern::level] = 99;
            image[(size_t) userPatternOffset (6) + Pattern::stepNote] = 50;
            EXPECT_TRUE (VeskLibraryFile::write (juce::File (path ("lib.vsk")), image.data()).wasOk());
            EXPECT_EQ (run ({ "new", path ("defaults.vsk") }), 0);
            EXPECT_EQ (run ({ "export-syx", path ("defaults.vsk"), path ("new.syx") }), 0);
            EXPECT_EQ (run ({ "export-mid", path ("defaults.vsk"), "3", path ("tune.mid") }), 0);
            writeBytes (path ("old.syx"), { 1, 2, 3 });
            writeBytes (path ("old.mid"), { 4, 5, 6 });
        }

        /** The words of a command line, those with a dot made files in the folder. */
        juce::StringArray argsOf (const juce::String& line) const
        {
            auto args = juce::StringArray::fromTokens (line, " ", "");

            for (auto& arg : args)
                arg = arg.containsChar ('.') ? path (arg.toRawUTF8()) : arg;

            return args;
        }

        juce::String shellLine (const juce::String& line) const
        {
            auto args = argsOf (line);

            for (auto& arg : args)
                arg = quoted (arg);

            return args.joinIntoString (" ");
        }

        std::map<juce::String, Bytes> everyFile() const
        {
            std::map<juce::String, Bytes> files;

            for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFiles | juce::File::ignoreHiddenFiles))
                files[entry.getFile().getFileName()] = bytesOf (entry.getFile().getFullPathName());

            return files;
        }

        void restore (const std::map<juce::String, Bytes>& files)
        {
            for (const auto& [name, bytes] : files)
                writeBytes (path (name.toRawUTF8()), bytes);
        }
    };
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

TEST_F (CliWrites, AnOptionThatTakesAValueIsGivenOnceAndNotEmpty)
{
    const auto before = everyFile();

    auto withEmpty = [this] (const char* line, const char* option)
    {
        auto args = argsOf (line);
        args.addArray ({ option, "" });
        return args;
    };

    const std::pair<juce::StringArray, const char*> cases[] = {
        { argsOf ("copy lib.vsk 3 7 --from defaults.vsk --from lib.vsk"), "--from is given twice" },
        { argsOf ("copy --from lib.vsk lib.vsk 3 7 --from lib.vsk"), "--from is given twice" },
        { argsOf ("import-mid tune.mid lib.vsk 7 --track 1 --track 1"), "--track is given twice" },
        { withEmpty ("copy lib.vsk 7 3", "--from"), "--from needs a file" },
        { withEmpty ("import-mid tune.mid lib.vsk 7", "--track"), "--track needs a number" },
    };

    for (const auto& [args, message] : cases)
    {
        SCOPED_TRACE (args.joinIntoString (" "));
        EXPECT_EQ (run (args), VeskCli::exitUsage);
        const auto text = err.str();
        EXPECT_TRUE (says (message) && std::count (text.begin(), text.end(), '\n') == 1) << text;
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
