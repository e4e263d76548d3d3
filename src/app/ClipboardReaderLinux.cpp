// Must come before the first JUCE header: makes JUCE declare its X11 back-end.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "ClipboardReader.h"

#include <poll.h>

namespace juce
{
    // The window JUCE owns the selections with (and answers requests on).
    extern ::Window juce_messageWindowHandle;
}

namespace
{
    using Outcome = ClipboardReader::Outcome;
    using Read = ClipboardReader::Read;

    /** One XGetWindowProperty, its data freed when done. */
    struct Property
    {
        Property (::Display* display, ::Window window, ::Atom property, size_t maxBytes, bool shouldDelete)
        {
            // Four bytes more than the bound, so that text of exactly the bound
            // still reads whole and anything longer shows in what is left.
            const auto longs = (long) (maxBytes / 4 + 2);
            ok = juce::X11Symbols::getInstance()->xGetWindowProperty (display, window, property, 0, longs, shouldDelete ? True : False,
                                                                      AnyPropertyType, &type, &format, &numItems, &bytesAfter, &data)
                 == Success;
        }

        ~Property()
        {
            if (data != nullptr)
                juce::X11Symbols::getInstance()->xFree (data);
        }

        bool ok = false;
        ::Atom type = None;
        int format = 0;
        unsigned long numItems = 0, bytesAfter = 0;
        unsigned char* data = nullptr;

        JUCE_DECLARE_NON_COPYABLE (Property)
    };

    /** A window of our own that the owner writes the selection onto. */
    class Requestor
    {
    public:
        explicit Requestor (::Display* displayToUse)
            : display (displayToUse),
              x (*juce::X11Symbols::getInstance())
        {
            const juce::XWindowSystemUtilities::ScopedXLock lock;
            const auto screen = x.xDefaultScreen (display);

            // PropertyNotify tells when the next part of a large selection is there.
            XSetWindowAttributes attributes {};
            attributes.event_mask = PropertyChangeMask;
            window = x.xCreateWindow (display, x.xRootWindow (display, screen), 0, 0, 1, 1, 0, 0, InputOnly,
                                      x.xDefaultVisual (display, screen), CWEventMask, &attributes);
            property = x.xInternAtom (display, "VESK_CLIPBOARD", False);
            incr = x.xInternAtom (display, "INCR", False);
        }

        ~Requestor()
        {
            // Late answers go to a window nobody knows, which JUCE passes over.
            const juce::XWindowSystemUtilities::ScopedXLock lock;
            x.xDestroyWindow (display, window);
            x.xFlush (display);
        }

        Read read (::Atom selection, ::Atom utf8, size_t maxBytes, int timeoutMs)
        {
            deadline = juce::Time::getMillisecondCounter() + (juce::uint32) juce::jmax (0, timeoutMs);

            for (auto target : { utf8, (::Atom) XA_STRING })
            {
                {
                    const juce::XWindowSystemUtilities::ScopedXLock lock;
                    x.xConvertSelection (display, selection, target, property, window, CurrentTime);
                    x.xFlush (display);
                }

                XEvent event;

                if (! waitFor (SelectionNotify, event))
                    return { Outcome::noAnswer, {} };

                if (event.xselection.property != None)
                    return readProperty (maxBytes);
            }

            return { Outcome::notText, {} };
        }

    private:
        Read readProperty (size_t maxBytes)
        {
            juce::MemoryBlock bytes;
            ::Atom type = None;

            {
                const juce::XWindowSystemUtilities::ScopedXLock lock;
                const Property whole (display, window, property, maxBytes, false);

                if (! whole.ok)
                    return { Outcome::notText, {} };

                if (whole.type == incr)
                {
                    // The owner announces at least this many bytes; over the bound
                    // the transfer is never started (it starts when we delete this).
                    const auto announced = whole.format == 32 && whole.numItems > 0 ? (unsigned long) *reinterpret_cast<const long*> (whole.data) : 0ul;

                    if (announced > maxBytes)
                        return { Outcome::tooLarge, {} };
                }
                else
                {
                    if (whole.bytesAfter > 0 || whole.numItems > maxBytes)
                        return { Outcome::tooLarge, {} };

                    if (whole.format != 8)
                        return { Outcome::notText, {} };

                    type = whole.type;
                    bytes.append (whole.data, whole.numItems);
                }

                // What the owner's answer did to the property was queued before
                // the answer itself: none of it is a part. (Once the property is
                // deleted below, the owner may write the first part at once.)
                XEvent stale;

                while (whole.type == incr && x.xCheckTypedWindowEvent (display, window, PropertyNotify, &stale))
                {
                }

                x.xDeleteProperty (display, window, property);
                x.xFlush (display);

                if (whole.type != incr)
                    return text (type, bytes);
            }

            return readIncrementally (maxBytes);
        }

