#include "model/VeskRandom.h"
#include "model/VeskStepTools.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <algorithm>
#include <functional>
#include <set>

using namespace VeskImage;
using Record = VeskToolResult::Record;

namespace
{
    /** A record whose every byte differs from its neighbours', so a byte moved or lost shows. */
    Record patternOf (int bars, int stepsPerBar, int type = PartType::lead)
    {
        Record record {};

        for (size_t i = 0; i < record.size(); ++i)
            record[i] = (juce::uint8) ((i * 37 + 11) % 100);

        record[Pattern::patternLength] = (juce::uint8) (bars - 1);
        record[Pattern::stepsPerBar] = (juce::uint8) (stepsPerBar == 16 ? 1 : 0);
        record[Pattern::type] = (juce::uint8) type;

        for (int s = 0; s < Pattern::numSteps; ++s)
        {
            record[(size_t) (Pattern::stepGate + s)] = (juce::uint8) (s * 3);
            record[(size_t) (Pattern::stepType + s)] = (juce::uint8) (s % 5);
        }

        return record;
    }

    const std::pair<int, int> layouts[] = { { 1, 12 }, { 1, 16 }, { 2, 12 }, { 2, 16 } };

    /** Offsets a step tool may change: the four lanes of the played steps. */
    bool isPlayedStep (int offset, int played)
    {
        return offset >= Pattern::stepNote && (offset - Pattern::stepNote) % Pattern::numSteps < played;
    }

    void expectOnlyPlayedStepsChanged (const Record& before, const Record& after)
    {
        const int played = Pattern::playedSteps (before.data());

        for (int offset = 0; offset < patternSize; ++offset)
        {
            const bool mayChange = isPlayedStep (offset, played);
            EXPECT_TRUE (mayChange || before[(size_t) offset] == after[(size_t) offset]) << "offset " << offset;
        }
    }

    juce::String hitsOf (const std::vector<bool>& cycle)
    {
        juce::String text;

        for (bool hit : cycle)
            text << (hit ? "x" : ".");

        return text;
    }

    bool isRotationOf (const juce::String& a, const juce::String& b)
    {
        return a.length() == b.length() && (b + b).contains (a);
    }
}

TEST (VeskRandom, GivesTheReferenceSequenceAndDistinctPicks)
{
    // SplitMix64's published outputs for seeds 0 and 1234567.
    const std::pair<std::uint64_t, std::vector<std::uint64_t>> references[] = {
        { 0, { 0xe220a8397b1dcdafULL, 0x6e789e6aa1b965f4ULL, 0x06c45d188009454fULL } },
        { 1234567, { 6457827717110365317ULL, 3203168211198807973ULL, 9817491932198370423ULL } },
    };

    for (const auto& [seed, outputs] : references)
    {
        SCOPED_TRACE (seed);
        VeskRandom random (seed);

        for (auto expected : outputs)
            EXPECT_EQ (random.next(), expected);
    }

    VeskRandom random (7);
    auto picked = random.pick (5, 8);
    std::sort (picked.begin(), picked.end());
    EXPECT_EQ (std::unique (picked.begin(), picked.end()), picked.end());
    EXPECT_EQ (picked.size(), 5u);
    EXPECT_NE (VeskRandom::derive (1, 0), VeskRandom::derive (1, 1));
}

