#include "editors/SequencerComponent.h"
#include "session/VeskSession.h"
#include "unit/MessageThreadClock.h"

#include <benchmark/benchmark.h>

namespace
{
    struct NullMidiOut : MidiOut
    {
        void send (const juce::MidiMessage&) override {}
    };

    /** Two bars of sixteen with every kind of step, so all drawing paths run. */
    void fillPattern (VeskModel& model)
    {
        namespace Pattern = VeskImage::Pattern;
        auto* p = model.currentPattern;
        p[Pattern::patternLength] = 1;
        p[Pattern::stepsPerBar] = 1;

        for (int s = 0; s < Pattern::numSteps; ++s)
        {
            p[Pattern::stepNote + s] = (juce::uint8) (36 + (s * 7) % 48);
            p[Pattern::stepLevel + s] = (juce::uint8) (s * 4);
            p[Pattern::stepGate + s] = (juce::uint8) (40 + s * 2);
            p[Pattern::stepType + s] = (juce::uint8) (s % 5);
        }
    }

    /** The grid as the pattern page shows it: in a viewport, repainted where the
        viewport shows it. */
    void paintVisibleBox (benchmark::State& state)
    {
        NullMidiOut out;
        MessageThreadClock clock;
        VeskSession session (VeskSession::Options::headless (clock, out));
        auto& model = session.getModel();
        fillPattern (model);
        SequencerComponent grid (session);

        juce::Viewport viewport;
        viewport.setBounds (0, 0, (int) state.range (2), (int) state.range (3));
        viewport.setViewedComponent (&grid, false);
        viewport.setViewPosition ((int) state.range (0), (int) state.range (1));

        const auto box = grid.getVisibleBox();
        juce::Image image (juce::Image::ARGB, box.getWidth(), box.getHeight(), false);

        for (auto _ : state)
        {
            juce::Graphics g (image);
            g.setOrigin (-box.getPosition());
            g.reduceClipRegion (box);
            grid.paint (g);
        }

        viewport.setViewedComponent (nullptr, false);
    }

    /** The same grid painted whole, with nothing clipping it. */
    void paintWholeGrid (benchmark::State& state)
    {
        NullMidiOut out;
        MessageThreadClock clock;
        VeskSession session (VeskSession::Options::headless (clock, out));
        auto& model = session.getModel();
        fillPattern (model);
        SequencerComponent grid (session);
        juce::Image image (juce::Image::ARGB, grid.getWidth(), grid.getHeight(), false);

        for (auto _ : state)
        {
            juce::Graphics g (image);
            grid.paint (g);
        }
    }
}

// View position, then view size: the window's 446 x 400 at three places, and views of
// a quarter and of four times its area to show the cost follows the area.
BENCHMARK (paintVisibleBox)
    ->Args ({ 0, 0, 446, 400 })
    ->Args ({ 300, 600, 446, 400 })
    ->Args ({ 619, 1177, 446, 400 })
    ->Args ({ 300, 600, 223, 200 })
    ->Args ({ 0, 0, 892, 800 })
    ->Unit (benchmark::kMicrosecond);
BENCHMARK (paintWholeGrid)->Unit (benchmark::kMicrosecond);
