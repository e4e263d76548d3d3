#include "editors/VeskComponent.h"
#include "editors/VeskLineinComponent.h"
#include "model/VeskProtocol.h"
#include "session/VeskSession.h"
#include "unit/MessageThreadClock.h"
#include "unit/VeskTransfer.h"
#include "unit/VeskVirtualUnit.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

namespace juce
{
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
    struct NullMidiOut : MidiOut
    {
        void send (const juce::MidiMessage&) override {}
    };

    struct Counter : MyMidiInputCallback::Listener
    {
        void controllerReceived (int) override { ++applied; }
        int applied = 0;
    };

    /**
        The unit's knob turned hard: 10,000 controllers arrive on the MIDI
        thread as fast as it can hand them over, and the message thread applies
        each and refreshes the shown page's knob. Counters: the time from the
        first message handed over to the last applied, and the longest the
        message thread was busy without a break (JUCE runs everything queued in
        one go, so this is the longest a person could see the window stall).
    */
    void receiverFlood (benchmark::State& state)
    {
        constexpr int flood = 10000;
        NullMidiOut out;
        MessageThreadClock clock;
        VeskSession session (VeskSession::Options::headless (clock, out));
        VeskModel& model = session.getModel();
        model.temporaryPattern[VeskImage::Pattern::type] = VeskImage::PartType::lineIn;
        VeskComponent editor (session);
        editor.setSize (446, 470);
        editor.refreshPatternsPage (0);
        MyMidiInputCallback receiver (model, editor);
        Counter counter;
        receiver.addListener (&counter);

        double totalMs = 0.0, longestMs = 0.0;

        for (auto _ : state)
        {
            counter.applied = 0;
            const double start = juce::Time::getMillisecondCounterHiRes();

            std::thread midiThread ([&receiver]
                                    {
                                        for (int i = 0; i < flood; ++i)
                                            receiver.handleIncomingMidiMessage (nullptr, juce::MidiMessage::controllerEvent (1, 7, i % 128)); });

            while (counter.applied < flood)
            {
                const double before = juce::Time::getMillisecondCounterHiRes();

                if (juce::dispatchNextMessageOnSystemQueue (true))
                    longestMs = juce::jmax (longestMs, juce::Time::getMillisecondCounterHiRes() - before);
            }

            totalMs += juce::Time::getMillisecondCounterHiRes() - start;
            midiThread.join();
        }

        if (dynamic_cast<VeskLineinComponent*> (editor.patternsPage->partEditor) == nullptr)
            state.SkipWithError ("no line-in editor shown");

        state.counters["applyAllMs"] = totalMs / (double) state.iterations();
        state.counters["perMessageUs"] = totalMs * 1000.0 / ((double) state.iterations() * flood);
        state.counters["longestStallMs"] = longestMs;
    }

    /**
        Send All with the program's own clock, against its floor: each of the
        22 messages' time on a 31,250 baud line plus the 40 ms gap.
    */
    void sendAllAgainstFloor (benchmark::State& state)
    {
        MessageThreadClock clock;
        NullMidiOut out;
        VeskModel model (out);
        VeskTransfer transfer (model, clock);

        double floorMs = 0.0;

        for (auto& message : VeskProtocol::wholeImage (model.image))
            floorMs += VeskProtocol::wireMilliseconds (message.getRawDataSize()) + transfer.settings.gapMs;

        double totalMs = 0.0;

        for (auto _ : state)
        {
            const double start = juce::Time::getMillisecondCounterHiRes();

            if (! transfer.start (VeskTransfer::Kind::sendAll))
                state.SkipWithError ("refused");

            while (transfer.isRunning())
                juce::dispatchNextMessageOnSystemQueue (false);

            totalMs += juce::Time::getMillisecondCounterHiRes() - start;
        }

        const double meanMs = totalMs / (double) state.iterations();
        state.counters["totalMs"] = meanMs;
        state.counters["floorMs"] = floorMs;
        state.counters["overFloorPercent"] = (meanMs / floorMs - 1.0) * 100.0;
    }

    /**
        Pattern dumps through the receiver, applied on the message thread: with
        no transfer (each goes into the library, the page refreshes) and
        during a Get All (each is first read, then kept out and counted as
        nobody's). Counter: microseconds per dump.
    */
    void dumpsThroughReceiver (benchmark::State& state)
    {
        constexpr int numDumps = 10000;
        const bool duringGetAll = state.range (0) != 0;
        MessageThreadClock clock;
        NullMidiOut out;
        VeskSession session (VeskSession::Options::headless (clock, out));
        VeskModel& model = session.getModel();
        VeskComponent editor (session);
        editor.setSize (446, 470);
        editor.refreshPatternsPage (0);
        VeskTransfer transfer (model, clock);
        MyMidiInputCallback receiver (model, editor);
        receiver.addListener (&transfer);

        const auto dump = VeskProtocol::patternBulk (VeskImage::Area::userPattern, 4, model.bytesOf (*VeskBlock::user (5)));
        double totalMs = 0.0;

        for (auto _ : state)
        {
            if (duringGetAll && ! transfer.start (VeskTransfer::Kind::getAll))
                state.SkipWithError ("refused");

            const double start = juce::Time::getMillisecondCounterHiRes();

            for (int i = 0; i < numDumps; ++i)
                receiver.applyMessage (dump);

            totalMs += juce::Time::getMillisecondCounterHiRes() - start;

            if (duringGetAll && (int) transfer.getReport().ignored.size() != numDumps)
                state.SkipWithError ("not every dump was kept out");

            transfer.cancel();
        }

        state.counters["perDumpUs"] = totalMs * 1000.0 / ((double) state.iterations() * numDumps);
    }
}

BENCHMARK (dumpsThroughReceiver)->Arg (0)->Arg (1)->Unit (benchmark::kMillisecond)->Iterations (5);
BENCHMARK (receiverFlood)->Unit (benchmark::kMillisecond)->Iterations (5);
BENCHMARK (sendAllAgainstFloor)->Unit (benchmark::kMillisecond)->Iterations (3)->UseRealTime();
