#pragma once

#include "MessageThreadMidiInputCallback.h"
#include "model/VeskModel.h"

#include <array>
#include <vector>

/**
    The unit's input receiver: one per enabled MIDI input (or the virtual
    unit's), made by the session's link. It applies what the unit sends to the
    model on the message thread, then refreshes the page that shows it through
    its editor, as the editor's own refresh calls do it.

    Besides the editor, its listeners hear what it applied: in the program the
    session alone, which tells its parts (the changed mark, the transfer) and
    then its own listeners (the pages, the unit's known records). Each is told,
    in the order added and after the model has changed:
    - dumpReceived: for every exclusive message, whether it was applied or
      refused (the dump says which block and why);
    - controllerReceived: a controller the unit sent was stored into
      currentPattern;
    - patternSelected: the unit changed pattern.

    Before a dump is written anywhere, every listener is asked where it goes
    (placeDump): into the library, as always, into an image the listener lends
    (verifying the unit against the library), or nowhere (an answer a transfer
    no longer wants, a dump nobody asked for while one runs). The receiver
    asks first and writes after, so nothing has to be undone.

    Listeners and the editor are not owned; one must be removed (or the
    receiver deleted) before it goes.
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

    /** The pages' refreshes the unit's data calls for (the tabbed editor). */
    struct Editor
    {
        virtual ~Editor() = default;

        /** After a controller (its number) or a pattern dump (0) went into the library. */
        virtual void refreshPatternsPage (int controllerNumber) = 0;

        /** After a system dump went into the library. */
        virtual void refreshSystemPage() = 0;

        /** After a program change: the pattern selector shows pattern, with a
            change notification, so the page makes it current and tells the unit. */
        virtual void selectPattern (VeskBlock pattern) = 0;
    };

    explicit MyMidiInputCallback (VeskModel& modelToUse);

    /** A receiver that refreshes editorToUse's pages. */
    MyMidiInputCallback (VeskModel& modelToUse, Editor& editorToUse);

    ~MyMidiInputCallback() override;

    void addListener (Listener* listener);
    void removeListener (Listener* listener);

    /** Applies one message on the message thread. */
    void applyMessage (const juce::MidiMessage& message) override;

    VeskModel& model;

    /** Told after the listeners; none is fine (tests, the command line). */
    Editor* editor = nullptr;

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
