#include "VeskStepTools.h"
#include "VeskRandom.h"
#include "VeskStepTypes.h"

#include <algorithm>

namespace
{
    using namespace VeskImage;
    using Record = VeskToolResult::Record;

    constexpr int lanes[] = { Pattern::stepNote, Pattern::stepLevel, Pattern::stepGate, Pattern::stepType };

    VeskToolResult refuse (const std::uint8_t* record, VeskToolResult::Refusal why)
    {
        auto result = VeskToolResult::of (record);
        result.refusal = why;
        return result;
    }

    /** A step tool on a pattern that plays no steps would change only bytes no one hears. */
    bool unheard (const std::uint8_t* record) { return ! VeskStepTypes::hasSteps (record[Pattern::type]); }

    std::uint8_t& at (Record& record, int lane, int step) { return record[(size_t) (lane + step)]; }

    /** Counts the steps whose bytes differ, so a tool that changed nothing can say so. */
    VeskToolResult finish (const std::uint8_t* before, VeskToolResult result)
    {
        for (int step = 0; step < Pattern::numSteps; ++step)
            for (auto lane : lanes)
                if (before[lane + step] != at (result.record, lane, step))
                {
                    ++result.changed;
                    break;
                }

        return result;
    }

    /** Every played step's four bytes taken from another step of the same record. */
    template <typename SourceOf>
    VeskToolResult moveSteps (const std::uint8_t* record, SourceOf sourceOf)
    {
        if (unheard (record))
            return refuse (record, VeskToolResult::Refusal::noSteps);

        auto result = VeskToolResult::of (record);
        const int played = Pattern::playedSteps (record);

        for (int step = 0; step < played; ++step)
            for (auto lane : lanes)
                at (result.record, lane, step) = record[lane + sourceOf (step, played)];

        return finish (record, result);
    }

    bool inScale (int note, const std::vector<int>& degrees, int root)
    {
        return std::find (degrees.begin(), degrees.end(), ((note - root) % 12 + 12) % 12) != degrees.end();
    }

    /** The next note of the scale above (direction 1) or below (-1), or the note itself at the ends. */
    int scaleStep (int note, int direction, const std::vector<int>& degrees, int root)
    {
        for (int n = note + direction; n >= 0 && n <= 127; n += direction)
            if (inScale (n, degrees, root))
                return n;

        return note;
    }

    int clampTo (int value, int highest) { return std::clamp (value, 0, highest); }
}

//==============================================================================
const std::vector<int>& VeskStepTools::degrees (Scale scale)
{
    static const std::vector<int> chromatic { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 };
    static const std::vector<int> major { 0, 2, 4, 5, 7, 9, 11 };
    static const std::vector<int> minor { 0, 2, 3, 5, 7, 8, 10 };
    static const std::vector<int> minorPentatonic { 0, 3, 5, 7, 10 };

    switch (scale)
    {
        case Scale::major: return major;
        case Scale::minor: return minor;
        case Scale::minorPentatonic: return minorPentatonic;
        case Scale::chromatic:
        default: return chromatic;
    }
}

VeskToolResult VeskStepTools::rotate (const std::uint8_t* record, int steps)
{
    return moveSteps (record, [steps] (int step, int played)
                      { return (int) (((long long) step - steps) % played + played) % played; });
}

VeskToolResult VeskStepTools::reverse (const std::uint8_t* record)
{
    return moveSteps (record, [] (int step, int played)
                      { return played - 1 - step; });
}

VeskToolResult VeskStepTools::transpose (const std::uint8_t* record, int semitones)
{
    if (unheard (record))
        return refuse (record, VeskToolResult::Refusal::noSteps);

    auto result = VeskToolResult::of (record);
    const int played = Pattern::playedSteps (record);

    for (int step = 0; step < played; ++step)
    {
        const auto note = (long long) record[Pattern::stepNote + step] + semitones;

        if (note < 0 || note > 127)
            ++result.clamped;

        at (result.record, Pattern::stepNote, step) = (std::uint8_t) std::clamp (note, 0LL, 127LL);
    }

    return finish (record, result);
}

VeskToolResult VeskStepTools::doubleLength (const std::uint8_t* record)
{
    if (unheard (record))
        return refuse (record, VeskToolResult::Refusal::noSteps);

    if (VeskPattern (record).hasSecondBar())
        return refuse (record, VeskToolResult::Refusal::alreadyTwoBars);

    auto result = VeskToolResult::of (record);
    const int bar = VeskPattern (record).stepsPerBar();
    result.record[Pattern::patternLength] = 1;

    for (int step = 0; step < bar; ++step)
        for (auto lane : lanes)
            at (result.record, lane, bar + step) = record[lane + step];

    return finish (record, result);
}

