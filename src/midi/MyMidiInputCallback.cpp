#include "MyMidiInputCallback.h"

#include <algorithm>

MyMidiInputCallback::MyMidiInputCallback (VeskModel& modelToUse)
    : model (modelToUse)
{
}

MyMidiInputCallback::MyMidiInputCallback (VeskModel& modelToUse, Listener& firstListener)
    : MyMidiInputCallback (modelToUse)
{
    addListener (&firstListener);
}

MyMidiInputCallback::~MyMidiInputCallback() = default;

void MyMidiInputCallback::addListener (Listener* listener)
{
    if (listener != nullptr && std::find (listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back (listener);
}

void MyMidiInputCallback::removeListener (Listener* listener)
{
    listeners.erase (std::remove (listeners.begin(), listeners.end(), listener), listeners.end());
}

void MyMidiInputCallback::callListeners (const std::function<void (Listener&)>& call)
{
    // A listener may remove another (or itself) while it is told.
    const auto toCall = listeners;

    for (auto* listener : toCall)
        if (std::find (listeners.begin(), listeners.end(), listener) != listeners.end())
            call (*listener);
}

void MyMidiInputCallback::applyMessage (const juce::MidiMessage& message)
{
    if (message.isSysEx())
    {
        juce::uint8* lentImage = nullptr;
        callListeners ([&lentImage] (Listener& l)
                       {
                            if (lentImage == nullptr)
                                lentImage = l.getImageForDumps(); });

        const auto* body = message.getSysExData();
        const int length = message.getSysExDataSize();
        const auto dump = lentImage != nullptr ? VeskDecoder::applyDump (lentImage, body, length)
                                               : model.receiveDump (body, length);

        callListeners ([&] (Listener& l)
                       { l.dumpReceived (dump, lentImage == nullptr); });
        return;
    }

    const auto action = model.receiveChannelMessage (message, bankSelect);

    using Kind = VeskDecoder::ChannelAction::Kind;

    if (action.kind == Kind::controllerStored)
        callListeners ([&action] (Listener& l)
                       { l.controllerReceived (action.controller); });
    else if (action.kind == Kind::selectPattern)
        callListeners ([&action] (Listener& l)
                       { l.patternSelected (action.patternItem); });
}
