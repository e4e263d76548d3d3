#pragma once

#include "CollectionStore.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>

class CollectionWorker;

/**
    The program's collection: one database file behind one writer thread and
    one reader thread, so the message thread never waits on SQLite.

    Writes (add, edit) queue to the writer thread, each its own short
    transaction, in the order asked. Reads (search, read) run on the reader
    thread over a second connection; their answers are posted to the message
    thread. A search answer that a later search has overtaken is dropped, so
    type-ahead never shows a stale list.

    A failure is told to the listeners once, when it starts; while writes go on
    failing nobody is told again, and the first write that succeeds clears it.
    Construct, use and destroy on the message thread.
*/
class Collection
{
public:
    /** Called on the message thread. */
    class Listener
    {
    public:
        virtual ~Listener() = default;

        /** Writes landed; changeNumber grows with each one that changed something. */
        virtual void collectionChanged (juce::uint64 changeNumber) { juce::ignoreUnused (changeNumber); }

        /** The first failure after a success (or after opening). */
        virtual void collectionFailed (const CollectionProblem& problem) { juce::ignoreUnused (problem); }

        /** At opening, the file found was a damaged collection: kept as movedAside, a new one started. */
        virtual void collectionReplaced (const juce::File& movedAside, const CollectionProblem& whatWasWrong)
        {
            juce::ignoreUnused (movedAside, whatWasWrong);
        }
    };

    /** Opens the file on the writer thread; returns at once. */
    explicit Collection (const juce::File& file);

    /** Lets the queued writes finish (each is short), then stops both threads. */
    ~Collection();

    const juce::File& getFile() const noexcept { return file; }

    void addListener (Listener* listener) { listeners.push_back (listener); }
    void removeListener (Listener* listener) { listeners.erase (std::remove (listeners.begin(), listeners.end(), listener), listeners.end()); }

    /** Queues the sightings; the caller never waits. */
    void add (std::vector<CollectionSighting> sightings);

    /** Adds and waits for the report: for a background thread (a folder
        import), never the message thread. */
    CollectionAddReport addAndWait (std::vector<CollectionSighting> sightings);

    /** Runs change (setName, addTags, ...) on the writer thread; done, if
        given, gets its outcome on the message thread. */
    void edit (std::function<CollectionEdit (CollectionStore&)> change,
               std::function<void (const CollectionEdit&)> done = {});

    /** Searches on the reader thread. done gets the answer on the message
        thread, unless another search was asked for in the meantime: then a
        search still running stops where it is. Returns the search's
        generation number. */
    juce::uint64 search (const CollectionQuery& query, std::function<void (const CollectionPage&)> done);

    /** For tests: called on the reader thread with the search's generation
        each time a running search asks whether it was overtaken. Set it
        before the first search. */
    std::function<void (juce::uint64 generation)> searchStepForTests;

    /** The generation of the latest search asked for. */
    juce::uint64 latestSearch() const noexcept { return searchGeneration.load(); }

    /** Any other read (find, sightings, similar, allTags) on the reader
        thread; done gets its result on the message thread. */
    template <typename Result>
    void read (std::function<Result (CollectionStore&)> work, std::function<void (Result)> done)
    {
        queueRead ([work = std::move (work), done = std::move (done)] (CollectionStore* store) -> std::function<void()>
                   {
                       if (store == nullptr)
                           return {};

                       auto result = std::make_shared<Result> (work (*store));
                       return [done, result] { done (std::move (*result)); }; });
    }

    /** How the collection stands; from any thread. */
    struct Status
    {
        bool opened = false; // the writer has tried to open the file
        CollectionStore::OpenResult::Outcome outcome = CollectionStore::OpenResult::Outcome::failed;
        juce::File movedAside;
        CollectionProblem problem; // the current failure, if any
        juce::uint64 changes = 0;
        size_t pendingWrites = 0;
    };

    Status getStatus() const;

    /** Waits (at most timeoutMs) until every write and read asked for so far
        has run; true if they all did. For tests and shutdown, not for the
        message thread of the program. The answers' posts still need the
        message loop. */
    bool waitUntilIdle (int timeoutMs);

private:
    using ReadJob = std::function<std::function<void()> (CollectionStore*)>;
    void queueRead (ReadJob job);

    void post (std::function<void()> onMessageThread);
    void noteOutcome (const CollectionProblem& problem, bool changed);

    juce::File file;
    template <typename Call>
    void tell (Call&& call)
    {
        for (auto* listener : std::vector<Listener*> (listeners))
            if (std::find (listeners.begin(), listeners.end(), listener) != listeners.end())
                call (*listener);
    }

    std::vector<Listener*> listeners;
    std::atomic<juce::uint64> searchGeneration { 0 };

    struct Shared;
    std::shared_ptr<Shared> shared;
    std::unique_ptr<CollectionWorker> writer, reader;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Collection)
};
