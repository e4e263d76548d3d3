#pragma once

#include "collection/CollectionStore.h"
#include "model/VeskBlock.h"

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
            redo, a whole-block step, a new or opened library. block is the
            one block they lie in, or none when they may lie in any. */
        virtual void libraryRestored (std::optional<VeskBlock> block) { juce::ignoreUnused (block); }

        /** The session showed another pattern (the temporary one or a user pattern). */
        virtual void patternShown (VeskBlock pattern) { juce::ignoreUnused (pattern); }

        /** A job started, progressed or finished. */
        virtual void jobChanged() {}

        /** What undo and redo would do, or the changed mark, may differ. */
        virtual void historyChanged() {}

        /** An audition (see PatternAudition) began or ended. */
        virtual void auditionChanged() {}

        /** The collection failed (told once, until a write succeeds again), or,
            with movedAside, the damaged file found at start was kept there and
            a new collection begun. The library is never touched by either. */
        virtual void collectionFailed (const CollectionProblem& problem, const juce::File& movedAside)
        {
            juce::ignoreUnused (problem, movedAside);
        }
    };

    void add (Listener* listener);
    void remove (Listener* listener);

    void libraryRestored (std::optional<VeskBlock> block);
    void patternShown (VeskBlock pattern);
    void jobChanged();
    void historyChanged();
    void auditionChanged();
    void collectionFailed (const CollectionProblem& problem, const juce::File& movedAside);

private:
    void call (const std::function<void (Listener&)>& tell);

    std::vector<Listener*> listeners;
};
