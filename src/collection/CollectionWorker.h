#pragma once

#include "CollectionStore.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

/**
    One thread with its own connection to the collection, running the jobs
    given to it one after another. The connection is opened by the first
    thing the thread does, never by the thread that made the worker.
*/
class CollectionWorker
{
public:
    using Job = std::function<void (CollectionStore*)>;
    using Opener = std::function<std::unique_ptr<CollectionStore>()>;

    explicit CollectionWorker (Opener opener);

    /** Runs the jobs still queued (or drops them, with finishQueued false), then joins. */
    void stop (bool finishQueued);
    ~CollectionWorker();

    void queue (Job job);

    size_t pending() const;

    /** Waits until no job is queued or running. */
    bool waitUntilIdle (int timeoutMs);

private:
    void run();

    Opener opener;
    std::unique_ptr<CollectionStore> store;

    mutable std::mutex lock;
    std::condition_variable wake, idle;
    std::deque<Job> jobs;
    bool running = true, stopping = false, dropQueued = false; // running: the opening counts as a job
    std::thread thread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionWorker)
};