        /** The parts of a large selection, each written once the last was deleted,
            until an empty one. */
        Read readIncrementally (size_t maxBytes)
        {
            juce::MemoryBlock bytes;
            ::Atom type = None;

            for (;;)
            {
                XEvent event;

                if (! waitFor (PropertyNotify, event))
                    return { Outcome::noAnswer, {} };

                if (event.xproperty.atom != property || event.xproperty.state != PropertyNewValue)
                    continue;

                const juce::XWindowSystemUtilities::ScopedXLock lock;
                const Property part (display, window, property, maxBytes - bytes.getSize(), true);

                if (! part.ok || part.type == None)
                    continue;

                if (part.numItems == 0)
                    return text (type, bytes);

                if (part.bytesAfter > 0 || part.numItems > maxBytes - bytes.getSize())
                    return { Outcome::tooLarge, {} };

                if (part.format != 8)
                    return { Outcome::notText, {} };

                type = part.type;
                bytes.append (part.data, part.numItems);
            }
        }

        Read text (::Atom type, const juce::MemoryBlock& bytes) const
        {
            const auto* data = static_cast<const char*> (bytes.getData());
            const auto size = bytes.getSize();

            if (type == (::Atom) XA_STRING)
            {
                // Latin-1: every byte is the character of that number.
                juce::HeapBlock<juce::juce_wchar> chars (size + 1, true);

                for (size_t i = 0; i < size; ++i)
                    chars[i] = (juce::juce_wchar) (juce::uint8) data[i];

                return { Outcome::text, juce::String (juce::CharPointer_UTF32 (chars.get())) };
            }

            return { Outcome::text, juce::String::fromUTF8 (data, (int) size) };
        }

        /** The next event of this type for our window, or false at the deadline. */
        bool waitFor (int type, XEvent& event)
        {
            for (;;)
            {
                int connection = -1;

                {
                    const juce::XWindowSystemUtilities::ScopedXLock lock;

                    if (x.xCheckTypedWindowEvent (display, window, type, &event))
                        return true;

                    connection = x.xConnectionNumber (display);
                }

                const auto now = juce::Time::getMillisecondCounter();

                if (now >= deadline)
                    return false;

                // Wakes when the server sends anything; the check above reads it.
                pollfd fd { connection, POLLIN, 0 };
                ::poll (&fd, 1, (int) juce::jmin (deadline - now, (juce::uint32) 50));
            }
        }

        ::Display* display;
        juce::X11Symbols& x;
        ::Window window = 0;
        ::Atom property = None, incr = None;
        juce::uint32 deadline = 0;
    };
}

ClipboardReader::Read ClipboardReader::readText (size_t maxBytes, int timeoutMs)
{
    auto* windowSystem = juce::XWindowSystem::getInstance();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;

    if (display == nullptr)
        return bounded (juce::SystemClipboard::getTextFromClipboard(), maxBytes);

    const auto& atoms = windowSystem->getAtoms();
    ::Window owner = None;

    {
        const juce::XWindowSystemUtilities::ScopedXLock lock;
        owner = juce::X11Symbols::getInstance()->xGetSelectionOwner (display, atoms.clipboard);
    }

    if (owner == None)
        return { Outcome::text, {} };

    if (owner == juce::juce_messageWindowHandle)
        return bounded (windowSystem->getLocalClipboardContent(), maxBytes);

    return Requestor (display).read (atoms.clipboard, atoms.utf8String, maxBytes, timeoutMs);
}
