#pragma once

#include "collection/CollectionStore.h"
#include "midi/MyMidiInputCallback.h"
#include "model/VeskBlock.h"

#include <functional>
#include <vector>

/**
    Who the session tells what changed under them (the pages, the app, what
    the library page marks), and the telling: each part of the session tells
    them of its own changes, and what the unit sent reaches them here, once,
    just before the receivers refresh the page that shows it (see
    MyMidiInputCallback).
*/
class SessionListeners : private MyMidiInputCallback::Listener
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

        /** What the unit sent, as the receivers applied it (see
            MyMidiInputCallback::Listener): intoLibrary is false for a dump
            a transfer kept out of the library or a refused one. */
        virtual void dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary) { juce::ignoreUnused (dump, intoLibrary); }

        /** A controller the unit sent was stored into the shown pattern. */
        virtual void controllerReceived (int controllerNumber) { juce::ignoreUnused (controllerNumber); }

        /** The unit chose a pattern (the pattern selector follows, as the receivers set it). */
        virtual void patternSelected (VeskBlock pattern) { juce::ignoreUnused (pattern); }

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

    /** For the receivers: tells the listeners what they applied. */
    MyMidiInputCallback::Listener* fromReceivers() noexcept { return this; }

private:
    void dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary) override;
    void controllerReceived (int controllerNumber) override;
    void patternSelected (VeskBlock pattern) override;

    void call (const std::function<void (Listener&)>& tell);

    std::vector<Listener*> listeners;
};
