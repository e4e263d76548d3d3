#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <vector>

/**
    Who the session tells what changed under them (the pages, the app), and
    the telling: each part of the session tells them of its own changes.
*/
class SessionListeners
{
public:
    struct Listener
    {
        virtual ~Listener() = default;

        /** Bytes changed that the pages did not change themselves: an undo or
            redo, a whole-block step, a new or opened library. block is -1 for
            the system block, 0-20 for a record, allBlocks for any. */
        virtual void libraryRestored (int block) { juce::ignoreUnused (block); }

        /** The session showed another pattern (0 temporary, 1-20 user). */
        virtual void patternShown (int patternItem) { juce::ignoreUnused (patternItem); }

        /** A job started, progressed or finished. */
        virtual void jobChanged() {}

        /** What undo and redo would do, or the changed mark, may differ. */
        virtual void historyChanged() {}
    };

    static constexpr int allBlocks = 100;

    void add (Listener* listener);
    void remove (Listener* listener);

    void libraryRestored (int block);
    void patternShown (int patternItem);
    void jobChanged();
    void historyChanged();

private:
    void call (const std::function<void (Listener&)>& tell);

    std::vector<Listener*> listeners;
};
