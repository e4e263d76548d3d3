#include "X11EventGuard.h"

// Windows dispatches its windows' messages as they come and gives the keyboard
// back to the owner of a closed dialog itself: nothing to guard.
X11EventGuard::X11EventGuard (juce::Component& windowToRefocus)
    : window (windowToRefocus)
{
}

X11EventGuard::~X11EventGuard() = default;
void X11EventGuard::timerCallback() {}
void X11EventGuard::globalFocusChanged (juce::Component*) {}
