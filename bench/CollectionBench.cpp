#include "collection/CollectionStore.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>

#include <time.h>

namespace
{
    // Words of the names people give their files, to make file names from.
    const char* const words[] = { "acid", "deep", "night", "bass", "lines", "drums", "break", "dusty", "techno", "house", "live",
                                  "set", "jam", "studio", "gig", "dub", "minimal", "warehouse", "sunday", "old", "new", "best",
                                  "demo", "remix", "club", "rave", "chill", "dark", "groove", "loop", "idea", "sketch", "final",
                                  "backup", "march", "april", "summer", "winter", "tour", "radio" };
    constexpr int numWords = (int) (sizeof (words) / sizeof (words[0]));

    // Deterministic everywhere: a 64-bit LCG with our own mapping to ranges.
    struct Numbers
    {
        std::uint64_t state;
        int next (int below)
        {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            return (int) ((state >> 33) % (std::uint64_t) below);
        }
    };

    juce::String fileName (int file)
    {
        Numbers n { (std::uint64_t) file * 7919 + 1 };
        return juce::String ("/home/me/music/") + words[n.next (numWords)] + " " + words[n.next (numWords)] + " "
               + juce::String (file) + ".vsk";
    }

    CollectionBytes patternOf (int seed)
    {
        Numbers n { (std::uint64_t) seed * 104729 + 17 };
        CollectionBytes bytes {};
        const auto at = (size_t) VeskImage::patternRecordOffset (0);
        std::copy (VeskImage::defaults.begin() + (std::ptrdiff_t) at, VeskImage::defaults.begin() + (std::ptrdiff_t) (at + bytes.size()),
                   bytes.begin());
        bytes[VeskImage::Pattern::type] = (juce::uint8) n.next (8);
        bytes[VeskImage::Pattern::toneOrKit] = (juce::uint8) n.next (128);
        bytes[VeskImage::Pattern::patternLength] = (juce::uint8) n.next (2);
        bytes[VeskImage::Pattern::stepsPerBar] = (juce::uint8) n.next (2);
        VeskImage::Pattern::storeTempo (bytes.data(), 600 + n.next (1800));

        for (int s = 0; s < VeskImage::Pattern::numSteps; ++s)
        {
            bytes[(size_t) (VeskImage::Pattern::stepNote + s)] = (juce::uint8) (24 + n.next (60));
            bytes[(size_t) (VeskImage::Pattern::stepType + s)] = (juce::uint8) n.next (5);
        }

        // The seed itself, so every pattern is distinct.
        bytes[VeskImage::Pattern::stepLevel] = (juce::uint8) (seed & 0x7f);
        bytes[VeskImage::Pattern::stepLevel + 1] = (juce::uint8) ((seed >> 7) & 0x7f);
        bytes[VeskImage::Pattern::stepLevel + 2] = (juce::uint8) ((seed >> 14) & 0x7f);
        return bytes;
    }

    /** 21 sightings per library file, files one after another. */
    std::vector<CollectionSighting> filesOf (int firstFile, int files, int firstSeed)
    {
        std::vector<CollectionSighting> sightings;

        for (int f = 0; f < files; ++f)
        {
            for (int record = 0; record < VeskImage::numPatternRecords; ++record)
            {
                CollectionSighting s;
                s.sourcePath = fileName (firstFile + f);
                s.slot = *VeskBlock::fromRecord (record);
                s.timeMs = 1700000000000LL + (juce::int64) (firstFile + f) * 60000;
                s.bytes = patternOf (firstSeed + f * VeskImage::numPatternRecords + record);
                sightings.push_back (s);
            }
        }

        return sightings;
    }

    juce::File benchFolder()
    {
        auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("vesk-collection-bench");
        folder.createDirectory();
        return folder;
    }

    /** A collection of about `patterns` distinct patterns, made once per run. */
    CollectionStore& collectionOf (int patterns)
    {
        static std::map<int, std::unique_ptr<CollectionStore>> stores;
        auto& store = stores[patterns];

        if (store == nullptr)
        {
            const auto file = benchFolder().getChildFile ("c" + juce::String (patterns) + ".db");
            for (const auto* suffix : { "", "-wal", "-shm" })
                file.getSiblingFile (file.getFileName() + suffix).deleteFile();

            store = std::move (CollectionStore::open (file).store);
            const int files = patterns / VeskImage::numPatternRecords;

            for (int f = 0; f < files; f += 50)
                store->add (filesOf (f, std::min (50, files - f), f * VeskImage::numPatternRecords));

            // Some tags and favourites, as a user would have given.
            CollectionQuery everything;
            everything.limit = patterns / 50;
            for (const auto& p : store->search (everything).patterns)
            {
                store->addTags (p.id, { "keeper" });
                store->setFavourite (p.id, true);
            }
        }

        return *store;
    }

