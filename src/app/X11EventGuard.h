#pragma once

#include "ActivityWatch.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Keeps the program's windows painted and reachable by the keyboard on X11
    sessions without a window manager (a plain X server, a tiling manager
    without compositor, many remote desktops).

    JUCE's X11 loop reads events only when the server's socket has new bytes.
    While a dialog, chooser or list closes, JUCE itself waits for replies from
    the server (it syncs when it destroys the window), and the Expose and focus
    events the server sends meanwhile are read into Xlib's queue, where they
    would wait for the next key or mouse move. The guard dispatches such events
    as soon as they are queued: it looks often while windows come and go (a
    dialog, a menu, a list is open) and for a moment after the mouse or the
    focus moves, and seldom while nothing happens, so an idle program sleeps.

    Without a window manager nobody gives the keyboard back when the focused
    dialog disappears: X hands it to the root window, the main window's title
    is drawn inactive and keys go wherever the mouse is. The guard gives the
    focus back to the window that opened the dialog (or to a dialog still
    open), and only when X has left it nowhere, so a window manager's choice
    is never overruled.

    Elsewhere (and with no display) it does nothing.
*/
class X11EventGuard : private juce::Timer,
                      private juce::FocusChangeListener
{
public:
    /** window is the one that opens the program's dialogs and gets the
        keyboard back when they close. */
    explicit X11EventGuard (juce::Component& window);
    ~X11EventGuard() override;

private:
    void timerCallback() override;
    void globalFocusChanged (juce::Component* focusedComponent) override;

    juce::Component& window;
    std::unique_ptr<ActivityWatch> activity; // with a display only
    juce::uint32 quickUntil = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (X11EventGuard)
};
