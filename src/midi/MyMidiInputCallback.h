#pragma once

#include "MessageThreadMidiInputCallback.h"
#include "model/VeskModel.h"

#include <vector>

/**
    Receives what the unit sends on one MIDI input (or from the virtual unit),
    applies it to the model on the message thread, and tells its listeners
    what it applied.

    Listeners are the pages, which show what changed, and the whole-unit
    transfer, which waits for dumps. Each is told, in the order added and after
    the model has changed:
    - dumpReceived: for every exclusive message, whether it was applied or
      refused (the dump says which block and why);
    - controllerReceived: a controller the unit sent was stored into
      currentPattern;
    - patternSelected: the unit changed pattern; the pattern selector should
      show that item (0 "Temporary", 1-20 "User 01" to "User 20").

    A listener that must keep dumps away from the library (verifying the unit
    against it) lends an image of its own through getImageForDumps; while it
    does, dumps are written there and the library does not change.

    Listeners are not owned; one must be removed (or the receiver deleted)
    before it goes.
*/
class MyMidiInputCallback : public MessageThreadMidiInputCallback
{
public:
    struct Listener
    {
        virtual ~Listener() = default;

        /** intoLibrary is false when the dump went into a lent image. */
        virtual void dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary) { juce::ignoreUnused (dump, intoLibrary); }
        virtual void controllerReceived (int controllerNumber) { juce::ignoreUnused (controllerNumber); }
        virtual void patternSelected (int patternItem) { juce::ignoreUnused (patternItem); }

        /** An image that takes received dumps instead of the library, or nullptr. */
        virtual juce::uint8* getImageForDumps() { return nullptr; }
    };

    explicit MyMidiInputCallback (VeskModel& modelToUse);

    /** A receiver with its first listener (usually the pages). */
    MyMidiInputCallback (VeskModel& modelToUse, Listener& firstListener);

    ~MyMidiInputCallback() override;

    void addListener (Listener* listener);
    void removeListener (Listener* listener);

    /** Applies one message on the message thread. */
    void applyMessage (const juce::MidiMessage& message) override;

    VeskModel& model;

    /** Last bank select received on this input on the unit's channel. */
    int bankSelect = 0;

private:
    /** Calls every listener that is still added when its turn comes. */
    void callListeners (const std::function<void (Listener&)>& call);

    std::vector<Listener*> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MyMidiInputCallback)
};