TEST (VeskStepTools, RotatingAndReversingMoveOnlyThePlayedSteps)
{
    for (const auto& [bars, perBar] : layouts)
    {
        SCOPED_TRACE (juce::String (bars) + " x " + juce::String (perBar));
        const auto record = patternOf (bars, perBar);
        const int played = bars * perBar;

        EXPECT_EQ (VeskStepTools::rotate (record.data(), played).record, record);
        EXPECT_EQ (VeskStepTools::rotate (record.data(), -3 * played).record, record);
        EXPECT_EQ (VeskStepTools::reverse (VeskStepTools::reverse (record.data()).record.data()).record, record);

        const auto later = VeskStepTools::rotate (record.data(), 1);
        const auto back = VeskStepTools::rotate (later.record.data(), -1);
        EXPECT_EQ (back.record, record);
        EXPECT_EQ (later.changed, played);
        expectOnlyPlayedStepsChanged (record, later.record);

        // Later: step 1 now holds what step 0 held, and the last played step wrapped to the front.
        for (int lane : { (int) Pattern::stepNote, (int) Pattern::stepLevel, (int) Pattern::stepGate, (int) Pattern::stepType })
        {
            EXPECT_EQ (later.record[(size_t) (lane + 1)], record[(size_t) lane]);
            EXPECT_EQ (later.record[(size_t) lane], record[(size_t) (lane + played - 1)]);
        }

        const auto reversed = VeskStepTools::reverse (record.data());
        EXPECT_EQ (reversed.record[Pattern::stepNote], record[(size_t) (Pattern::stepNote + played - 1)]);
        expectOnlyPlayedStepsChanged (record, reversed.record);
    }
}

TEST (VeskStepTools, TransposeDoubleAndClear)
{
    auto record = patternOf (1, 16);
    std::fill (record.begin() + Pattern::stepNote, record.begin() + Pattern::stepLevel, 60);
    record[Pattern::stepNote] = 125;
    record[Pattern::stepNote + 1] = 2;
    record[Pattern::stepNote + 20] = 126; // not played: stays

    const struct
    {
        int semitones, clamped, firstNote, secondNote;
    } cases[] = { { 1, 0, 126, 3 }, { 3, 1, 127, 5 }, { -3, 1, 122, 0 }, { 12, 1, 127, 14 }, { 0, 0, 125, 2 }, { 1000, 16, 127, 127 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.semitones);
        const auto result = VeskStepTools::transpose (record.data(), c.semitones);
        EXPECT_EQ (result.clamped, c.clamped);
        EXPECT_EQ (result.record[Pattern::stepNote], c.firstNote);
        EXPECT_EQ (result.record[Pattern::stepNote + 1], c.secondNote);
        expectOnlyPlayedStepsChanged (record, result.record);
    }

    for (int perBar : { 12, 16 })
    {
        SCOPED_TRACE (perBar);
        const auto one = patternOf (1, perBar);
        const auto doubled = VeskStepTools::doubleLength (one.data());
        ASSERT_FALSE (doubled.refused());
        EXPECT_EQ (Pattern::playedSteps (doubled.record.data()), 2 * perBar);

        for (int lane : { (int) Pattern::stepNote, (int) Pattern::stepLevel, (int) Pattern::stepGate, (int) Pattern::stepType })
            for (int s = 0; s < Pattern::numSteps; ++s)
                EXPECT_EQ (doubled.record[(size_t) (lane + s)], one[(size_t) (lane + (s < 2 * perBar ? s % perBar : s))]);

        // Two bars would lose the second: refused, nothing changed.
        const auto two = patternOf (2, perBar);
        const auto again = VeskStepTools::doubleLength (two.data());
        EXPECT_EQ (again.refusal, VeskToolResult::Refusal::alreadyTwoBars);
        EXPECT_EQ (again.record, two);

        const auto cleared = VeskStepTools::clear (two.data());
        expectOnlyPlayedStepsChanged (two, cleared.record);

        for (int s = 0; s < 2 * perBar; ++s)
            EXPECT_EQ (cleared.record[(size_t) (Pattern::stepType + s)], StepType::rest);
    }
}

TEST (VeskStepTools, EuclidSpreadsTraditionalRhythms)
{
    const std::tuple<int, int, const char*> rhythms[] = {
        { 3, 8, "x..x..x." }, // tresillo
        { 5, 8, "x.xx.xx." }, // cinquillo
        { 2, 5, "x.x.." },
        { 4, 12, "x..x..x..x.." },
        { 5, 16, "x..x..x...x..x.." }, // bossa nova
        { 7, 12, "x.xx.x.xx.x." }, // a bell pattern
        { 5, 12, "x..x.x..x.x." },
        { 0, 4, "...." },
        { 4, 4, "xxxx" },
    };

    for (const auto& [hits, steps, expected] : rhythms)
    {
        SCOPED_TRACE (juce::String ("E(") + juce::String (hits) + "," + juce::String (steps) + ")");
        const auto cycle = VeskStepTools::euclideanCycle (hits, steps);
        EXPECT_TRUE (isRotationOf (hitsOf (cycle), expected)) << hitsOf (cycle);
        EXPECT_EQ ((int) std::count (cycle.begin(), cycle.end(), true), hits);
        EXPECT_TRUE (hits == 0 || cycle[0]) << "the first step is a hit";
    }

    EXPECT_TRUE (VeskStepTools::euclideanCycle (5, 4).empty());
    EXPECT_TRUE (VeskStepTools::euclideanCycle (0, 0).empty());
}

