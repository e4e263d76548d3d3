#include "cli/VeskCli.h"
#include "model/VeskFieldTable.h"
#include "model/VeskFields.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskModel.h"
#include "model/VeskToolRunner.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace VeskImage;

namespace
{
    using Bytes = std::vector<juce::uint8>;

    /** lib.vsk: user 1 a one-bar Lead with distinct notes, user 2 a two-bar Bass, user 3 a Rythm pattern. */
    struct ToolsCli : ::testing::Test
    {
        juce::File folder { juce::File::createTempFile ("vesk-tools-cli-tests") };
        juce::String lib = folder.getChildFile ("lib.vsk").getFullPathName();
        std::ostringstream out, err;

        ToolsCli()
        {
            folder.createDirectory();
            Bytes image ((size_t) imageSize);
            VeskModel::writeDefaults (image.data());

            for (int s = 0; s < Pattern::numSteps; ++s)
                image[(size_t) (patternRecordOffset (1) + Pattern::stepNote + s)] = (juce::uint8) (40 + s);

            image[(size_t) (patternRecordOffset (2) + Pattern::type)] = PartType::bass;
            image[(size_t) (patternRecordOffset (2) + Pattern::patternLength)] = 1;
            image[(size_t) (patternRecordOffset (3) + Pattern::type)] = PartType::rythm;
            EXPECT_TRUE (VeskLibraryFile::write (juce::File (lib), image.data()).wasOk());
        }

        ~ToolsCli() override { folder.deleteRecursively(); }

        /** Words split at spaces; LIB is the library. */
        int run (const juce::String& line)
        {
            out.str ({});
            err.str ({});
            auto args = juce::StringArray::fromTokens (line, " ", "\"");

            for (auto& arg : args)
                arg = arg == "LIB" ? lib : arg.unquoted();

            VeskCli cli (out, err);
            return cli.run (args);
        }

        Bytes image() const
        {
            Bytes bytes ((size_t) imageSize);
            EXPECT_TRUE (VeskLibraryFile::read (juce::File (lib), bytes.data()).wasOk());
            return bytes;
        }

        Bytes record (int slot) const
        {
            const auto all = image();
            return { all.begin() + patternRecordOffset (slot), all.begin() + patternRecordOffset (slot) + patternSize };
        }

        juce::String output() const { return juce::String (out.str()).trim(); }
    };
}

TEST_F (ToolsCli, TransformAndGenerateChangeOnlyTheirSlotsSteps)
{
    const auto before = image();

    const struct
    {
        const char* line;
        int stepOne, typeOne; // user 1's first step afterwards: note, type
    } cases[] = {
        { "transform LIB 1 rotate 1", 55, StepType::normal }, // the 16th step wrapped to the front
        { "transform LIB 1 rotate -1", 40, StepType::normal }, // and back
        { "transform LIB 1 transpose -5", 35, StepType::normal },
        { "transform LIB 1 reverse", 50, StepType::normal },
        { "generate LIB 1 euclid 3 8 --rotate 1 --note 36", 50, StepType::rest },
        { "transform LIB 1 clear", 50, StepType::rest },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.line);
        ASSERT_EQ (run (c.line), 0) << err.str();
        const auto now = image();
        EXPECT_EQ (now[(size_t) (patternRecordOffset (1) + Pattern::stepNote)], c.stepOne);
        EXPECT_EQ (now[(size_t) (patternRecordOffset (1) + Pattern::stepType)], c.typeOne);

        for (int i = 0; i < imageSize; ++i)
        {
            const int offset = i - patternRecordOffset (1);
            const bool playedStep = offset >= Pattern::stepNote && (offset - Pattern::stepNote) % Pattern::numSteps < 16;
            ASSERT_TRUE (playedStep || now[(size_t) i] == before[(size_t) i]) << "image offset " << i;
        }
    }

    // Seeded: the seed printed makes the same bytes again.
    ASSERT_EQ (run ("transform LIB 2 randomize --lock type --scale minor --root A"), 0) << err.str();
    const auto seed = output().fromFirstOccurrenceOf ("(seed ", false, false).upToFirstOccurrenceOf (")", false, false);
    const auto first = record (2);
    EXPECT_NE (first, Bytes (before.begin() + patternRecordOffset (2), before.begin() + patternRecordOffset (3)));
    ASSERT_EQ (run ("init LIB 2"), 0);
    ASSERT_EQ (run ("set LIB 2 type Bass"), 0);
    ASSERT_EQ (run ("set LIB 2 patternLength 2"), 0);
    ASSERT_EQ (run ("transform LIB 2 randomize --lock type --scale minor --root A --seed " + seed), 0) << err.str();
    EXPECT_EQ (record (2), first);

    ASSERT_EQ (run ("transform LIB 1 rotate 16"), 0);
    EXPECT_TRUE (output().contains ("nothing changed")) << output();
}