    void reportTimes (benchmark::State& state, std::vector<double>& ms, const std::string& prefix = {})
    {
        std::sort (ms.begin(), ms.end());
        state.counters[prefix + "median_ms"] = ms[ms.size() / 2];
        state.counters[prefix + "p99_ms"] = ms[std::min (ms.size() - 1, ms.size() * 99 / 100)];
        state.counters[prefix + "max_ms"] = ms.back();
    }

    /** The calling thread's processor time: on a shared machine, what the
        query itself cost, without the time other programs had the processor. */
    double threadMs()
    {
        timespec now {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &now);
        return (double) now.tv_sec * 1000.0 + (double) now.tv_nsec / 1.0e6;
    }

    template <typename Query>
    void timeQueries (benchmark::State& state, Query&& nextQuery)
    {
        auto& store = collectionOf ((int) state.range (0));
        std::vector<double> ms, cpuMs;
        int i = 0;
        juce::int64 matched = 0;

        for (auto _ : state)
        {
            const auto query = nextQuery (i++);
            const auto start = std::chrono::steady_clock::now();
            const auto startCpu = threadMs();
            const auto page = store.search (query);
            cpuMs.push_back (threadMs() - startCpu);
            ms.push_back (std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count());
            matched += page.total;
            benchmark::DoNotOptimize (page.patterns.data());
        }

        state.counters["matches"] = (double) matched / (double) std::max (1, i);
        reportTimes (state, ms);
        reportTimes (state, cpuMs, "cpu_");
    }

    /**
        Type-ahead of one word: every keystroke of a word typed ("d", "de",
        "dee", "deep"), a query each (the first page of 50, and the total).
    */
    void typeAheadOneWord (benchmark::State& state)
    {
        juce::StringArray keystrokes;
        for (int w = 0; w < numWords; ++w)
            for (int n = 1; n <= juce::String (words[w]).length(); ++n)
                keystrokes.add (juce::String (words[w]).substring (0, n));

        timeQueries (state, [&] (int i)
                     {
                         CollectionQuery query;
                         query.text = keystrokes[i % keystrokes.size()];
                         return query; });
    }

    /** The first key of a search: each letter a to z, one query each. */
    void typeAheadFirstLetter (benchmark::State& state)
    {
        timeQueries (state, [] (int i)
                     {
                         CollectionQuery query;
                         query.text = juce::String::charToString ((juce::juce_wchar) ('a' + i % 26));
                         return query; });
    }

    /** Texts pasted or sent that are far longer than any search. */
    juce::String longText (int which)
    {
        const struct
        {
            const char* word;
            int times;
        } texts[] = { { "u ", 4000 }, { "u ", 16000 }, { "r0050 ", 8000 } };

        if (which < 3)
            return juce::String::repeatedString (texts[which].word, texts[which].times);

        // As many different words as are searched for: of names and file
        // names, or single letters, each of which many patterns match.
        juce::StringArray all;
        for (int w = 0; w < 16; ++w)
            all.add (which == 3 ? juce::String (words[w]) : juce::String::charToString ("abcdfghijklmnors"[w]));
        return all.joinIntoString (" ");
    }

    const char* const longTextNames[] = { "8 KB of 'u '", "16,000 words", "'r0050 ' x 8000", "16 different words", "16 different letters" };

    void longSearchText (benchmark::State& state)
    {
        const auto text = longText ((int) state.range (1));
        state.SetLabel (longTextNames[state.range (1)]);
        timeQueries (state, [&text] (int)
                     {
                         CollectionQuery query;
                         query.text = text;
                         return query; });
    }

    /** One filter changed at a time, as the page's filters are clicked. */
    void filterChange (benchmark::State& state)
    {
        timeQueries (state, [] (int i)
                     {
                         CollectionQuery query;
                         switch (i % 6)
                         {
                             case 0: query.type = i % 8; break;
                             case 1: query.toneOrKit = i % 128; break;
                             case 2: query.tempoMin = 1200; query.tempoMax = 1200 + 10 * (i % 20); break;
                             case 3: query.bars = 1 + i % 2; query.sort = CollectionQuery::Sort::lastSeen; break;
                             case 4: query.favouriteOnly = true; break;
                             default: query.tag = "keeper"; query.sort = CollectionQuery::Sort::tempo; break;
                         }
                         return query; });
    }