TEST (VeskStepTools, EuclidRepeatsItsCycleOverThePlayedStepsOrRefuses)
{
    const auto record = patternOf (1, 16);
    const auto result = VeskStepTools::euclid (record.data(), 3, 8, 1, 36);
    ASSERT_FALSE (result.refused());
    expectOnlyPlayedStepsChanged (record, result.record);

    for (int s = 0; s < 16; ++s)
    {
        SCOPED_TRACE (s);
        const bool hit = juce::String ("x..x..x.")[((s % 8) + 7) % 8] == 'x'; // rotated one step later
        EXPECT_EQ (result.record[(size_t) (Pattern::stepType + s)], hit ? StepType::normal : StepType::rest);
        EXPECT_EQ (result.record[(size_t) (Pattern::stepNote + s)], hit ? 36 : record[(size_t) (Pattern::stepNote + s)]);
    }

    // Without a note the hits keep theirs.
    const auto own = VeskStepTools::euclid (record.data(), 4, 4);
    EXPECT_TRUE (std::equal (own.record.begin() + Pattern::stepNote, own.record.begin() + Pattern::stepLevel, record.begin() + Pattern::stepNote));

    using Refusal = VeskToolResult::Refusal;
    const std::tuple<int, int, std::optional<int>, Refusal> refused[] = {
        { 3, 17, {}, Refusal::stepsOverPlayed },
        { 9, 8, {}, Refusal::hitsOverSteps },
        { -1, 8, {}, Refusal::hitsOverSteps },
        { 0, 0, {}, Refusal::tooFewSteps },
        { 3, 8, 128, Refusal::noteOutOfRange },
    };

    for (const auto& [hits, steps, note, why] : refused)
    {
        SCOPED_TRACE (juce::String (hits) + " over " + juce::String (steps));
        const auto refusal = VeskStepTools::euclid (record.data(), hits, steps, 0, note);
        EXPECT_EQ (refusal.refusal, why);
        EXPECT_EQ (refusal.record, record);
    }
}

TEST (VeskStepTools, SeededToolsAreTheSameEverywhereAndKeepTheirLocks)
{
    using Tool = std::function<VeskToolResult (const Record&, std::uint64_t, int)>;
    const std::pair<const char*, Tool> tools[] = {
        { "humanize", [] (const Record& r, std::uint64_t seed, int locks)
          { return VeskStepTools::humanize (r.data(), 20, seed, locks); } },
        { "randomize", [] (const Record& r, std::uint64_t seed, int locks)
          { return VeskStepTools::randomize (r.data(), {}, seed, locks); } },
        { "mutate", [] (const Record& r, std::uint64_t seed, int locks)
          { return VeskStepTools::mutate (r.data(), 50, seed, locks, VeskStepTools::Scale::major); } },
    };

    const auto record = patternOf (1, 16);
    const std::pair<int, int> lanes[] = { { VeskStepTools::noteLane, Pattern::stepNote }, { VeskStepTools::levelLane, Pattern::stepLevel }, { VeskStepTools::gateLane, Pattern::stepGate }, { VeskStepTools::typeLane, Pattern::stepType } };

    for (const auto& [name, tool] : tools)
    {
        SCOPED_TRACE (name);
        const auto first = tool (record, 42, 0);
        EXPECT_EQ (tool (record, 42, 0).record, first.record);
        EXPECT_NE (tool (record, 43, 0).record, first.record);
        EXPECT_GT (first.changed, 0);
        expectOnlyPlayedStepsChanged (record, first.record);

        for (const auto& [lane, offset] : lanes)
        {
            SCOPED_TRACE (offset);
            const auto locked = tool (record, 42, lane);
            EXPECT_TRUE (std::equal (record.begin() + offset, record.begin() + offset + Pattern::numSteps, locked.record.begin() + offset));
        }

        for (int s = 0; s < Pattern::numSteps; ++s)
        {
            EXPECT_LE (first.record[(size_t) (Pattern::stepGate + s)], Pattern::maxGate);
            EXPECT_LT (first.record[(size_t) (Pattern::stepType + s)], StepType::numTypes);
        }
    }

    // Pinned: another generator or another mapping to ranges would give other bytes.
    const auto pinned = VeskStepTools::randomize (record.data(), {}, 1, 0).record;
    EXPECT_EQ (juce::String::toHexString (pinned.data() + Pattern::stepNote, 4), "3f 47 3c 3e");
    EXPECT_EQ (juce::String::toHexString (pinned.data() + Pattern::stepLevel, 4), "67 75 4e 73");
}

