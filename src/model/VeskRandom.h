#pragma once

#include <cstdint>
#include <vector>

/**
    The seeded generator of the pattern tools: SplitMix64, whose sequence is
    fixed by its definition, and our own mapping to ranges, so a seed gives
    the same bytes on every machine and with every standard library (the
    standard distributions differ between libraries).
*/
class VeskRandom
{
public:
    explicit VeskRandom (std::uint64_t seed) noexcept : state (seed) {}

    /** The next 64 bits of the sequence. */
    std::uint64_t next() noexcept;

    /** 0 to n - 1, every value equally likely (rejection, no modulo bias); 0 when n < 2. */
    int below (int n) noexcept;

    /** lowest to highest, both included; lowest when highest is not above it. */
    int between (int lowest, int highest) noexcept;

    /** True about percent times in 100 (0 never, 100 always). */
    bool chance (int percent) noexcept;

    /** count different values of 0 to n - 1 (all of them when count >= n), in the order drawn. */
    std::vector<int> pick (int count, int n);

    /** The seed of item index of a round: a fixed mix of both, so the
        variations of one round seed are made again exactly. */
    static std::uint64_t derive (std::uint64_t roundSeed, int index) noexcept;

private:
    std::uint64_t state;
};