    /**
        Adding 1,000 library files' worth of sightings (21,000 patterns) to
        an empty collection, 50 files to a transaction as a folder import
        adds them. Counter: bytes on disk per pattern afterwards.
    */
    void addThousandLibraries (benchmark::State& state)
    {
        const auto file = benchFolder().getChildFile ("add.db");
        std::vector<std::vector<CollectionSighting>> batches;
        for (int f = 0; f < 1000; f += 50)
            batches.push_back (filesOf (f, 50, f * VeskImage::numPatternRecords));

        for (auto _ : state)
        {
            state.PauseTiming();
            for (const auto* suffix : { "", "-wal", "-shm" })
                file.getSiblingFile (file.getFileName() + suffix).deleteFile();
            auto store = std::move (CollectionStore::open (file).store);
            state.ResumeTiming();

            for (const auto& batch : batches)
                if (! store->add (batch).ok())
                    state.SkipWithError ("add failed");
        }
    }

    /** "Find Similar" on one pattern: every other pattern's onsets compared over all rotations. */
    void findSimilar (benchmark::State& state)
    {
        auto& store = collectionOf ((int) state.range (0));
        CollectionQuery first;
        first.limit = 1;
        const auto id = store.search (first).patterns.at (0).id;

        for (auto _ : state)
        {
            const auto similar = store.similar (id, 50);
            benchmark::DoNotOptimize (similar.data());
        }
    }

    /**
        Where a chosen pattern stands in an answer, as the Collection page asks
        when the pattern is not among the rows it holds (after a rename re-sorts
        the list, a search, Back to Search): the last pattern by name, in the
        whole list by name, among the matches of one letter, and by tempo.
    */
    void locateChosen (benchmark::State& state)
    {
        auto& store = collectionOf ((int) state.range (0));
        CollectionQuery last;
        last.limit = 1;
        last.reverse = true;
        const auto id = store.search (last).patterns.at (0).id;
        std::vector<double> ms;
        int i = 0;

        for (auto _ : state)
        {
            CollectionQuery query;

            if (i % 3 == 1)
                query.text = juce::String (words[i % numWords]).substring (0, 1);
            else if (i % 3 == 2)
                query.sort = CollectionQuery::Sort::tempo;

            ++i;
            const auto start = std::chrono::steady_clock::now();
            const auto rows = store.rowsOf (query, { id });
            ms.push_back (std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count());
            benchmark::DoNotOptimize (rows.has_value());
        }

        reportTimes (state, ms);
    }

    /** Bytes per pattern on disk, with the log checkpointed into the file, and the time to open it. */
    void bytesPerPatternAndOpen (benchmark::State& state)
    {
        const auto patterns = (int) state.range (0);
        auto& store = collectionOf (patterns);
        const auto file = store.getFile();

        for (auto _ : state)
        {
            auto opened = CollectionStore::open (file);
            benchmark::DoNotOptimize (opened.store.get());
        }

        const auto wal = file.getSiblingFile (file.getFileName() + "-wal");
        state.counters["bytes_per_pattern"] = (double) (file.getSize() + wal.getSize()) / (double) store.size();
    }
}

BENCHMARK (typeAheadOneWord)->Arg (1000)->Arg (10000)->Arg (100000)->Iterations (600)->Unit (benchmark::kMillisecond);
BENCHMARK (typeAheadFirstLetter)->Arg (100000)->Iterations (600)->Unit (benchmark::kMillisecond);
BENCHMARK (longSearchText)->ArgsProduct ({ { 100000 }, { 0, 1, 2, 3, 4 } })->Iterations (20)->Unit (benchmark::kMillisecond);
BENCHMARK (filterChange)->Arg (1000)->Arg (10000)->Arg (100000)->Iterations (600)->Unit (benchmark::kMillisecond);
BENCHMARK (findSimilar)->Arg (10000)->Arg (100000)->Iterations (10)->Unit (benchmark::kMillisecond);
BENCHMARK (locateChosen)->Arg (10000)->Arg (100000)->Iterations (60)->Unit (benchmark::kMillisecond);
BENCHMARK (addThousandLibraries)->Iterations (3)->Unit (benchmark::kMillisecond);
BENCHMARK (bytesPerPatternAndOpen)->Arg (1000)->Arg (10000)->Arg (100000)->Iterations (5)->Unit (benchmark::kMillisecond);