TEST (VeskStepTools, RandomizeAndMutateKeepToTheScale)
{
    const auto record = patternOf (2, 16);
    VeskStepTools::RandomizeOptions options;
    options.scale = VeskStepTools::Scale::minorPentatonic;
    options.root = 9; // A
    options.density = 100;
    const auto random = VeskStepTools::randomize (record.data(), options, 5);
    const auto& degrees = VeskStepTools::degrees (options.scale);

    for (int s = 0; s < 32; ++s)
    {
        const int note = random.record[(size_t) (Pattern::stepNote + s)];
        EXPECT_GE (note, options.lowestNote);
        EXPECT_LE (note, options.highestNote);
        EXPECT_NE (std::find (degrees.begin(), degrees.end(), (note - 9 + 120) % 12), degrees.end()) << note;
        EXPECT_NE (random.record[(size_t) (Pattern::stepType + s)], StepType::rest) << "density 100 leaves no Rest";
    }

    options.lowestNote = 61, options.highestNote = 61; // C#: no note of A minor pentatonic
    EXPECT_EQ (VeskStepTools::randomize (record.data(), options, 5).refusal, VeskToolResult::Refusal::noteOutOfRange);

    // A quarter of 32 steps, each a little: a note by one step of the scale at most.
    const auto mutated = VeskStepTools::mutate (random.record.data(), 25, 9, VeskStepTools::levelLane | VeskStepTools::gateLane | VeskStepTools::typeLane,
                                                options.scale, 9);
    EXPECT_EQ (mutated.changed, 8);

    for (int s = 0; s < 32; ++s)
        EXPECT_LE (std::abs (mutated.record[(size_t) (Pattern::stepNote + s)] - random.record[(size_t) (Pattern::stepNote + s)]), 3);

    EXPECT_EQ (VeskStepTools::mutate (record.data(), 101, 1).refusal, VeskToolResult::Refusal::percentOutOfRange);
}

