#include "model/VeskFieldTable.h"
#include "model/VeskSoundTools.h"
#include "model/VeskVariations.h"

#include <gtest/gtest.h>

#include <set>

using namespace VeskImage;
using Record = VeskToolResult::Record;

namespace
{
    Record defaultsOf (int type)
    {
        Record record {};
        std::copy (defaults.begin() + temporaryPatternOffset, defaults.begin() + temporaryPatternOffset + patternSize, record.begin());
        record[Pattern::type] = (juce::uint8) type;
        return record;
    }

    const int soundTypes[] = { PartType::lineIn, PartType::lead, PartType::bass, PartType::rythm, PartType::slicer };
}

TEST (VeskSoundTools, RandomizeStaysInRangeOnShownFieldsAndKeepsLockedPanels)
{
    const int panels[] = { VeskSoundTools::lfoPanel, VeskSoundTools::oscillatorPanel, VeskSoundTools::filterPanel,
                           VeskSoundTools::amplifierPanel, VeskSoundTools::effectPanel, VeskSoundTools::outputPanel };

    for (int type : soundTypes)
    {
        SCOPED_TRACE (type);
        const auto record = defaultsOf (type);
        const auto shown = VeskSoundTools::shownFields (type);
        const auto result = VeskSoundTools::randomize (record.data(), 11);

        EXPECT_EQ (VeskSoundTools::randomize (record.data(), 11).record, result.record);
        EXPECT_EQ (result.changed > 0, ! shown.empty());

        for (int offset = 0; offset < patternSize; ++offset)
        {
            const bool isShown = std::find (shown.begin(), shown.end(), offset) != shown.end();
            const auto range = VeskFieldTable::pattern (offset, type).storedRange();

            if (! isShown)
            {
                EXPECT_EQ (result.record[(size_t) offset], record[(size_t) offset]) << "offset " << offset;
            }
            else
            {
                EXPECT_TRUE (result.record[(size_t) offset] >= range.first && result.record[(size_t) offset] <= range.second) << offset;
            }
        }

        for (int panel : panels)
        {
            // A locked panel stays; the others get what they get unlocked.
            const auto locked = VeskSoundTools::randomize (record.data(), 11, panel);

            for (int offset : shown)
                EXPECT_EQ (locked.record[(size_t) offset], (VeskSoundTools::panelOf (offset, type) == panel ? record : result.record)[(size_t) offset])
                    << "panel " << panel << ", offset " << offset;
        }
    }

    EXPECT_EQ (VeskSoundTools::panelOf (Pattern::vintageOrEffectType, PartType::lead), VeskSoundTools::effectPanel);
    EXPECT_EQ (VeskSoundTools::panelOf (Pattern::filterCutoffOrBdLevel, PartType::rythm), VeskSoundTools::amplifierPanel);
    EXPECT_EQ (VeskSoundTools::panelOf (Pattern::lfoRate, PartType::rythm), 0);
}

TEST (VeskSoundTools, MutateChangesAFewFieldsALittle)
{
    const auto record = defaultsOf (PartType::lead);
    const auto shown = VeskSoundTools::shownFields (PartType::lead);
    const auto result = VeskSoundTools::mutate (record.data(), 25, 3);
    EXPECT_EQ (result.changed, ((int) shown.size() * 25 + 50) / 100);

    for (int offset : shown)
    {
        const auto& entry = VeskFieldTable::pattern (offset, PartType::lead);
        const auto range = entry.storedRange();
        EXPECT_LE (std::abs (result.record[(size_t) offset] - record[(size_t) offset]), std::max (1, (range.second - range.first) / 10)) << offset;
    }

    EXPECT_EQ (VeskSoundTools::mutate (record.data(), 100, 3, 63).changed, 0) << "every panel locked";
}

