#include "model/VeskSoundTools.h"
#include "model/VeskStepTools.h"
#include "model/VeskVariations.h"

#include <benchmark/benchmark.h>

#include <functional>

namespace
{
    using Record = VeskToolResult::Record;

    /** A two-bar Lead pattern of 32 played steps, the most a tool has to do. */
    Record fullPattern()
    {
        Record record {};
        std::copy (VeskImage::defaults.begin() + VeskImage::temporaryPatternOffset,
                   VeskImage::defaults.begin() + VeskImage::temporaryPatternOffset + VeskImage::patternSize, record.begin());
        record[VeskImage::Pattern::patternLength] = 1;

        for (int s = 0; s < VeskImage::Pattern::numSteps; ++s)
            record[(size_t) (VeskImage::Pattern::stepNote + s)] = (std::uint8_t) (40 + s);

        return record;
    }

    void tool (benchmark::State& state, const std::function<VeskToolResult (const std::uint8_t*, std::uint64_t)>& run)
    {
        const auto record = fullPattern();
        std::uint64_t seed = 1;

        for (auto _ : state)
        {
            auto result = run (record.data(), seed++);
            benchmark::DoNotOptimize (result.record.data());
        }
    }

    void variations (benchmark::State& state)
    {
        const auto record = fullPattern();
        VeskVariations::Options options;
        options.soundPercent = 10;
        std::uint64_t seed = 1;

        for (auto _ : state)
        {
            auto round = VeskVariations::round (record.data(), seed++, options);
            benchmark::DoNotOptimize (round.data());
        }
    }
}

BENCHMARK_CAPTURE (tool, rotate, [] (const std::uint8_t* r, std::uint64_t)
                   { return VeskStepTools::rotate (r, 5); });
BENCHMARK_CAPTURE (tool, reverse, [] (const std::uint8_t* r, std::uint64_t)
                   { return VeskStepTools::reverse (r); });
BENCHMARK_CAPTURE (tool, transpose, [] (const std::uint8_t* r, std::uint64_t)
                   { return VeskStepTools::transpose (r, 7); });
BENCHMARK_CAPTURE (tool, humanize, [] (const std::uint8_t* r, std::uint64_t seed)
                   { return VeskStepTools::humanize (r, 10, seed); });
BENCHMARK_CAPTURE (tool, randomize, [] (const std::uint8_t* r, std::uint64_t seed)
                   { return VeskStepTools::randomize (r, {}, seed); });
BENCHMARK_CAPTURE (tool, mutate, [] (const std::uint8_t* r, std::uint64_t seed)
                   { return VeskStepTools::mutate (r, 30, seed, 0, VeskStepTools::Scale::major); });
BENCHMARK_CAPTURE (tool, euclid, [] (const std::uint8_t* r, std::uint64_t seed)
                   { return VeskStepTools::euclid (r, 5, 16, (int) (seed % 16)); });
BENCHMARK_CAPTURE (tool, soundRandomize, [] (const std::uint8_t* r, std::uint64_t seed)
                   { return VeskSoundTools::randomize (r, seed); });
BENCHMARK_CAPTURE (tool, soundMutate, [] (const std::uint8_t* r, std::uint64_t seed)
                   { return VeskSoundTools::mutate (r, 20, seed); });
BENCHMARK_CAPTURE (tool, blend, [] (const std::uint8_t* r, std::uint64_t seed)
                   { return VeskSoundTools::blend (r, r, (int) (seed % 101)); });
BENCHMARK (variations);
