#pragma once

/**
    What a process of ours sets up in the system before anything else runs.
*/
struct ProcessSetup
{
    /** One heap for all the program's threads, where the system's allocator
        would otherwise give each thread an arena of its own whose freed
        blocks no other thread reuses. */
    static void shareOneHeap();
};
