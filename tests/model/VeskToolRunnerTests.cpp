// The one runner of the pattern tools: the bytes each tool made before it
// (through the Steps menu and through vesk), the settings each reads, every
// refusal in one sentence, seeds read and made in one range, names read back.

#include "model/VeskModel.h"
#include "model/VeskSoundTools.h"
#include "model/VeskToolRunner.h"
#include "model/VeskVariations.h"

#include <gtest/gtest.h>

using namespace VeskImage;

namespace
{
    using Tool = VeskToolRunner::Tool;
    using Record = VeskToolResult::Record;

    /** User 1 of a new library, one bar of 16 steps that all differ. */
    Record patternA()
    {
        std::vector<juce::uint8> image ((size_t) imageSize);
        VeskModel::writeDefaults (image.data());
        Record record;
        std::copy_n (image.begin() + patternRecordOffset (1), patternSize, record.begin());
        record[Pattern::patternLength] = 0;
        record[Pattern::stepsPerBar] = 1;

        for (size_t s = 0; s < (size_t) Pattern::numSteps; ++s)
        {
            record[Pattern::stepNote + s] = (juce::uint8) (40 + 2 * s);
            record[Pattern::stepLevel + s] = (juce::uint8) (20 + 2 * s);
            record[Pattern::stepGate + s] = (juce::uint8) (10 + s);
            record[Pattern::stepType + s] = (juce::uint8) (s % 5 == 4 ? StepType::rest : StepType::normal);
        }

        return record;
    }

    /** What Blend mixes into A: other notes and levels, another cutoff. */
    Record patternB()
    {
        auto record = patternA();

        for (size_t s = 0; s < (size_t) Pattern::numSteps; ++s)
        {
            record[Pattern::stepNote + s] = (juce::uint8) (70 - s);
            record[Pattern::stepLevel + s] = (juce::uint8) (100 - 2 * s);
        }

        record[Pattern::filterCutoffOrBdLevel] = 120;
        return record;
    }

    /** FNV-1a of a record's bytes: a short name for them that any changed byte changes. */
    juce::String digest (const Record& record)
    {
        std::uint64_t hash = 0xcbf29ce484222325ULL;

        for (auto byte : record)
            hash = (hash ^ byte) * 0x100000001b3ULL;

        return juce::String::toHexString ((juce::int64) hash);
    }

    Record run (Tool tool, const VeskToolSettings& settings)
    {
        const auto a = patternA(), b = patternB();
        return VeskToolRunner::run (tool, a.data(), settings, b.data()).record;
    }

    struct Case
    {
        Tool tool;
        VeskToolSettings settings;
        const char* before; // the digest of what the tool made before this runner
    };

    /** Each tool as the Steps menu or vesk ran it. */
    std::vector<Case> cases()
    {
        VeskToolSettings seeded;
        seeded.seed = 3141592653u; // past 2^31: a seed read as signed, or narrowed, makes other bytes
        auto humanize = seeded, randomize = seeded, mutate = seeded, euclid = seeded, sound = seeded, mix = seeded;
        humanize.amount = 20, humanize.lockedLanes = VeskStepTools::gateLane;
        randomize.scale = VeskStepTools::Scale::minor, randomize.root = 9, randomize.density = 60;
        mutate.amount = 40, mutate.scale = VeskStepTools::Scale::major, mutate.root = 2, mutate.lockedLanes = VeskStepTools::levelLane;
        euclid.hits = 5, euclid.steps = 12, euclid.rotation = 3, euclid.note = 36;
        sound.lockedPanels = VeskSoundTools::filterPanel;
        mix.amount = 30;
        const auto by = [&seeded] (int shift)
        {
            auto settings = seeded;
            settings.shift = shift;
            return settings;
        };

        // Digests of what the window's Steps commands and vesk transform and
        // generate made before the runner (the two agreed where both had a tool).
        return {
            { Tool::rotate, by (-1), "41c8bf286c23de5f" },
            { Tool::rotate, by (1), "b97fb92d890a1be7" },
            { Tool::rotate, by (3), "fd4f01f2ac84da33" },
            { Tool::reverse, seeded, "2ff97e922467b7c7" },
            { Tool::transpose, by (1), "bd22fba68c522541" },
            { Tool::transpose, by (-1), "156911a5fb1dc7c1" },
            { Tool::transpose, by (5), "dabced684efb6781" },
            { Tool::transpose, by (12), "a458611d26ca9041" },
            { Tool::transpose, by (-12), "1513194e73bc5e41" },
            { Tool::doubleLength, seeded, "85831c854436b51c" },
            { Tool::clear, seeded, "8be1415ebc0697b0" },
            { Tool::humanize, humanize, "7fcf8cf64a40ef36" },
            { Tool::randomize, randomize, "f54793a972ddf704" },
            { Tool::mutate, mutate, "434ca82d4cfee3c7" },
            { Tool::euclid, euclid, "33b00121fc8c63b3" },
            { Tool::randomizeSound, sound, "5e1ec631e193a1a6" },
            { Tool::mutateSound, mix, "920c86c5a4bfbeae" },
            { Tool::blend, mix, "2172a92f007e28d8" },
        };
    }

