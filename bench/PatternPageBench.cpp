#include "editors/VeskComponent.h"
#include "model/VeskNames.h"
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

    /** The tabbed editor as the main window holds it, with the temporary
        pattern of type range (0) and user pattern 1 of type range (1). */
    struct PatternsTab
    {
        explicit PatternsTab (benchmark::State& state)
        {
            using VeskImage::Pattern::type;
            model.temporaryPattern[type] = (juce::uint8) state.range (0);
            model.bytesOf (*VeskBlock::user (1))[type] = (juce::uint8) state.range (1);
            editor.setSize (446, 438);
            editor.refreshPatternsPage (0);

            state.SetLabel ((VeskNames::partTypes()[(int) state.range (0)] + " / " + VeskNames::partTypes()[(int) state.range (1)]).toStdString());
        }

        /** Chooses the other pattern through the pattern list, as a user does,
            and runs what the choice left for the message loop. */
        void chooseOther()
        {
            next = 1 - next;
            editor.patternsPage->patternsCombo->setSelectedItemIndex (next, juce::sendNotificationSync);

            while (juce::dispatchNextMessageOnSystemQueue (true))
                ++messagesRun;
        }

        NullMidiOut out;
        MessageThreadClock clock;
        VeskSession session { VeskSession::Options::headless (clock, out) };
        VeskModel& model = session.getModel();
        VeskComponent editor { session };
        int next = 0;
        int64_t messagesRun = 0;
    };

    void choosePatternOfOtherType (benchmark::State& state)
    {
        PatternsTab tab (state);

        for (auto _ : state)
            tab.chooseOther();

        state.counters["messages"] = benchmark::Counter ((double) tab.messagesRun, benchmark::Counter::kAvgIterations);
    }

    /** The same, with the tab painted after each choice as the window shows it. */
    void choosePatternOfOtherTypeAndPaint (benchmark::State& state)
    {
        PatternsTab tab (state);
        juce::Image image (juce::Image::ARGB, tab.editor.getWidth(), tab.editor.getHeight(), true);

        for (auto _ : state)
        {
            tab.chooseOther();
            juce::Graphics g (image);
            tab.editor.paintEntireComponent (g, true);
        }
    }

    using namespace VeskImage::PartType;
}

// The lead, bass and rhythm editors carry the step grid and the longest lists.
BENCHMARK (choosePatternOfOtherType)
    ->Args ({ lead, rythm })
    ->Args ({ lead, bass })
    ->Args ({ lead, lineIn })
    ->Unit (benchmark::kMicrosecond);
BENCHMARK (choosePatternOfOtherTypeAndPaint)
    ->Args ({ lead, rythm })
    ->Args ({ lead, bass })
    ->Args ({ lead, lineIn })
    ->Unit (benchmark::kMicrosecond);