TEST (VeskSoundTools, BlendLiesBetweenTwoPatternsOfOneType)
{
    auto a = defaultsOf (PartType::bass), b = defaultsOf (PartType::bass);
    a[Pattern::filterCutoffOrBdLevel] = 0, b[Pattern::filterCutoffOrBdLevel] = 100;
    a[Pattern::wave] = 0, b[Pattern::wave] = 1;
    a[Pattern::stepNote + 3] = 40, b[Pattern::stepNote + 3] = 50;
    a[Pattern::stepType + 3] = StepType::normal, b[Pattern::stepType + 3] = StepType::slide;
    Pattern::storeTempo (a.data(), 1000), Pattern::storeTempo (b.data(), 1400);
    b[Pattern::loopCtrl] = 2;

    const struct
    {
        int percent, cutoff, wave, note, type, tempo, loop;
    } cases[] = { { 0, 0, 0, 40, StepType::normal, 1000, 0 }, { 25, 25, 0, 43, StepType::normal, 1100, 0 }, { 50, 50, 1, 45, StepType::slide, 1200, 2 }, { 100, 100, 1, 50, StepType::slide, 1400, 2 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.percent);
        const auto blend = VeskSoundTools::blend (a.data(), b.data(), c.percent);
        ASSERT_FALSE (blend.refused());
        EXPECT_EQ (blend.record[Pattern::filterCutoffOrBdLevel], c.cutoff);
        EXPECT_EQ (blend.record[Pattern::wave], c.wave);
        EXPECT_EQ (blend.record[Pattern::stepNote + 3], c.note);
        EXPECT_EQ (blend.record[Pattern::stepType + 3], c.type);
        EXPECT_EQ (Pattern::tempo (blend.record.data()), c.tempo);
        EXPECT_EQ (blend.record[Pattern::loopCtrl], c.loop);
    }

    EXPECT_EQ (VeskSoundTools::blend (a.data(), b.data(), 100).record, b);

    const auto lead = defaultsOf (PartType::lead);
    const auto refused = VeskSoundTools::blend (a.data(), lead.data(), 50);
    EXPECT_EQ (refused.refusal, VeskToolResult::Refusal::differentTypes);
    EXPECT_EQ (refused.record, a);
}

TEST (VeskVariations, ARoundIsMadeAgainFromItsSeed)
{
    auto record = defaultsOf (PartType::lead);
    VeskVariations::Options options;
    options.soundPercent = 10;

    const auto round = VeskVariations::round (record.data(), 2024, options);
    EXPECT_EQ (VeskVariations::round (record.data(), 2024, options), round);
    EXPECT_NE (VeskVariations::round (record.data(), 2025, options), round);
    EXPECT_EQ (VeskVariations::make (record.data(), 2024, 2, options), round[2]);

    std::set<Record> different (round.begin(), round.end());
    EXPECT_EQ (different.size(), (size_t) VeskVariations::count);

    for (const auto& variation : round)
    {
        EXPECT_NE (variation, record);

        // The default pattern plays 16 steps; the other 16 stay.
        for (int lane : { (int) Pattern::stepNote, (int) Pattern::stepLevel, (int) Pattern::stepGate, (int) Pattern::stepType })
            EXPECT_TRUE (std::equal (record.begin() + lane + 16, record.begin() + lane + 32, variation.begin() + lane + 16)) << lane;
    }
}

TEST (VeskVariations, AVariationsBytesForASeedArePinned)
{
    // Another derivation of the seeds, another mapping to ranges or a lane
    // mixed up would give other bytes: each variation as the bytes it changed.
    const auto changes = [] (const Record& before, const Record& after)
    {
        juce::StringArray changed;

        for (size_t i = 0; i < before.size(); ++i)
            if (before[i] != after[i])
                changed.add (juce::String ((int) i) + "=" + juce::String (after[i]));

        return changed.joinIntoString (" ");
    };

    VeskVariations::Options options;
    options.stepPercent = 25;
    options.scale = VeskStepTools::Scale::major;
    options.root = 2;
    options.soundPercent = 10;

    const struct
    {
        int type, index;
        const char* changed;
    } cases[] = {
        { PartType::lead, 0, "11=63 16=1 28=10 73=58 95=78 108=82 130=3" },
        { PartType::lead, 5, "9=56 25=10 29=10 72=60 100=84 110=89 140=3" },
        { PartType::rythm, 3, "6=1 38=62 39=62 67=74 142=4" }, // the last a closed hit falling silent
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.type) + " " + juce::String (c.index));
        const auto record = defaultsOf (c.type);
        EXPECT_EQ (changes (record, VeskVariations::make (record.data(), 2024, c.index, options)), c.changed);
    }
}
