#include "editors/VeskComponent.h"
#include "session/VeskSession.h"
#include "unit/MessageThreadClock.h"

#include <benchmark/benchmark.h>

namespace juce
{
    // JUCE's own dispatcher; runDispatchLoopUntil is not built without modal loops.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
    struct NullMidiOut : MidiOut
    {
        void send (const juce::MidiMessage&) override {}
    };

    /** The tabbed editor at the window's size, every slot with 32 steps of
        notes, ties and rests, so every row draws its longest step picture. */
    struct LibraryTab
    {
        LibraryTab()
        {
            namespace Pattern = VeskImage::Pattern;

            for (int slot = 0; slot < VeskImage::numPatternRecords; ++slot)
            {
                auto* record = session.getModel().image + VeskImage::patternRecordOffset (slot);
                record[Pattern::patternLength] = 1;
                record[Pattern::stepsPerBar] = 1;

                for (int s = 0; s < Pattern::numSteps; ++s)
                {
                    record[Pattern::stepNote + s] = (juce::uint8) (36 + (s * 7 + slot) % 24);
                    record[Pattern::stepType + s] = (juce::uint8) (s % 5);
                }
            }

            editor.setSize (446, 438);
        }

        void runMessages()
        {
            while (juce::dispatchNextMessageOnSystemQueue (true))
            {
            }
        }

        NullMidiOut out;
        MessageThreadClock clock;
        VeskSession session { VeskSession::Options::headless (clock, out) };
        VeskComponent editor { session };
    };

    /** The list with its 21 rows, painted as the window paints it. */
    void paintLibraryList (benchmark::State& state)
    {
        LibraryTab tab;
        tab.editor.setCurrentTabIndex (2);
        auto& list = tab.editor.libraryPage->ourList;
        juce::Image image (juce::Image::ARGB, list.getWidth(), list.getHeight(), true);

        for (auto _ : state)
        {
            juce::Graphics g (image);
            list.paintEntireComponent (g, true);
        }
    }

    /** From the Patterns tab to the Library tab: the tab switch, the rows
        refreshed, and the first paint of the whole editor. */
    void openLibraryPage (benchmark::State& state)
    {
        LibraryTab tab;
        juce::Image image (juce::Image::ARGB, tab.editor.getWidth(), tab.editor.getHeight(), true);

        for (auto _ : state)
        {
            state.PauseTiming();
            tab.editor.setCurrentTabIndex (0);
            tab.runMessages();
            state.ResumeTiming();

            tab.editor.setCurrentTabIndex (2);
            tab.runMessages();
            juce::Graphics g (image);
            tab.editor.paintEntireComponent (g, true);
        }
    }
}

BENCHMARK (paintLibraryList)->Unit (benchmark::kMicrosecond);
BENCHMARK (openLibraryPage)->Unit (benchmark::kMicrosecond);
