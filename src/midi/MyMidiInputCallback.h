#pragma once

#include "MessageThreadMidiInputCallback.h"
#include "model/VeskModel.h"

#include <array>
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
      show that pattern (the temporary one, or a user pattern).

    Before a dump is written anywhere, every listener is asked where it goes
    (placeDump): into the library, as always, into an image the listener lends
    (verifying the unit against the library), or nowhere (an answer a transfer
    no longer wants, a dump nobody asked for while one runs). The receiver
    asks first and writes after, so nothing has to be undone.

    Listeners are not owned; one must be removed (or the receiver deleted)
    before it goes.
*/
class MyMidiInputCallback : public MessageThreadMidiInputCallback
{
public:
    /** Where a received dump is written. */
    struct DumpPlace
    {
        static DumpPlace library() { return {}; }
        static DumpPlace into (juce::uint8* image) { return { false, image }; }
        static DumpPlace nowhere() { return { false, nullptr }; }

        bool toLibrary = true;
        juce::uint8* image = nullptr; // when not toLibrary: the image that takes it, or nullptr for none
    };

    struct Listener
    {
        virtual ~Listener() = default;

        /** Asked once for every exclusive message, before anything is written
            (dump tells what it is and which block it names). The first
            listener that keeps it from the library decides where it goes.
            By default a lent image (getImageForDumps) takes it. */
        virtual DumpPlace placeDump (const VeskDecoder::Dump& dump);

        /** intoLibrary is false when the dump went into a lent image or nowhere. */
        virtual void dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary) { juce::ignoreUnused (dump, intoLibrary); }
        virtual void controllerReceived (int controllerNumber) { juce::ignoreUnused (controllerNumber); }
        virtual void patternSelected (VeskBlock pattern) { juce::ignoreUnused (pattern); }

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

    // Where a dump is read before the listeners say where it goes.
    std::array<juce::uint8, VeskImage::imageSize> scratch {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MyMidiInputCallback)
};
