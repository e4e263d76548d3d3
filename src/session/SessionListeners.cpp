#include "SessionListeners.h"

#include <algorithm>

void SessionListeners::add (Listener* listener)
{
    if (std::find (listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back (listener);
}

void SessionListeners::remove (Listener* listener)
{
    listeners.erase (std::remove (listeners.begin(), listeners.end(), listener), listeners.end());
}

void SessionListeners::call (const std::function<void (Listener&)>& tell)
{
    // A listener may remove itself or another while it is told.
    const auto toTell = listeners;

    for (auto* listener : toTell)
        if (std::find (listeners.begin(), listeners.end(), listener) != listeners.end())
            tell (*listener);
}

void SessionListeners::libraryRestored (std::optional<VeskBlock> block)
{
    call ([block] (Listener& l)
          { l.libraryRestored (block); });
}

void SessionListeners::patternShown (VeskBlock pattern)
{
    call ([pattern] (Listener& l)
          { l.patternShown (pattern); });
}

void SessionListeners::jobChanged()
{
    call ([] (Listener& l)
          { l.jobChanged(); });
}

void SessionListeners::historyChanged()
{
    call ([] (Listener& l)
          { l.historyChanged(); });
}

void SessionListeners::auditionChanged()
{
    call ([] (Listener& l)
          { l.auditionChanged(); });
}

void SessionListeners::collectionFailed (const CollectionProblem& problem, const juce::File& movedAside)
{
    call ([&problem, &movedAside] (Listener& l)
          { l.collectionFailed (problem, movedAside); });
}

void SessionListeners::dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary)
{
    call ([&dump, intoLibrary] (Listener& l)
          { l.dumpReceived (dump, intoLibrary); });
}

void SessionListeners::controllerReceived (int controllerNumber)
{
    call ([controllerNumber] (Listener& l)
          { l.controllerReceived (controllerNumber); });
}

void SessionListeners::patternSelected (VeskBlock pattern)
{
    call ([pattern] (Listener& l)
          { l.patternSelected (pattern); });
}