    /** The settings that setting names, changed so that a tool reading them makes other bytes. */
    void change (VeskToolSettings& s, int setting)
    {
        switch (setting)
        {
            case VeskToolRunner::takesSeed: ++s.seed; break;
            case VeskToolRunner::takesLanes: s.lockedLanes ^= 15; break;
            case VeskToolRunner::takesPanels: s.lockedPanels ^= 63; break;
            case VeskToolRunner::takesAmount: s.amount = s.amount == 0 ? 50 : 0; break;
            case VeskToolRunner::takesShift: ++s.shift; break;
            case VeskToolRunner::takesScale: s.scale = VeskStepTools::Scale::minorPentatonic, s.root = (s.root + 6) % 12; break;
            case VeskToolRunner::takesDensity: s.density = 100; break;
            case VeskToolRunner::takesCycle: ++s.hits, ++s.rotation; break;
            default: ADD_FAILURE() << "a setting with no change here: " << setting;
        }
    }
}

TEST (VeskToolRunner, EachToolMakesTheBytesTheWindowAndVeskMadeBeforeIt)
{
    for (const auto& c : cases())
    {
        SCOPED_TRACE ((int) c.tool);
        const auto made = run (c.tool, c.settings);
        EXPECT_NE (made, patternA()) << "a case that changes nothing proves nothing";
        EXPECT_EQ (digest (made), c.before);
    }
}

TEST (VeskToolRunner, EachToolReadsTheSettingsItTakesAndNoOther)
{
    for (const auto& c : cases())
    {
        const auto made = run (c.tool, c.settings);

        for (int setting = 1; setting <= VeskToolRunner::takesCycle; setting <<= 1)
        {
            SCOPED_TRACE (juce::String ((int) c.tool) + " with setting " + juce::String (setting) + " changed");
            auto changed = c.settings;
            change (changed, setting);
            EXPECT_EQ (run (c.tool, changed) != made, VeskToolRunner::takes (c.tool, (VeskToolRunner::Takes) setting));
        }
    }

    EXPECT_EQ (VeskToolRunner::amountRange (Tool::humanize), std::make_pair (0, 127)); // a step of level or gate
    EXPECT_EQ (VeskToolRunner::amountRange (Tool::mutate), std::make_pair (0, 100)); // a share
}

TEST (VeskToolRunner, EveryRefusalIsOneSentenceThatNamesWhatItNeeds)
{
    using Refusal = VeskToolResult::Refusal;
    VeskToolSettings cycle;
    cycle.hits = 9, cycle.steps = 17;
    const auto a = patternA();

    const struct
    {
        Refusal refusal;
        Tool tool;
        juce::StringArray named;
    } cases[] = {
        { Refusal::noSteps, Tool::clear, { "User 04", "Line In" } },
        { Refusal::alreadyTwoBars, Tool::doubleLength, { "User 04", "2 bars" } },
        { Refusal::stepsOverPlayed, Tool::euclid, { "User 04", "16 steps", "17" } },
        { Refusal::hitsOverSteps, Tool::euclid, { "9 hits", "17" } },
        { Refusal::tooFewSteps, Tool::euclid, { "one step" } },
        { Refusal::noteOutOfRange, Tool::euclid, { "0 to 127" } },
        { Refusal::differentTypes, Tool::blend, { "same type" } },
        { Refusal::percentOutOfRange, Tool::humanize, { "0 to 127" } },
        { Refusal::percentOutOfRange, Tool::mutate, { "0 to 100" } },
    };

    for (const auto& c : cases)
    {
        const auto text = VeskToolRunner::whyRefused (c.tool, c.refusal, a.data(), cycle, "User 04");
        SCOPED_TRACE (text);
        EXPECT_FALSE (text.containsAnyOf ("\n.")) << "one sentence, ended by whoever shows it";
        EXPECT_TRUE (juce::CharacterFunctions::isUpperCase (text[0]) || juce::CharacterFunctions::isDigit (text[0]));

        for (const auto& word : c.named)
            EXPECT_TRUE (text.contains (word)) << word;
    }

    EXPECT_EQ (VeskToolRunner::whyRefused (Tool::clear, Refusal::none, a.data(), cycle, "User 04"), "");
}