TEST_F (ToolsCli, WrongValuesExitTwoAndLeaveTheFileByteForByte)
{
    const auto before = juce::File (lib).loadFileAsString();

    const char* const lines[] = {
        "transform LIB 1 rotate",
        "transform LIB 1 rotate x",
        "transform LIB 1 reverse 3",
        "transform LIB 1 frobnicate",
        "transform LIB 1 mutate 101",
        "transform LIB 1 humanize 128",
        "transform LIB 1 mutate 5 --lock note,pitch",
        "transform LIB 1 mutate 5 --seed -1",
        "transform LIB 1 mutate 5 --seed 5 --seed 6",
        "transform LIB 1 randomize --scale dorian",
        "transform LIB 1 reverse --seed 3",
        "transform LIB 1 mutate 5 --density 50",
        "transform LIB 21 reverse",
        "transform LIB system reverse",
        "transform LIB 2 double",
        "transform LIB 1 reverse --raw",
        "transform LIB 1 humanize 10 --scale major",
        "transform LIB 1 humanize 10 --root D",
        "set LIB 3 stepType1 Tie",
        "generate LIB 1 euclid 9 8",
        "generate LIB 1 euclid 3 17",
        "generate LIB 1 euclid 3 8 --note 128",
        "generate LIB 1 shuffle 3 8",
        "set LIB 1 level 128",
        "set LIB 1 type Rythmx",
        "set LIB 1 frobnicate 1",
        "set LIB system midiChannel 17",
        "set LIB system level 3",
        "set LIB 1 stepNote 33 60",
        "set LIB 1 tempo 241",
        "set LIB 1 stepGate3 106",
        "set LIB 1 level 200 --raw",
        "set LIB 1 level",
        "get LIB 1 frobnicate",
        "get LIB 22 level",
        "import-mid missing.mid LIB 1 --bar 0",
    };

    for (const auto* line : lines)
    {
        SCOPED_TRACE (line);
        EXPECT_EQ (run (line), 2);
        EXPECT_EQ (juce::StringArray::fromLines (juce::String (err.str()).trim()).size(), 1) << err.str();
        EXPECT_EQ (juce::File (lib).loadFileAsString(), before);
    }

    EXPECT_EQ (run ("transform --help"), 0);
    EXPECT_TRUE (output().contains ("Usage: vesk transform FILE.vsk SLOT OP"));
}

TEST_F (ToolsCli, EveryFieldIsSetAsShownAndReadBack)
{
    for (int slot : { 1, 2, 3 })
    {
        const auto slotName = juce::String (slot);
        const auto current = record (slot);
        juce::StringArray names { "tempo", "stepNote 5", "stepType32" };

        for (auto& field : VeskFields::patternFields())
            names.add (field.name);

        for (auto& name : names)
        {
            SCOPED_TRACE (slotName + " " + name);
            const auto field = VeskFields::named (name, false).value();
            const auto& entry = VeskFieldTable::pattern (field.offset, current[Pattern::type]);
            const auto range = entry.storedRange();

            for (int stored : { range.second, range.first })
            {
                const auto text = entry.text (stored);
                ASSERT_EQ (run ("set LIB " + slotName + " \"" + name + "\" \"" + text + "\""), 0) << err.str();
                ASSERT_EQ (run ("get LIB " + slotName + " \"" + name + "\""), 0) << err.str();
                EXPECT_EQ (output(), text);
                ASSERT_EQ (run ("get LIB " + slotName + " \"" + name + "\" --raw"), 0);
                const bool oneTempoByte = entry.kind == VeskFieldTable::Kind::tempo && field.width == 1;
                EXPECT_EQ (output().getIntValue(), oneTempoByte ? (int) record (slot)[(size_t) field.offset] : stored);
            }

            // Put back, so the type and the length keep meaning what they meant.
            ASSERT_EQ (run ("set LIB " + slotName + " \"" + name + "\" " + juce::String (field.width == 2 ? Pattern::tempo (current.data()) : current[(size_t) field.offset]) + " --raw"), 0);
        }
    }

    for (auto& field : VeskFields::systemFields())
    {
        SCOPED_TRACE (field.name);
        const auto range = VeskFieldTable::system (field.offset).storedRange();
        ASSERT_EQ (run ("set LIB system " + juce::String (field.name) + " " + juce::String (range.first) + " --raw"), 0) << err.str();
        ASSERT_EQ (run ("get LIB system " + juce::String (field.name)), 0);
        EXPECT_EQ (output(), VeskFieldTable::system (field.offset).text (range.first));
    }

    // Units left out, negative values, one byte of the tempo.
    ASSERT_EQ (run ("set LIB 1 tempo 97.5"), 0);
    EXPECT_EQ (Pattern::tempo (record (1).data()), 975);
    ASSERT_EQ (run ("set LIB 1 pan -20"), 0);
    EXPECT_EQ (record (1)[Pattern::pan], 44);
    ASSERT_EQ (run ("set LIB 1 tempoLow 3 --raw"), 0);
    EXPECT_EQ (record (1)[Pattern::tempoLow], 3);
    EXPECT_TRUE (output().contains ("User 01 tempoLow")) << output();
}

