// JUCE passes over the X server's error reports (a property of a window that
// no window manager set, ...) only inside a JUCE application. A test program is
// not one, and Xlib's default handler would end it at the first report.

#include <X11/Xlib.h>

namespace
{
    int ignoreXError (Display*, XErrorEvent*) { return 0; }

    [[maybe_unused]] const auto previousHandler = XSetErrorHandler (ignoreXError);
}
