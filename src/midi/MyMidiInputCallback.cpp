#include "MyMidiInputCallback.h"

#include <algorithm>

MyMidiInputCallback::MyMidiInputCallback (VeskModel& modelToUse)
    : model (modelToUse)
{
}

MyMidiInputCallback::MyMidiInputCallback (VeskModel& modelToUse, Editor& editorToUse)
    : model (modelToUse),
      editor (&editorToUse)
{
}

MyMidiInputCallback::~MyMidiInputCallback() = default;

MyMidiInputCallback::DumpPlace MyMidiInputCallback::Listener::placeDump (const VeskDecoder::Dump&)
{
    if (auto* image = getImageForDumps())
        return DumpPlace::into (image);

    return DumpPlace::library();
}

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
        const auto* body = message.getSysExData();
        const int length = message.getSysExDataSize();

        // Read into scratch first: what it is decides where it goes.
        const auto dump = VeskDecoder::applyDump (scratch.data(), body, length);
        auto place = DumpPlace::library();

        callListeners ([&] (Listener& l)
                       {
                           const auto asked = l.placeDump (dump);

                           if (place.toLibrary)
                               place = asked; });

        if (place.toLibrary)
            model.receiveDump (body, length);
        else if (place.image != nullptr)
            VeskDecoder::applyDump (place.image, body, length);

        callListeners ([&] (Listener& l)
                       { l.dumpReceived (dump, place.toLibrary); });

        if (editor != nullptr && place.toLibrary && dump.applied())
            dump.result == VeskDecoder::DumpResult::systemBlock ? editor->refreshSystemPage() : editor->refreshPatternsPage (0);

        return;
    }

    const auto action = model.receiveChannelMessage (message, bankSelect);

    using Kind = VeskDecoder::ChannelAction::Kind;

    if (action.kind == Kind::controllerStored)
    {
        callListeners ([&action] (Listener& l)
                       { l.controllerReceived (action.controller); });

        if (editor != nullptr)
            editor->refreshPatternsPage (action.controller);
    }
    else if (action.kind == Kind::selectPattern)
    {
        callListeners ([&action] (Listener& l)
                       { l.patternSelected (action.pattern); });

        if (editor != nullptr)
            editor->selectPattern (action.pattern);
    }
}
