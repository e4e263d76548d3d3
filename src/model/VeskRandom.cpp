#include "VeskRandom.h"

#include <cstddef>
#include <limits>
#include <utility>

std::uint64_t VeskRandom::next() noexcept
{
    // SplitMix64: a Weyl sequence through a fixed mix, the same on every machine.
    auto z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

int VeskRandom::below (int n) noexcept
{
    if (n < 2)
        return 0;

    // Values under the threshold would make the low results likelier: draw again.
    const auto range = (std::uint64_t) n;
    const auto threshold = (std::numeric_limits<std::uint64_t>::max() - range + 1) % range;

    for (;;)
    {
        const auto x = next();

        if (x >= threshold)
            return (int) (x % range);
    }
}

int VeskRandom::between (int lowest, int highest) noexcept
{
    if (highest <= lowest)
        return lowest;

    return lowest + below (highest - lowest + 1);
}

bool VeskRandom::chance (int percent) noexcept
{
    return below (100) < percent;
}

std::vector<int> VeskRandom::pick (int count, int n)
{
    std::vector<int> order;

    for (int i = 0; i < n; ++i)
        order.push_back (i);

    // A partial shuffle: the first count places are drawn, the rest left as they are.
    const int drawn = count < n ? (count > 0 ? count : 0) : n;

    for (int i = 0; i < drawn; ++i)
        std::swap (order[(std::size_t) i], order[(std::size_t) between (i, n - 1)]);

    order.resize ((std::size_t) drawn);
    return order;
}

std::uint64_t VeskRandom::derive (std::uint64_t roundSeed, int index) noexcept
{
    VeskRandom mixer (roundSeed + 0x9e3779b97f4a7c15ULL * (std::uint64_t) (unsigned) index);
    return mixer.next();
}
