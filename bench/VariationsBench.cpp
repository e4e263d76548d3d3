#include "editors/VariationsComponent.h"
#include "unit/MessageThreadClock.h"

#include <benchmark/benchmark.h>

namespace
{
    struct NullOut : MidiOut
    {
        void send (const juce::MidiMessage&) override {}
    };

    /** A round of the Variations window as a click on More Like This makes
        it: 8 variations of a two-bar pattern of 32 steps, and the window with
        their sketches painted. The chosen one is heard first, as it must be. */
    void variationsRound (benchmark::State& state)
    {
        namespace Pattern = VeskImage::Pattern;
        NullOut out;
        MessageThreadClock clock;
        VeskSession session { VeskSession::Options::headless (clock, out) };
        auto* record = session.getModel().currentPattern;
        record[Pattern::patternLength] = 1;
        record[Pattern::stepsPerBar] = 1;

        for (int s = 0; s < Pattern::numSteps; ++s)
        {
            record[Pattern::stepNote + s] = (juce::uint8) (36 + (s * 7) % 24);
            record[Pattern::stepType + s] = (juce::uint8) (s % 5);
        }

        session.getAudition().begin ("Variations");
        VariationsComponent window (session, 1);
        juce::Image image (juce::Image::ARGB, window.getWidth(), window.getHeight(), true);

        for (auto _ : state)
        {
            window.choose (3);
            window.moreLikeThis();
            juce::Graphics g (image);
            window.paintEntireComponent (g, true);
        }

        window.cancel();
    }
}

BENCHMARK (variationsRound)->Unit (benchmark::kMicrosecond);
