#include "model/VeskModel.h"
#include "model/VeskProtocol.h"

#include <benchmark/benchmark.h>

namespace
{
    /** Keeps the bytes, as a real output would have to. */
    struct CountingMidiOut : MidiOut
    {
        void send (const juce::MidiMessage& m) override
        {
            bytes += (size_t) m.getRawDataSize();
            benchmark::DoNotOptimize (m.getRawData());
        }

        size_t bytes = 0;
    };

    void resetToDefaults (benchmark::State& state)
    {
        CountingMidiOut out;
        VeskModel model (out);

        for (auto _ : state)
            model.resetToDefaults();

        state.counters["bytesSent"] = benchmark::Counter ((double) out.bytes, benchmark::Counter::kAvgIterations);
    }

    /** The image of a new library, as `vesk new`, the virtual unit and the slot tools take it. */
    void writeDefaults (benchmark::State& state)
    {
        std::vector<juce::uint8> image ((size_t) VeskImage::imageSize);

        for (auto _ : state)
        {
            VeskModel::writeDefaults (image.data());
            benchmark::DoNotOptimize (image.data());
        }
    }

    void saveLibrary (benchmark::State& state)
    {
        CountingMidiOut out;
        VeskModel model (out);
        juce::TemporaryFile temp (".vsk");

        for (auto _ : state)
            if (! model.writeLibrary (temp.getFile()))
                state.SkipWithError ("cannot write");
    }

    void loadLibrary (benchmark::State& state)
    {
        CountingMidiOut out;
        VeskModel model (out);
        juce::TemporaryFile temp (".vsk");
        model.writeLibrary (temp.getFile());

        for (auto _ : state)
            if (! model.readLibrary (temp.getFile()))
                state.SkipWithError ("cannot read");
    }

    void decodePatternDump (benchmark::State& state)
    {
        CountingMidiOut out;
        VeskModel model (out);
        auto message = VeskProtocol::patternBulk (2, 7, model.temporaryPattern);
        auto* body = message.getSysExData();
        const int length = message.getSysExDataSize();

        for (auto _ : state)
        {
            auto dump = model.receiveDump (body, length);
            benchmark::DoNotOptimize (dump);
        }
    }
}

BENCHMARK (resetToDefaults);
BENCHMARK (writeDefaults);
BENCHMARK (saveLibrary);
BENCHMARK (loadLibrary);
BENCHMARK (decodePatternDump);