VeskToolResult VeskStepTools::clear (const std::uint8_t* record)
{
    if (unheard (record))
        return refuse (record, VeskToolResult::Refusal::noSteps);

    auto result = VeskToolResult::of (record);

    const auto silent = (std::uint8_t) VeskStepTypes::silent (record[Pattern::type]);

    for (int step = 0; step < Pattern::playedSteps (record); ++step)
        at (result.record, Pattern::stepType, step) = silent;

    return finish (record, result);
}

VeskToolResult VeskStepTools::humanize (const std::uint8_t* record, int amount, std::uint64_t seed, int lockedLanes)
{
    if (unheard (record))
        return refuse (record, VeskToolResult::Refusal::noSteps);

    if (amount < 0 || amount > 127)
        return refuse (record, VeskToolResult::Refusal::percentOutOfRange);

    auto result = VeskToolResult::of (record);
    VeskRandom random (seed);

    for (int step = 0; step < Pattern::playedSteps (record); ++step)
    {
        // Both are drawn whatever is locked, so a lock never changes what the other lane gets.
        const int levelMove = random.between (-amount, amount);
        const int gateMove = random.between (-amount, amount);

        if ((lockedLanes & levelLane) == 0)
            at (result.record, Pattern::stepLevel, step) = (std::uint8_t) clampTo (record[Pattern::stepLevel + step] + levelMove, 127);

        if ((lockedLanes & gateLane) == 0)
            at (result.record, Pattern::stepGate, step) = (std::uint8_t) clampTo (record[Pattern::stepGate + step] + gateMove, Pattern::maxGate);
    }

    return finish (record, result);
}

VeskToolResult VeskStepTools::randomize (const std::uint8_t* record, const RandomizeOptions& options, std::uint64_t seed, int lockedLanes)
{
    using Refusal = VeskToolResult::Refusal;

    if (unheard (record))
        return refuse (record, Refusal::noSteps);

    if (options.density < 0 || options.density > 100)
        return refuse (record, Refusal::percentOutOfRange);

    const auto& scale = degrees (options.scale);
    std::vector<int> notes;

    if (options.lowestNote >= 0 && options.highestNote <= 127 && options.root >= 0 && options.root < 12)
        for (int n = options.lowestNote; n <= options.highestNote; ++n)
            if (inScale (n, scale, options.root))
                notes.push_back (n);

    if (notes.empty())
        return refuse (record, Refusal::noteOutOfRange);

    auto result = VeskToolResult::of (record);
    VeskRandom random (seed);
    const int partType = record[Pattern::type];

    for (int step = 0; step < Pattern::playedSteps (record); ++step)
    {
        const int note = notes[(size_t) random.below ((int) notes.size())];
        const int level = random.between (40, 127);
        const int gate = random.between (10, Pattern::maxGate);
        const bool sounds = random.chance (options.density);
        const int kind = random.below (100);

        // Mostly plain notes; some accents, slides and ties for shape (on a
        // Rythm pattern accents and open hits).
        const int type = ! sounds ? VeskStepTypes::silent (partType)
                         : VeskStepTypes::isRythm (partType)
                             ? VeskStepTypes::rythmHit ((kind >= 70 && kind < 85) || kind >= 95, kind >= 85)
                             : (kind < 70 ? StepType::normal : (kind < 85 ? StepType::accent : (kind < 95 ? StepType::slide : StepType::tie)));

        if ((lockedLanes & noteLane) == 0)
            at (result.record, Pattern::stepNote, step) = (std::uint8_t) note;

        if ((lockedLanes & levelLane) == 0)
            at (result.record, Pattern::stepLevel, step) = (std::uint8_t) level;

        if ((lockedLanes & gateLane) == 0)
            at (result.record, Pattern::stepGate, step) = (std::uint8_t) gate;

        if ((lockedLanes & typeLane) == 0)
            at (result.record, Pattern::stepType, step) = (std::uint8_t) type;
    }

    return finish (record, result);
}

