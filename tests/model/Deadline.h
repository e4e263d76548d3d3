#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

/** Ends the test program with a message when what it guards has not returned
    within the time: a read that waits for ever fails the test, not the whole
    run's time limit, and says which step it was. */
class Deadline
{
public:
    Deadline (double seconds, const char* what)
        : watcher ([this, seconds, what]
                   {
                       std::unique_lock<std::mutex> hold (lock);
                       if (! woken.wait_for (hold, std::chrono::duration<double> (seconds), [this] { return done; }))
                       {
                           std::fprintf (stderr, "FAILED: %s did not return within %.1f s\n", what, seconds);
                           std::fflush (stderr);
                           std::_Exit (1);
                       } })
    {
    }

    ~Deadline()
    {
        {
            const std::lock_guard<std::mutex> hold (lock);
            done = true;
        }

        woken.notify_all();
        watcher.join();
    }

private:
    std::mutex lock;
    std::condition_variable woken;
    bool done = false;
    std::thread watcher;
};
