// The Collection page over 100,000 distinct patterns: opening it (the page
// built, its first answer shown), a keystroke of type-ahead and a filter
// change (each until the new rows are painted), and the memory the page
// holds. The waits are on the collection's threads, so the times are real.

#include "editors/CollectionComponent.h"
#include "unit/MessageThreadClock.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

namespace juce
{
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
    namespace Pattern = VeskImage::Pattern;

    struct NullMidiOut : MidiOut
    {
        void send (const juce::MidiMessage&) override {}
    };

    constexpr int numPatterns = 100000;

    /** A database of numPatterns distinct patterns, from 5,000 libraries of 20,
        made once per run. */
    const juce::File& database()
    {
        // In a folder of its own: the shared temporary folder is open to every user's writes.
        static const auto file = []
        {
            const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("vesk-collection-page-bench");
            folder.deleteRecursively();
            folder.createDirectory();
            return folder.getChildFile ("collection.db");
        }();
        static const bool made = []
        {
            auto opened = CollectionStore::open (file);
            std::vector<juce::uint8> image (VeskImage::imageSize);
            auto users = VeskBlock::patterns();
            users.erase (users.begin());

            for (int library = 0; library < numPatterns / 20; ++library)
            {
                VeskModel::writeDefaults (image.data());

                for (int slot = 1; slot <= 20; ++slot)
                {
                    auto* r = image.data() + VeskImage::patternRecordOffset (slot);
                    const int n = library * 20 + slot;
                    r[Pattern::type] = (juce::uint8) (1 + n % 3);
                    Pattern::storeTempo (r, 600 + n % 1800);
                    r[Pattern::level] = (juce::uint8) (n % 128);
                    r[Pattern::pan] = (juce::uint8) ((n / 128) % 128);
                    r[Pattern::toneOrKit] = (juce::uint8) ((n / 16384) % 128);

                    for (int s = 0; s < Pattern::numSteps; ++s)
                        r[Pattern::stepType + s] = (juce::uint8) ((n >> (s % 8)) % 5);
                }

                const auto name = juce::String ("Set") + juce::String (library).paddedLeft ('0', 4) + ".vsk";
                opened.store->add (CollectionSighting::fromImage (CollectionSource::library, "/music/vesk/" + name, image.data(), 1000 + library, users));
            }

            return opened.store->size() == numPatterns;
        }();

        if (! made)
            std::fprintf (stderr, "the benchmark's collection holds other than %d patterns\n", numPatterns);

        return file;
    }

    /** Each step's own time, for the median and the 99th percentile. */
    struct StepTimes
    {
        template <typename Step>
        void time (Step&& step)
        {
            const auto start = std::chrono::steady_clock::now();
            step();
            ms.push_back (std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count());
        }

        void report (benchmark::State& state)
        {
            std::sort (ms.begin(), ms.end());

            if (ms.empty())
                return;

            state.counters["median_ms"] = ms[ms.size() / 2];
            state.counters["p99_ms"] = ms[std::min (ms.size() - 1, (ms.size() * 99) / 100)];
        }

        std::vector<double> ms;
    };

    void runMessagesUntil (const std::function<bool()>& done)
    {
        while (! done())
            if (! juce::dispatchNextMessageOnSystemQueue (true))
                std::this_thread::yield();
    }

    struct Page
    {
        Page() : collection (database())
        {
            // The collection opened and its reader warm, as in a program that has run a while.
            collection.waitUntilIdle (60000);
        }

        /** Until the page has taken in the answer of its latest search, and painted. */
        void waitForAnswer (CollectionComponent& page)
        {
            runMessagesUntil ([&]
                              { return page.results.isAnswered() && (page.results.getTotal() == 0 || page.results.getRow (0) != nullptr)
                                       && collection.waitUntilIdle (0); });
            juce::Graphics g (image);
            page.list.paintEntireComponent (g, true);
        }

        NullMidiOut out;
        MessageThreadClock clock;
        VeskSession session { VeskSession::Options::headless (clock, out) };
        Collection collection;
        juce::Image image { juce::Image::ARGB, 446, 440, true };
    };

    void openCollectionPage (benchmark::State& state)
    {
        Page fixture;

        StepTimes times;

        for (auto _ : state)
            times.time ([&]
                        {
                            CollectionComponent page (fixture.session, fixture.collection);
                            page.setSize (446, 440);
                            fixture.waitForAnswer (page); });

        times.report (state);
    }

    /** change, made to an open page, until its answer is painted; once per iteration. */
    void timeChanges (benchmark::State& state, const std::function<void (CollectionComponent& page, int i)>& change)
    {
        Page fixture;
        CollectionComponent page (fixture.session, fixture.collection);
        page.setSize (446, 440);
        fixture.waitForAnswer (page);
        StepTimes times;
        int i = 0;

        for (auto _ : state)
            times.time ([&]
                        {
                            change (page, i++);
                            fixture.waitForAnswer (page); });

        times.report (state);
    }

    /** One keystroke more in the search box each time, round a few words. */
    void typeAheadKeystroke (benchmark::State& state)
    {
        const juce::StringArray typed { "s", "se", "set", "set0", "set02", "set021", "set0213", "set02" };
        timeChanges (state, [&typed] (CollectionComponent& page, int i)
                     { page.filters.searchBox.setText (typed[i % typed.size()], true); });
    }

    void filterChange (benchmark::State& state)
    {
        timeChanges (state, [] (CollectionComponent& page, int i)
                     { page.filters.typeBox.setSelectedItemIndex (1 + i % 4, juce::sendNotificationSync); });
    }

    /** What the page holds on the heap once open and after a scroll to the end. */
    void pageMemory (benchmark::State& state)
    {
        Page fixture;
        size_t open = 0, scrolled = 0;

        for (auto _ : state)
        {
            const auto before = mallinfo2().uordblks;
            {
                CollectionComponent page (fixture.session, fixture.collection);
                page.setSize (446, 440);
                fixture.waitForAnswer (page);
                open = mallinfo2().uordblks - before;

                // Every page of rows read once, from the top to the last row.
                for (int row = 0; row < page.results.getTotal(); row += CollectionResults::pageSize)
                {
                    page.list.getListBox().scrollToEnsureRowIsOnscreen (row);
                    runMessagesUntil ([&]
                                      { return page.results.getRow (row) != nullptr; });
                }

                scrolled = mallinfo2().uordblks - before;
            }
        }

        state.counters["openKiB"] = (double) open / 1024.0;
        state.counters["scrolledKiB"] = (double) scrolled / 1024.0;
    }
}

BENCHMARK (openCollectionPage)->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK (typeAheadKeystroke)->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK (filterChange)->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK (pageMemory)->Unit (benchmark::kMillisecond)->UseRealTime()->Iterations (1);