VeskToolResult VeskStepTools::mutate (const std::uint8_t* record, int percent, std::uint64_t seed, int lockedLanes, Scale scale, int root)
{
    if (unheard (record))
        return refuse (record, VeskToolResult::Refusal::noSteps);

    if (percent < 0 || percent > 100)
        return refuse (record, VeskToolResult::Refusal::percentOutOfRange);

    auto result = VeskToolResult::of (record);
    VeskRandom random (seed);
    const int played = Pattern::playedSteps (record);
    const int count = percent == 0 ? 0 : std::max (1, (percent * played + 50) / 100);

    std::vector<int> unlocked;

    for (int lane : { (int) noteLane, (int) levelLane, (int) gateLane, (int) typeLane })
        if ((lockedLanes & lane) == 0)
            unlocked.push_back (lane);

    const auto& scaleDegrees = degrees (scale);
    const int silent = VeskStepTypes::silent (record[Pattern::type]), plain = VeskStepTypes::plain (record[Pattern::type]);

    for (const int step : random.pick (count, played))
    {
        const int lane = unlocked.empty() ? 0 : unlocked[(size_t) random.below ((int) unlocked.size())];
        const int direction = random.chance (50) ? 1 : -1;

        auto move = [&] (int arrayOffset, int by, int highest)
        {
            auto& byte = at (result.record, arrayOffset, step);
            const int up = clampTo (byte + direction * by, highest);
            byte = (std::uint8_t) (up != byte ? up : clampTo (byte - direction * by, highest));
        };

        switch (lane)
        {
            case noteLane:
            {
                auto& note = at (result.record, Pattern::stepNote, step);
                const int moved = scaleStep (note, direction, scaleDegrees, root);
                note = (std::uint8_t) (moved != note ? moved : scaleStep (note, -direction, scaleDegrees, root));
                break;
            }
            case levelLane: move (Pattern::stepLevel, random.between (1, 16), 127); break;
            case gateLane: move (Pattern::stepGate, random.between (1, 12), Pattern::maxGate); break;
            case typeLane:
            {
                auto& type = at (result.record, Pattern::stepType, step);
                type = (std::uint8_t) (type == silent ? plain : silent);
                break;
            }
            default: break;
        }
    }

    return finish (record, result);
}

//==============================================================================
std::vector<bool> VeskStepTools::euclideanCycle (int hits, int steps)
{
    if (steps < 1 || hits < 0 || hits > steps)
        return {};

    // Bjorklund: pair the hits with the rests, then the pairs with what is left over, until one group remains.
    std::vector<std::vector<bool>> front ((size_t) hits, { true }), back ((size_t) (steps - hits), { false });

    if (hits == 0)
        std::swap (front, back);

    while (back.size() > 1)
    {
        const auto pairs = std::min (front.size(), back.size());
        std::vector<std::vector<bool>> rest (front.size() > pairs ? front.begin() + (long) pairs : back.begin() + (long) pairs,
                                             front.size() > pairs ? front.end() : back.end());
        front.resize (pairs);

        for (size_t i = 0; i < pairs; ++i)
            front[i].insert (front[i].end(), back[i].begin(), back[i].end());

        back = std::move (rest);
    }

    std::vector<bool> cycle;

    for (const auto* groups : { &front, &back })
        for (const auto& group : *groups)
            cycle.insert (cycle.end(), group.begin(), group.end());

    return cycle;
}

VeskToolResult VeskStepTools::euclid (const std::uint8_t* record, int hits, int steps, int rotation, std::optional<int> note)
{
    using Refusal = VeskToolResult::Refusal;
    const int played = Pattern::playedSteps (record);

    if (unheard (record))
        return refuse (record, Refusal::noSteps);

    if (steps < 1)
        return refuse (record, Refusal::tooFewSteps);

    if (steps > played)
        return refuse (record, Refusal::stepsOverPlayed);

    if (hits < 0 || hits > steps)
        return refuse (record, Refusal::hitsOverSteps);

    if (note.has_value() && (*note < 0 || *note > 127))
        return refuse (record, Refusal::noteOutOfRange);

    const auto cycle = euclideanCycle (hits, steps);
    const int shift = (int) (((long long) rotation % steps + steps) % steps);
    const int silent = VeskStepTypes::silent (record[Pattern::type]), plain = VeskStepTypes::plain (record[Pattern::type]);
    auto result = VeskToolResult::of (record);

    for (int step = 0; step < played; ++step)
    {
        const bool hit = cycle[(size_t) (((step % steps) - shift + steps) % steps)];
        at (result.record, Pattern::stepType, step) = (std::uint8_t) (hit ? plain : silent);

        if (hit && note.has_value())
            at (result.record, Pattern::stepNote, step) = (std::uint8_t) *note;
    }

    return finish (record, result);
}