TEST (VeskStepTools, ARythmPatternsSilentStepIsItsBlankNotARest)
{
    // What plays nothing: a Rest (3) on a Lead or Bass, the blank label (4) on a Rythm, whose 3 is "OA".
    const std::pair<int, int> silentOf[] = { { PartType::lead, 3 }, { PartType::bass, 3 }, { PartType::rythm, 4 } };

    for (const auto& [type, silent] : silentOf)
    {
        SCOPED_TRACE (type);
        const auto record = patternOf (1, 16, type);
        const auto typeOf = [] (const Record& r, int s)
        { return (int) r[(size_t) (Pattern::stepType + s)]; };

        const auto cleared = VeskStepTools::clear (record.data());
        const auto euclid = VeskStepTools::euclid (record.data(), 3, 8);
        VeskStepTools::RandomizeOptions full;
        full.density = 100;
        const auto dense = VeskStepTools::randomize (record.data(), full, 3);
        const auto flipped = VeskStepTools::mutate (record.data(), 100, 5, VeskStepTools::noteLane | VeskStepTools::levelLane | VeskStepTools::gateLane);

        for (int s = 0; s < 16; ++s)
        {
            SCOPED_TRACE (s);
            EXPECT_EQ (typeOf (cleared.record, s), silent);
            EXPECT_EQ (typeOf (euclid.record, s), s % 8 == 0 || s % 8 == 3 || s % 8 == 6 ? 0 : silent);
            EXPECT_NE (typeOf (dense.record, s), silent);

            // Every step flipped: the silent ones sound as plain notes or closed hits, the others fall silent.
            EXPECT_EQ (typeOf (flipped.record, s), typeOf (record, s) == silent ? 0 : silent);
        }

        // A Rythm pattern has no Tie or Slide to give, but every kind of hit it has.
        if (type == PartType::rythm)
        {
            std::set<int> kinds;

            for (std::uint64_t seed = 0; seed < 20; ++seed)
            {
                const auto r = VeskStepTools::randomize (record.data(), full, seed).record;
                kinds.insert (r.begin() + Pattern::stepType, r.begin() + Pattern::stepType + 16);
            }

            EXPECT_EQ (kinds, (std::set<int> { 0, 1, 2, 3 }));
        }
    }
}

TEST (VeskStepTools, RandomizeAtDensityZeroLeavesEveryStepSilentForEverySeed)
{
    VeskStepTools::RandomizeOptions none;
    none.density = 0;

    for (int type : { (int) PartType::lead, (int) PartType::rythm })
    {
        const auto record = patternOf (2, 16, type);
        const int silent = type == PartType::rythm ? 4 : 3;
        int sounding = 0;

        for (std::uint64_t seed = 0; seed < 2000; ++seed)
        {
            const auto result = VeskStepTools::randomize (record.data(), none, seed);
            sounding += (int) std::count_if (result.record.begin() + Pattern::stepType, result.record.begin() + Pattern::stepType + 32,
                                             [silent] (int t)
                                             { return t != silent; });
        }

        EXPECT_EQ (sounding, 0) << "type " << type;
    }

    // The chance itself, at both ends.
    VeskRandom random (99);
    int never = 0, always = 0;

    for (int i = 0; i < 100000; ++i)
    {
        never += random.chance (0) ? 1 : 0;
        always += random.chance (100) ? 1 : 0;
    }

    EXPECT_EQ (never, 0);
    EXPECT_EQ (always, 100000);
}

TEST (VeskStepTools, EveryToolRefusesALineInPatternWhoseStepsAreNeverHeard)
{
    using T = VeskStepTools;
    const std::pair<const char*, std::function<VeskToolResult (const juce::uint8*)>> tools[] = {
        { "rotate", [] (auto* r)
          { return T::rotate (r, 1); } },
        { "reverse", [] (auto* r)
          { return T::reverse (r); } },
        { "transpose", [] (auto* r)
          { return T::transpose (r, 3); } },
        { "double", [] (auto* r)
          { return T::doubleLength (r); } },
        { "clear", [] (auto* r)
          { return T::clear (r); } },
        { "humanize", [] (auto* r)
          { return T::humanize (r, 20, 7); } },
        { "randomize", [] (auto* r)
          { return T::randomize (r, {}, 7); } },
        { "mutate", [] (auto* r)
          { return T::mutate (r, 50, 7); } },
        { "euclid", [] (auto* r)
          { return T::euclid (r, 3, 8); } },
    };

    for (const auto& [name, tool] : tools)
    {
        for (int type : { (int) PartType::lineIn, (int) PartType::lead, (int) PartType::bass, (int) PartType::rythm })
        {
            SCOPED_TRACE (std::string (name) + " on type " + std::to_string (type));
            const auto before = patternOf (1, 16, type);
            const auto result = tool (before.data());

            if (type == PartType::lineIn)
            {
                EXPECT_EQ (result.refusal, VeskToolResult::Refusal::noSteps);
                EXPECT_EQ (result.record, before);
                EXPECT_EQ (result.changed, 0);
            }
            else
            {
                EXPECT_FALSE (result.refused());
                EXPECT_GT (result.changed, 0);
            }
        }
    }
}