TEST_F (ToolsCli, ATempoOutsideTheUnitsRangeIsMarkedAsEveryDamagedField)
{
    for (const auto* raw : { "16383", "399", "2401" })
    {
        SCOPED_TRACE (raw);
        ASSERT_EQ (run ("set LIB 1 tempo " + juce::String (raw) + " --raw"), 0) << err.str();
        ASSERT_EQ (run ("get LIB 1 tempo"), 0);
        EXPECT_EQ (output(), juce::String (raw) + " (out of range)");
        ASSERT_EQ (run ("show LIB"), 0);
        EXPECT_TRUE (output().contains (juce::String (raw) + " (out of range)")) << output();
        ASSERT_EQ (run ("get LIB 1 tempo --raw"), 0);
        EXPECT_EQ (output(), raw);
    }

    // The ends of the range read as beats and set back as they read.
    for (const auto* bpm : { "40.0 BPM", "240.0 BPM" })
    {
        ASSERT_EQ (run ("set LIB 1 tempo \"" + juce::String (bpm) + "\""), 0) << err.str();
        ASSERT_EQ (run ("get LIB 1 tempo"), 0);
        EXPECT_EQ (output(), bpm);
    }
}

TEST_F (ToolsCli, ShowPrintsATempoOnceAndItsBytesStayFieldsOfTheirOwn)
{
    ASSERT_EQ (run ("set LIB 1 tempo 130.1"), 0) << err.str();
    ASSERT_EQ (run ("show LIB"), 0);

    auto lines = juce::StringArray::fromLines (output());
    const auto section = lines.indexOf ("User 01");
    ASSERT_GE (section, 0);
    juce::StringArray tempoRows;

    for (int i = section + 1; i < lines.size() && lines[i].isNotEmpty(); ++i)
        if (lines[i].contains ("BPM") || lines[i].contains ("tempo"))
            tempoRows.add (lines[i].trim());

    ASSERT_EQ (tempoRows.size(), 1) << tempoRows.joinIntoString ("\n");
    EXPECT_EQ (tempoRows[0].upToFirstOccurrenceOf (" ", false, false), "tempo");
    EXPECT_EQ (tempoRows[0].fromFirstOccurrenceOf (" ", false, false).trim(), "130.1 BPM");

    // JSON keeps the two bytes under their own names for scripts, and the tempo beside them.
    ASSERT_EQ (run ("show LIB --json"), 0);
    juce::var json;
    ASSERT_TRUE (juce::JSON::parse (output(), json).wasOk());
    auto user1 = json["userPatterns"][0];
    EXPECT_EQ (user1["tempo"]["raw"], juce::var (1301));
    EXPECT_EQ (user1["tempo"]["value"], juce::var ("130.1 BPM"));
    EXPECT_EQ (user1["tempoHigh"]["raw"], juce::var (1301 / 128));
    EXPECT_EQ (user1["tempoLow"]["raw"], juce::var (1301 % 128));

    // get and set still reach each byte by its name.
    ASSERT_EQ (run ("get LIB 1 tempoHigh --raw"), 0);
    EXPECT_EQ (output(), juce::String (1301 / 128));
    ASSERT_EQ (run ("set LIB 1 tempoLow 0 --raw"), 0);
    ASSERT_EQ (run ("get LIB 1 tempo"), 0);
    EXPECT_EQ (output(), "128.0 BPM");
}

TEST_F (ToolsCli, ARythmPatternsStepsAreNamedAndClearedAsItsGridShowsThem)
{
    // User 3 is a Rythm pattern: its silent step is the blank label, shown "-".
    ASSERT_EQ (run ("transform LIB 3 clear"), 0) << err.str();
    EXPECT_EQ (record (3)[Pattern::stepType], 4);
    ASSERT_EQ (run ("get LIB 3 stepType1"), 0);
    EXPECT_EQ (output(), "-");

    const std::pair<const char*, int> named[] = { { "OA", 3 }, { "Accent", 2 }, { "O", 1 }, { "rest", 4 }, { "Normal", 0 } };

    for (const auto& [text, stored] : named)
    {
        SCOPED_TRACE (text);
        ASSERT_EQ (run ("set LIB 3 stepType1 " + juce::String (text)), 0) << err.str();
        EXPECT_EQ (record (3)[Pattern::stepType], stored);
    }

    ASSERT_EQ (run ("generate LIB 3 euclid 1 4"), 0) << err.str();
    EXPECT_EQ (juce::String::toHexString (record (3).data() + Pattern::stepType, 5), "00 04 04 04 00");
}

