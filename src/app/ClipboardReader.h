#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Reads the text on the system clipboard with a bound on its size.

    On X11 JUCE's own reading takes at most about 400 KB of a selection, reads
    a large one (sent in parts, as INCR) as nothing, and then hands over the
    PRIMARY selection instead: whatever text was last selected anywhere. Here
    only CLIPBOARD is read, by a request of our own, and text over the bound
    is refused as such, never cut short or replaced.

    While this program owns the clipboard its text is JUCE's own, taken
    directly (JUCE answers requests for it from the event loop we would be
    waiting in). Elsewhere (Windows, where the owner hands its text over as
    one block) JUCE's clipboard is read and checked afterwards.
*/
struct ClipboardReader
{
    enum class Outcome
    {
        text, // text holds the clipboard's text (empty when nobody owns it)
        tooLarge, // more than the bound
        noAnswer, // the owner did not answer in time
        notText // the owner has no text to give
    };

    struct Read
    {
        Outcome outcome = Outcome::text;
        juce::String text;
    };

    static constexpr int defaultTimeoutMs = 2000;

    /** Waits for the owner at most timeoutMs in all. */
    static Read readText (size_t maxBytes, int timeoutMs = defaultTimeoutMs);

    /** Text read whole by other means, refused when over the bound. */
    static Read bounded (const juce::String& text, size_t maxBytes);
};
