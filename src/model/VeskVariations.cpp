#include "VeskVariations.h"
#include "VeskRandom.h"
#include "VeskSoundTools.h"

VeskToolResult::Record VeskVariations::make (const std::uint8_t* record, std::uint64_t roundSeed, int index, const Options& options)
{
    const auto seed = VeskRandom::derive (roundSeed, index);
    auto steps = VeskStepTools::mutate (record, options.stepPercent, seed, options.lockedLanes, options.scale, options.root);

    if (options.soundPercent <= 0)
        return steps.record;

    // The sound gets a seed of its own, so turning it on leaves the steps as they were.
    return VeskSoundTools::mutate (steps.record.data(), options.soundPercent, VeskRandom::derive (seed, 1), options.lockedPanels).record;
}

VeskVariations::Round VeskVariations::round (const std::uint8_t* record, std::uint64_t roundSeed, const Options& options)
{
    Round variations;

    for (int i = 0; i < count; ++i)
        variations[(size_t) i] = make (record, roundSeed, i, options);

    return variations;
}

std::uint64_t VeskVariations::nextRoundSeed (std::uint64_t roundSeed) noexcept
{
    return VeskSeed::madeFrom (VeskRandom::derive (roundSeed, count));
}