TEST (VeskSeed, ReadsEveryWholeNumberThatFits32BitsAndRefusesTheRestInOneSentence)
{
    // 4294967301 narrowed to 32 bits is 5; 20 digits is what the window takes; 18446744073709551617 wraps to 1.
    const std::pair<const char*, std::optional<VeskSeed::Value>> cases[] = {
        { "0", 0u },
        { "007", 7u },
        { "999999999", 999999999u },
        { "4294967295", 4294967295u },
        { "4294967296", std::nullopt },
        { "4294967301", std::nullopt },
        { "99999999999999999999", std::nullopt },
        { "18446744073709551617", std::nullopt },
        { "-1", std::nullopt },
        { "+5", std::nullopt },
        { " 5", std::nullopt },
        { "5 ", std::nullopt },
        { "", std::nullopt },
        { "5e3", std::nullopt }
    };

    for (const auto& [text, expected] : cases)
    {
        SCOPED_TRACE ("'" + juce::String (text) + "'");
        EXPECT_EQ (VeskSeed::parse (text), expected);

        VeskToolSettings settings;
        settings.seed = 42;
        const auto problem = settings.readSeed (text);
        EXPECT_EQ (settings.seed, expected.value_or (42)) << "a seed refused leaves the one there";
        EXPECT_EQ (problem, expected.has_value() ? juce::String() : VeskSeed::whyNot (text));
    }

    EXPECT_EQ (VeskSeed::whyNot ("-1"), "'-1' is not a seed: a whole number from 0 to 4294967295");
}

TEST (VeskSeed, EveryNewSeedLiesInOneRangeAsShortAsVariationsRounds)
{
    EXPECT_EQ (VeskVariations::maxSeed, VeskSeed::highestMade);
    EXPECT_EQ (VeskSeed::madeFrom (0), 1u);
    EXPECT_EQ (VeskSeed::madeFrom (VeskSeed::highestMade - 1), VeskSeed::highestMade);
    EXPECT_EQ (VeskSeed::madeFrom (VeskSeed::highestMade), 1u);
    EXPECT_LE (VeskSeed::madeFrom (~std::uint64_t (0)), VeskSeed::highestMade);

    for (int i = 0; i < 1000; ++i)
    {
        const auto seed = VeskSeed::make();
        ASSERT_GE (seed, 1u);
        ASSERT_LE (seed, VeskSeed::highestMade);
    }
}

TEST (VeskToolSettings, NamesAreReadBackAsListedAndOthersRefusedLeavingTheSettings)
{
    VeskToolSettings settings;

    for (int i = 0; i < VeskToolSettings::scaleNames().size(); ++i)
    {
        EXPECT_EQ (settings.readScale (VeskToolSettings::optionName (VeskToolSettings::scaleNames()[i]).toUpperCase()), "");
        EXPECT_EQ ((int) settings.scale, i);
    }

    for (int i = 0; i < VeskToolSettings::rootNames().size(); ++i)
    {
        EXPECT_EQ (settings.readRoot (VeskToolSettings::rootNames()[i].toLowerCase()), "");
        EXPECT_EQ (settings.root, i);
        settings.root = -1;
        EXPECT_EQ (settings.readRoot (juce::String (i)), "");
        EXPECT_EQ (settings.root, i);
    }

    EXPECT_EQ (VeskToolSettings::scaleNames().size(), (int) VeskStepTools::Scale::minorPentatonic + 1);
    EXPECT_EQ (1 << (VeskToolSettings::laneNames().size() - 1), (int) VeskStepTools::typeLane);

    for (int i = 0; i < VeskToolSettings::laneNames().size(); ++i)
    {
        EXPECT_EQ (settings.readLockedLanes (VeskToolSettings::laneNames()[i]), "");
        EXPECT_EQ (settings.lockedLanes, 1 << i);
    }

    EXPECT_EQ (settings.readLockedLanes (" Note , GATE"), "");
    EXPECT_EQ (settings.lockedLanes, VeskStepTools::noteLane | VeskStepTools::gateLane);

    // Refused in one sentence that lists what is taken; the settings stay as they were.
    const auto kept = settings;
    using Reader = juce::String (VeskToolSettings::*) (const juce::String&);
    const std::pair<juce::String, Reader> wrong[] = {
        { "dorian", &VeskToolSettings::readScale },
        { "minor pentatonic", &VeskToolSettings::readScale },
        { "12", &VeskToolSettings::readRoot },
        { "H", &VeskToolSettings::readRoot },
        { "note,,gate", &VeskToolSettings::readLockedLanes },
        { "pitch", &VeskToolSettings::readLockedLanes }
    };

    for (const auto& [text, read] : wrong)
    {
        const auto problem = (settings.*read) (text);
        EXPECT_TRUE (problem.startsWith ("'" + text + "' is not a ")) << problem;
        EXPECT_FALSE (problem.containsChar ('\n'));
        EXPECT_EQ (settings.scale, kept.scale);
        EXPECT_EQ (settings.root, kept.root);
        EXPECT_EQ (settings.lockedLanes, kept.lockedLanes);
    }

    EXPECT_TRUE (settings.readScale ("x").endsWith ("minor or minor-pentatonic")) << settings.readScale ("x");
    EXPECT_TRUE (settings.readLockedLanes ("x").contains ("note, level, gate, type")) << settings.readLockedLanes ("x");
}