TEST_F (ToolsCli, ImportMidTakesABarAndAChannel)
{
    const auto mid = folder.getChildFile ("two.mid").getFullPathName();
    ASSERT_EQ (run ("set LIB 1 patternLength 2"), 0);
    ASSERT_EQ (run ("export-mid LIB 1 " + mid), 0) << err.str();

    // Bar 2 of user 1 becomes bar 1 of user 4: its first step is user 1's seventeenth.
    ASSERT_EQ (run ("import-mid " + mid + " LIB 4 --bar 2 --channel 1"), 0) << err.str();
    EXPECT_EQ (record (4)[Pattern::stepNote], record (1)[Pattern::stepNote + 16]);
    EXPECT_EQ (output(), mid + ": imported 16 steps");

    const auto before = juce::File (lib).loadFileAsString();

    for (const auto* options : { "--bar 3", "--bar 0", "--bar x", "--channel 2", "--channel 0", "--channel 17", "--bar 2 --bar 2" })
    {
        SCOPED_TRACE (options);
        EXPECT_EQ (run ("import-mid " + mid + " LIB 4 " + options), 2);
        EXPECT_FALSE (err.str().empty());
        EXPECT_EQ (juce::File (lib).loadFileAsString(), before);
    }
}

TEST_F (ToolsCli, ALineInPatternHasNoStepsToTransformOrGenerate)
{
    ASSERT_EQ (run ("set LIB 4 type \"Line In\""), 0) << err.str();
    const auto before = image();

    for (const auto* line : { "transform LIB 4 randomize --seed 5", "transform LIB 4 rotate 1", "transform LIB 4 clear",
                              "generate LIB 4 euclid 3 8" })
    {
        SCOPED_TRACE (line);
        EXPECT_EQ (run (line), 2);
        EXPECT_EQ (juce::String (err.str()).trim(), "vesk: " + lib + ": User 04 is a Line In pattern: it has no steps to change; " + lib + " left as it was");
        EXPECT_EQ (out.str(), "");
        EXPECT_EQ (image(), before);
    }

    // The same slot as a Lead pattern takes them again.
    ASSERT_EQ (run ("set LIB 4 type Lead"), 0);
    EXPECT_EQ (run ("transform LIB 4 randomize --seed 5"), 0) << err.str();
}

TEST_F (ToolsCli, TransformRunsTheOneRunnerAndTakesSeedsThatFit32Bits)
{
    // The settings the window's test gives Randomize...: the same pattern from the same seed.
    const auto before = record (1);
    ASSERT_EQ (run ("transform LIB 1 randomize --seed 3141592653 --scale minor --root A --density 60 --lock gate"), 0) << err.str();
    VeskToolSettings settings;
    settings.seed = 3141592653u;
    settings.scale = VeskStepTools::Scale::minor;
    settings.root = 9;
    settings.density = 60;
    settings.lockedLanes = VeskStepTools::gateLane;
    const auto made = VeskToolRunner::run (VeskToolRunner::Tool::randomize, before.data(), settings).record;
    EXPECT_EQ (record (1), Bytes (made.begin(), made.end()));

    // Past 32 bits the seed is refused in the words of the window's.
    const auto file = juce::File (lib).loadFileAsString();
    EXPECT_EQ (run ("transform LIB 1 mutate 5 --seed 4294967296"), 2);
    EXPECT_TRUE (juce::String (err.str()).contains (VeskSeed::whyNot ("4294967296"))) << err.str();
    EXPECT_EQ (juce::File (lib).loadFileAsString(), file);

    // A seed vesk chooses lies in the range the window's do.
    for (int i = 0; i < 5; ++i)
    {
        ASSERT_EQ (run ("transform LIB 1 mutate 5"), 0) << err.str();
        const auto seed = VeskSeed::parse (output().fromFirstOccurrenceOf ("(seed ", false, false).upToFirstOccurrenceOf (")", false, false));
        ASSERT_TRUE (seed.has_value()) << output();
        EXPECT_GE (*seed, 1u);
        EXPECT_LE (*seed, VeskSeed::highestMade);
    }
}
