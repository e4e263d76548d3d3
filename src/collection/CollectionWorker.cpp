#include "CollectionWorker.h"

CollectionWorker::CollectionWorker (Opener openerToUse) : opener (std::move (openerToUse))
{
    thread = std::thread ([this]
                          { run(); });
}

CollectionWorker::~CollectionWorker()
{
    stop (true);
}

void CollectionWorker::stop (bool finishQueued)
{
    {
        std::lock_guard<std::mutex> guard (lock);
        stopping = true;
        dropQueued = ! finishQueued;
    }

    wake.notify_all();

    if (thread.joinable())
        thread.join();
}

void CollectionWorker::queue (Job job)
{
    {
        std::lock_guard<std::mutex> guard (lock);

        if (stopping)
            return;

        jobs.push_back (std::move (job));
    }

    wake.notify_one();
}

size_t CollectionWorker::pending() const
{
    std::lock_guard<std::mutex> guard (lock);
    return jobs.size() + (running ? 1 : 0);
}

bool CollectionWorker::waitUntilIdle (int timeoutMs)
{
    std::unique_lock<std::mutex> guard (lock);
    return idle.wait_for (guard, std::chrono::milliseconds (timeoutMs), [this]
                          { return jobs.empty() && ! running; });
}

void CollectionWorker::run()
{
    store = opener();

    for (;;)
    {
        Job job;

        {
            std::unique_lock<std::mutex> guard (lock);
            running = false;
            idle.notify_all();
            wake.wait (guard, [this]
                       { return stopping || ! jobs.empty(); });

            if (jobs.empty() || (stopping && dropQueued))
            {
                jobs.clear();
                idle.notify_all();
                break;
            }

            job = std::move (jobs.front());
            jobs.pop_front();
            running = true;
        }

        job (store.get());
    }

    store.reset();
}
