#include "VirtualClock.h"
#include "session/VeskSession.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace
{
    struct CountingMidiOut : MidiOut
    {
        void send (const juce::MidiMessage& message) override { controllers += message.isController() ? 1 : 0; }
        int controllers = 0;
    };

    /**
        The history's memory for knob steps: 1000 edits of the cutoff (a
        field the unit takes as a controller), each far enough from the last
        that none merge, so the history is full. Counters: bytes the history
        holds per step, and the time of one edit (store, send, record).
    */
    void undoMemoryPerKnobStep (benchmark::State& state)
    {
        VirtualClock clock;
        CountingMidiOut out;
        VeskSession session (VeskSession::Options::headless (clock, out));
        const auto cutoff = VeskField::pattern (VeskImage::Pattern::filterCutoffOrBdLevel);
        int edits = 0;

        for (auto _ : state)
        {
            out.controllers = 0;

            for (int i = 0; i < VeskHistory::maxSteps; ++i)
            {
                clock.time += VeskSession::mergeMs + 1.0;
                session.edit (cutoff, 40 + (i % 2));
            }

            edits += VeskHistory::maxSteps;
        }

        const auto& history = session.getHistory();

        if (history.getNumSteps() != VeskHistory::maxSteps || out.controllers != VeskHistory::maxSteps)
            state.SkipWithError ("the edits were not one controller and one step each");

        state.counters["steps"] = history.getNumSteps();
        state.counters["bytesPerStep"] = (double) history.bytesUsed() / history.getNumSteps();
        state.counters["historyKiB"] = (double) history.bytesUsed() / 1024.0;
        state.counters["perEdit"] = benchmark::Counter ((double) edits, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    }

    /**
        Undo and redo of a Get All that changed every byte of all 22 blocks:
        a real Get All from the virtual unit, in virtual time, whose memory
        differs from the library everywhere. Timed: the undo (or redo) call
        alone, which writes the bytes back and starts sending the records;
        their time on the wire is the virtual clock's and is not measured.
    */
    void undoGetAll (benchmark::State& state)
    {
        const bool redo = state.range (0) != 0;
        VirtualClock clock;
        CountingMidiOut out;
        VeskSession session (VeskSession::Options::headless (clock, out));
        auto& model = session.getModel();
        auto& unit = session.getVirtualUnit();
        juce::Random random (7);

        for (int i = 0; i < VeskImage::reservedAreaOffset; ++i)
            unit.memory[i] = (juce::uint8) ((model.image[i] + 1 + random.nextInt (127)) % 128);

        session.setVirtualUnitInUse (true);

        if (session.startTransfer (VeskTransfer::Kind::getAll).failed())
            state.SkipWithError ("Get All refused");

        clock.runUntilIdle();
        const auto* step = session.getHistory().nextUndo();

        if (step == nullptr || ! step->wholeBlocks || step->blocks().size() != 22
            || step->changes.size() != (size_t) VeskImage::reservedAreaOffset)
        {
            state.SkipWithError ("the Get All is not a step that changed all 22 blocks everywhere");
            return;
        }

        const double changedBytes = (double) step->changes.size();
        double wireMs = 0.0;

        if (redo && session.undo().wasOk())
            clock.runUntilIdle();

        for (auto _ : state)
        {
            const auto start = std::chrono::steady_clock::now();
            const auto result = redo ? session.redo() : session.undo();
            state.SetIterationTime (std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count());

            const double sendStart = clock.time;
            clock.runUntilIdle();
            wireMs = clock.time - sendStart;

            if (result.failed() || session.isBusy() || ! std::equal (model.image, model.image + VeskImage::imageSize, unit.memory))
                state.SkipWithError ("the unit does not hold the library after the step");

            // Back where the next iteration starts, untimed.
            if ((redo ? session.undo() : session.redo()).failed())
                state.SkipWithError ("refused");

            clock.runUntilIdle();
        }

        state.counters["changedBytes"] = changedBytes;
        state.counters["wireMs"] = wireMs;
    }
}

BENCHMARK (undoMemoryPerKnobStep)->Unit (benchmark::kMillisecond)->Iterations (5)->Repetitions (5);
BENCHMARK (undoGetAll)->ArgName ("redo")->Arg (0)->Arg (1)->UseManualTime()->Unit (benchmark::kMicrosecond)->Iterations (20)->Repetitions (5);
