#include "CliTest.h"
#include "model/VeskSyxFile.h"

using namespace VeskImage;

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
        EXPECT_EQ (err.str(), "vesk: " + (folder.getFullPathName() + juce::File::getSeparatorString()).toStdString() + damage.message + "\n");
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
