// Must come before the first JUCE header: makes JUCE declare its X11 back-end.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "X11EventGuard.h"

// JUCE's hook (made for plug-ins inside hosts) to run the handler of a file
// descriptor of its event loop.
#include <juce_events/native/juce_linux_EventLoopInternal.h>

namespace
{
    // How often Xlib's queue is looked at: while windows come and go and a
    // moment after anything a person does, and otherwise.
    constexpr int quickIntervalMs = 20, slowIntervalMs = 1000;
    constexpr juce::uint32 quickForMs = 1000;

    ::Display* jucesDisplay()
    {
        if (auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating())
            return windowSystem->getDisplay();

        return nullptr;
    }

    /** True when X has given the keyboard to no client's window: what it does
        when the focused window disappears and no window manager steps in. */
    bool keyboardFocusIsNowhere (::Display* display)
    {
        auto* x = juce::X11Symbols::getInstance();
        const juce::XWindowSystemUtilities::ScopedXLock lock;

        ::Window focus = 0;
        int revertTo = 0;
        x->xGetInputFocus (display, &focus, &revertTo);

        return focus == None || focus == PointerRoot || focus == x->xRootWindow (display, x->xDefaultScreen (display));
    }
}

X11EventGuard::X11EventGuard (juce::Component& windowToRefocus)
    : window (windowToRefocus)
{
    if (jucesDisplay() == nullptr)
        return;

    juce::Desktop::getInstance().addFocusChangeListener (this);
    activity = std::make_unique<ActivityWatch> (window, [this]
                                                {
                                                    quickUntil = juce::Time::getMillisecondCounter() + quickForMs;

                                                    if (getTimerInterval() != quickIntervalMs)
                                                        startTimer (quickIntervalMs); });
    startTimer (quickIntervalMs);
}

X11EventGuard::~X11EventGuard()
{
    stopTimer();
    juce::Desktop::getInstance().removeFocusChangeListener (this);
}

void X11EventGuard::timerCallback()
{
    auto* display = jucesDisplay();

    if (display == nullptr)
        return;

    int queued = 0, connection = -1;

    {
        auto* x = juce::X11Symbols::getInstance();
        const juce::XWindowSystemUtilities::ScopedXLock lock;
        queued = x->xEventsQueued (display, QueuedAlready); // no round trip: only what Xlib holds
        connection = x->xConnectionNumber (display);
    }

    // Runs JUCE's own handler for the connection, as if the socket had woken it.
    if (queued > 0)
        juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (connection);

    const bool quick = activity->othersOpen() || (int) (quickUntil - juce::Time::getMillisecondCounter()) > 0;
    const int interval = quick ? quickIntervalMs : slowIntervalMs;

    if (getTimerInterval() != interval)
        startTimer (interval);
}

void X11EventGuard::globalFocusChanged (juce::Component* focusedComponent)
{
    // Called (asynchronously) when the focused component went away with its
    // window; by then X has acted on the window's removal.
    auto* display = jucesDisplay();

    if (focusedComponent != nullptr || display == nullptr || ! keyboardFocusIsNowhere (display))
        return;

    auto& modals = *juce::ModalComponentManager::getInstance();

    if (modals.getNumModalComponents() > 0)
    {
        modals.bringModalComponentsToFront (true);
        return;
    }

    auto* peer = window.getPeer();

    if (peer != nullptr && window.isVisible() && ! peer->isMinimised())
        window.toFront (true);
}
