#pragma once

#include "VeskSeed.h"
#include "VeskStepTools.h"

#include <array>
#include <cstdint>

/**
    A round of variations to audition: 8 mutations of one record, each with
    its own seed derived from the round's seed (VeskRandom::derive), so a
    round is made again exactly from the seed the window shows. "More Like
    This" is a new round on the chosen variation with a new round seed.
*/
struct VeskVariations
{
    static constexpr int count = 8;

    /** Round seeds are made as every seed is (VeskSeed), so each is as short to note down as the first. */
    static constexpr std::uint64_t maxSeed = VeskSeed::highestMade;

    struct Options
    {
        int stepPercent = 25; // VeskStepTools::mutate
        int lockedLanes = 0;
        VeskStepTools::Scale scale = VeskStepTools::Scale::chromatic;
        int root = 0;
        int soundPercent = 0; // VeskSoundTools::mutate; 0 leaves the sound alone
        int lockedPanels = 0;
    };

    using Round = std::array<VeskToolResult::Record, count>;

    /** Variation index (0-7) of a round. */
    static VeskToolResult::Record make (const std::uint8_t* record, std::uint64_t roundSeed, int index,
                                        const Options& options);

    /** All 8 of a round. */
    static Round round (const std::uint8_t* record, std::uint64_t roundSeed, const Options& options);

    /** The seed of the round after roundSeed's: fixed by it, so a session of
        rounds is made again from its first seed, and within 1 to maxSeed. */
    static std::uint64_t nextRoundSeed (std::uint64_t roundSeed) noexcept;
};
