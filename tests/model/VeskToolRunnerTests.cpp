// The one runner of the pattern tools: the bytes each tool made before it
// (through the Steps menu and through vesk), the settings each reads, every
// refusal in one sentence, seeds read and made in one range, names read back.

#include "model/VeskModel.h"
#include "model/VeskSoundTools.h"
#include "model/VeskToolRunner.h"
#include "model/VeskVariations.h"

#include <gtest/gtest.h>

#include <functional>

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

    // Past 2^31: a seed read as signed, or narrowed on its way, gives other bytes.
    constexpr VeskSeed::Value bigSeed = 3141592653u;

    VeskToolSettings with (const std::function<void (VeskToolSettings&)>& change)
    {
        VeskToolSettings settings;
        settings.seed = bigSeed;
        change (settings);
        return settings;
    }

    /** A case of each tool as the Steps menu or vesk ran it. */
    struct Case
    {
        Tool tool;
        VeskToolSettings settings;
        const char* before; // the digest of what it made before the runner
    };

    std::vector<Case> cases()
    {
        const auto shift = [] (int by)
        { return with ([by] (auto& s)
                       { s.shift = by; }); };

        // Taken from the window's Steps commands and vesk transform/generate
        // as they were before this runner, which agreed where both had a tool.
        return {
            { Tool::rotate, shift (-1), "41c8bf286c23de5f" },
            { Tool::rotate, shift (1), "b97fb92d890a1be7" },
            { Tool::rotate, shift (3), "fd4f01f2ac84da33" },
            { Tool::reverse, {}, "2ff97e922467b7c7" },
            { Tool::transpose, shift (1), "bd22fba68c522541" },
            { Tool::transpose, shift (-1), "156911a5fb1dc7c1" },
            { Tool::transpose, shift (5), "dabced684efb6781" },
            { Tool::transpose, shift (12), "a458611d26ca9041" },
            { Tool::transpose, shift (-12), "1513194e73bc5e41" },
            { Tool::doubleLength, {}, "85831c854436b51c" },
            { Tool::clear, {}, "8be1415ebc0697b0" },
            { Tool::humanize, with ([] (auto& s)
                                    { s.amount = 20, s.lockedLanes = VeskStepTools::gateLane; }),
              "7fcf8cf64a40ef36" },
            { Tool::randomize, with ([] (auto& s)
                                     { s.scale = VeskStepTools::Scale::minor, s.root = 9, s.density = 60; }),
              "f54793a972ddf704" },
            { Tool::mutate, with ([] (auto& s)
                                  { s.amount = 40, s.scale = VeskStepTools::Scale::major, s.root = 2, s.lockedLanes = VeskStepTools::levelLane; }),
              "434ca82d4cfee3c7" },
            { Tool::euclid, with ([] (auto& s)
                                  { s.hits = 5, s.steps = 12, s.rotation = 3, s.note = 36; }),
              "33b00121fc8c63b3" },
            { Tool::randomizeSound, with ([] (auto& s)
                                          { s.lockedPanels = VeskSoundTools::filterPanel; }),
              "5e1ec631e193a1a6" },
            { Tool::mutateSound, with ([] (auto& s)
                                       { s.amount = 30; }),
              "920c86c5a4bfbeae" },
            { Tool::blend, with ([] (auto& s)
                                 { s.amount = 30; }),
              "2172a92f007e28d8" },
        };
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
    // Each setting changed so that a tool reading it makes other bytes.
    const std::pair<VeskToolRunner::Takes, std::function<void (VeskToolSettings&)>> changes[] = {
        { VeskToolRunner::takesSeed, [] (auto& s)
          { ++s.seed; } },
        { VeskToolRunner::takesLanes, [] (auto& s)
          { s.lockedLanes ^= 15; } },
        { VeskToolRunner::takesPanels, [] (auto& s)
          { s.lockedPanels ^= 63; } },
        { VeskToolRunner::takesAmount, [] (auto& s)
          { s.amount = s.amount == 0 ? 50 : 0; } },
        { VeskToolRunner::takesShift, [] (auto& s)
          { ++s.shift; } },
        { VeskToolRunner::takesScale, [] (auto& s)
          { s.scale = VeskStepTools::Scale::minorPentatonic, s.root = (s.root + 6) % 12; } },
        { VeskToolRunner::takesDensity, [] (auto& s)
          { s.density = 100; } },
        { VeskToolRunner::takesCycle, [] (auto& s)
          { ++s.hits, ++s.rotation; } },
    };

    for (const auto& c : cases())
    {
        const auto made = run (c.tool, c.settings);

        for (const auto& [setting, change] : changes)
        {
            SCOPED_TRACE (juce::String ((int) c.tool) + " with setting " + juce::String ((int) setting) + " changed");
            auto changed = c.settings;
            change (changed);
            EXPECT_EQ (run (c.tool, changed) != made, VeskToolRunner::takes (c.tool, setting));
        }
    }

    // Humanize's amount is a step of level or gate, the others' a share.
    EXPECT_EQ (VeskToolRunner::amountRange (Tool::humanize), std::make_pair (0, 127));
    EXPECT_EQ (VeskToolRunner::amountRange (Tool::mutate), std::make_pair (0, 100));
}

TEST (VeskToolRunner, EveryRefusalIsOneSentenceThatNamesWhatItNeeds)
{
    using Refusal = VeskToolResult::Refusal;
    auto lineIn = patternA();
    lineIn[Pattern::type] = PartType::lineIn;
    const auto refused = VeskToolRunner::run (Tool::randomize, lineIn.data(), {});
    ASSERT_EQ (refused.refusal, Refusal::noSteps);
    EXPECT_EQ (refused.record, lineIn);

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
    const std::pair<const char*, std::optional<VeskSeed::Value>> cases[] = {
        { "0", 0u },
        { "1", 1u },
        { "007", 7u },
        { "999999999", 999999999u },
        { "4294967295", 4294967295u },
        { "4294967296", std::nullopt },
        { "4294967301", std::nullopt }, // 5 once narrowed to 32 bits
        { "99999999999999999999", std::nullopt }, // the 20 digits the window takes
        { "18446744073709551617", std::nullopt }, // 1 once wrapped past 64 bits
        { "-1", std::nullopt },
        { "+5", std::nullopt },
        { " 5", std::nullopt },
        { "5 ", std::nullopt },
        { "", std::nullopt },
        { "5e3", std::nullopt },
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
        const auto name = VeskToolSettings::optionName (VeskToolSettings::scaleNames()[i]);
        EXPECT_FALSE (name.containsChar (' ')) << name;
        EXPECT_EQ (settings.readScale (name.toUpperCase()), "");
        EXPECT_EQ ((int) settings.scale, i) << name;
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
    EXPECT_EQ (VeskToolSettings::laneNames().size(), 4);
    EXPECT_EQ (1 << (VeskToolSettings::panelNames().size() - 1), (int) VeskSoundTools::outputPanel);

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
        { "-1", &VeskToolSettings::readRoot },
        { "H", &VeskToolSettings::readRoot },
        { "note,,gate", &VeskToolSettings::readLockedLanes },
        { "pitch", &VeskToolSettings::readLockedLanes },
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
