// Paste on the Library page with the clipboard held by other programs on a
// real X server: xclip, and an owner of our own that sends its text in parts
// or not at all. PRIMARY always holds another pattern, which must never be
// what lands in the library.

#include "EditorTestSupport.h"
#include "ScopedWorkingDirectory.h"
#include "app/ContentComp.h"
#include "model/VeskImage.h"
#include "model/VeskPatternText.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gtest/gtest.h>
#include <poll.h>

namespace
{
    using Bytes = std::vector<juce::uint8>;

    /** Waits until the selection has an owner other than before. */
    bool waitForNewOwner (::Display* display, ::Atom selection, ::Window before)
    {
        for (int i = 0; i < 500; ++i)
        {
            const auto owner = XGetSelectionOwner (display, selection);

            if (owner != None && owner != before)
                return true;

            juce::Thread::sleep (10);
        }

        return false;
    }

    /** Something that holds a selection while it lives. */
    struct SelectionHolder
    {
        virtual ~SelectionHolder() = default;
        bool owns = false;
    };

    /** xclip holding a file's text as a selection. */
    struct XclipOwner : SelectionHolder
    {
        XclipOwner (::Display* display, const char* selection, const juce::File& file)
        {
            const auto atom = XInternAtom (display, juce::String (selection).toUpperCase().toRawUTF8(), False);
            const auto before = XGetSelectionOwner (display, atom);
            owns = process.start (juce::StringArray { "xclip", "-quiet", "-selection", selection, "-t", "UTF8_STRING", "-i", file.getFullPathName() }, 0)
                   && waitForNewOwner (display, atom, before);
        }

        ~XclipOwner() override
        {
            process.kill();
            process.waitForProcessToFinish (2000);
        }

        juce::ChildProcess process;
    };

    /** Owns CLIPBOARD from a connection and a thread of its own, and answers
        a request for text in parts (INCR, announcing a size of its choosing),
        with a refusal, or never. */
    class PartsOwner : public SelectionHolder,
                       private juce::Thread
    {
    public:
        enum class Answer
        {
            inParts,
            refusal,
            never
        };

        PartsOwner (std::string textToSend, Answer answerToGive, long announcedSize, size_t partSizeToUse)
            : juce::Thread ("clipboard owner"),
              text (std::move (textToSend)),
              answer (answerToGive),
              announced (announcedSize),
              partSize (partSizeToUse)
        {
            display = XOpenDisplay (nullptr);

            if (display == nullptr)
                return;

            clipboard = XInternAtom (display, "CLIPBOARD", False);
            utf8 = XInternAtom (display, "UTF8_STRING", False);
            incr = XInternAtom (display, "INCR", False);
            const auto before = XGetSelectionOwner (display, clipboard);
            window = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 1, 1, 0, 0, 0);
            XSetSelectionOwner (display, clipboard, window, CurrentTime);
            XSync (display, False);
            owns = XGetSelectionOwner (display, clipboard) == window && window != before;
            startThread();
        }

        ~PartsOwner() override
        {
            stopThread (2000);

            if (display != nullptr)
            {
                XDestroyWindow (display, window);
                XCloseDisplay (display);
            }
        }

    private:
        void run() override
        {
            while (! threadShouldExit())
            {
                while (XPending (display) > 0)
                {
                    XEvent event;
                    XNextEvent (display, &event);

                    if (event.type == SelectionRequest)
                        requested (event.xselectionrequest);
                    else if (event.type == PropertyNotify && event.xproperty.state == PropertyDelete
                             && event.xproperty.window == requestor && event.xproperty.atom == property)
                        sendNextPart();
                }

                pollfd fd { ConnectionNumber (display), POLLIN, 0 };
                ::poll (&fd, 1, 20);
            }
        }

        void requested (const XSelectionRequestEvent& request)
        {
            if (answer == Answer::never)
                return;

            XSelectionEvent reply {};
            reply.type = SelectionNotify;
            reply.requestor = request.requestor;
            reply.selection = request.selection;
            reply.target = request.target;
            reply.time = request.time;
            reply.property = None;

            if (request.target == utf8 && answer == Answer::inParts)
            {
                // The requestor deleting the property asks for each next part.
                requestor = request.requestor;
                property = request.property;
                sent = 0;
                XSelectInput (display, requestor, PropertyChangeMask);
                XChangeProperty (display, requestor, property, incr, 32, PropModeReplace, reinterpret_cast<const unsigned char*> (&announced), 1);
                reply.property = property;
            }

            XSendEvent (display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*> (&reply));
            XFlush (display);
        }

        void sendNextPart()
        {
            if (sent > text.size())
                return; // the empty part that ends it went out

            const auto size = std::min (partSize, text.size() - sent);
            XChangeProperty (display, requestor, property, utf8, 8, PropModeReplace,
                             reinterpret_cast<const unsigned char*> (text.data() + sent), (int) size);
            XFlush (display);
            sent += size > 0 ? size : 1;
        }

        const std::string text;
        const Answer answer;
        const long announced;
        const size_t partSize;

        ::Display* display = nullptr;
        ::Window window = 0, requestor = 0;
        ::Atom clipboard = None, utf8 = None, incr = None, property = None;
        size_t sent = 0;
    };

    struct ClipboardPaste : ::testing::Test
    {
        ClipboardPaste()
        {
            commandManager.registerAllCommandsForTarget (&content);
            commandManager.setFirstCommandTarget (&content);
            content.setSize (446, 470);
            editor.setCurrentTabIndex (editor.getTabNames().indexOf ("Library"));

            // Every slot different, so whichever pattern lands shows.
            for (int slot = 0; slot < VeskImage::numPatternRecords; ++slot)
                model.image[VeskImage::patternRecordOffset (slot) + VeskImage::Pattern::level] = (juce::uint8) (100 + slot);

            dispatchPendingMessages();
        }

        ~ClipboardPaste() override
        {
            closeAlerts();

            if (display != nullptr)
                XCloseDisplay (display);
        }

        /** The line that writes a record of these bytes into slot. */
        static juce::String lineFor (int slot, juce::uint8 level)
        {
            Bytes image (VeskImage::imageSize, 0);
            image[(size_t) VeskImage::patternRecordOffset (slot) + VeskImage::Pattern::level] = level;
            return VeskPatternText::fromSlots (image.data(), slotBlocks ({ slot }));
        }

        static Bytes recordWithLevel (juce::uint8 level)
        {
            Bytes record (VeskImage::patternSize, 0);
            record[VeskImage::Pattern::level] = level;
            return record;
        }

        Bytes image() const { return { model.image, model.image + VeskImage::imageSize }; }
        Bytes record (int slot) const { return { model.image + VeskImage::patternRecordOffset (slot), model.image + VeskImage::patternRecordOffset (slot) + VeskImage::patternSize }; }

        juce::File write (const juce::String& name, const std::string& text) const
        {
            const auto file = workingDirectory.file (name);
            EXPECT_TRUE (file.replaceWithData (text.data(), text.size()));
            return file;
        }

        /** Ctrl+V on the Library page, with one slot selected. */
        void pasteOnto (int slot)
        {
            editor.libraryPage->ourList.selectSlots (slotBlocks ({ slot }));
            content.lastMessage = {};
            EXPECT_TRUE (content.perform (juce::ApplicationCommandTarget::InvocationInfo (LibraryCommands::pastePatterns)));

            // A paste goes on to send what it changed to the unit.
            const auto giveUp = juce::Time::getMillisecondCounter() + 10000;

            while (content.getSession().isBusy() && juce::Time::getMillisecondCounter() < giveUp)
                juce::dispatchNextMessageOnSystemQueue (false);

            dispatchPendingMessages();
        }

        bool pasteAlertIsOpen() const
        {
            auto& modals = *juce::ModalComponentManager::getInstance();

            for (int i = 0; i < modals.getNumModalComponents(); ++i)
                if (auto* alert = dynamic_cast<juce::AlertWindow*> (modals.getModalComponent (i)); alert != nullptr && alert->getName() == "Paste")
                    return true;

            return false;
        }

        void closeAlerts()
        {
            auto& modals = *juce::ModalComponentManager::getInstance();

            for (int i = modals.getNumModalComponents(); --i >= 0;)
                modals.getModalComponent (i)->exitModalState (0);

            dispatchPendingMessages();
        }

        ScopedWorkingDirectory workingDirectory;
        juce::ApplicationCommandManager commandManager;
        ContentComp content { commandManager };
        VeskModel& model { content.getModel() };
        VeskComponent& editor { content.getEditor() };
        ::Display* display = XOpenDisplay (nullptr);

        // What PRIMARY holds: User 09 with a level nothing else has.
        static constexpr juce::uint8 primaryLevel = 7;
    };

    constexpr size_t fourMB = 4 * 1024 * 1024, oneMB = 1000 * 1000;
    constexpr auto bound = (size_t) VeskPatternText::maxTextSize;

    /** text padded with newlines to size bytes. */
    std::string paddedTo (const juce::String& text, size_t size)
    {
        auto padded = text.toStdString();
        padded.resize (size, '\n');
        return padded;
    }
}

TEST_F (ClipboardPaste, TooMuchOrNoTextIsRefusedAndNoOtherSelectionIsPasted)
{
    ASSERT_NE (display, nullptr) << "these run under a display of their own";
    const auto pattern = lineFor (9, 60);
    const auto primary = write ("primary.txt", lineFor (9, primaryLevel).toStdString());

    struct Case
    {
        const char* what;
        std::function<std::unique_ptr<SelectionHolder>()> holdClipboard;
        const char* why;
    };

    auto byXclip = [this] (const char* name, std::string text)
    {
        return [this, name, text]
        {
            return std::unique_ptr<SelectionHolder> (std::make_unique<XclipOwner> (display, "clipboard", write (name, text)));
        };
    };

    auto byUs = [] (std::string text, PartsOwner::Answer answer, long announced)
    {
        return [text, answer, announced]
        {
            return std::unique_ptr<SelectionHolder> (std::make_unique<PartsOwner> (text, answer, announced, 4096));
        };
    };

    const Case cases[] = {
        { "4 MB of junk", byXclip ("junk4.txt", std::string (fourMB, 'x')), "more than 64 KiB" },
        { "1 MB of junk", byXclip ("junk1.txt", std::string (oneMB, 'x')), "more than 64 KiB" },
        { "a pattern, then junk to 4 MB", byXclip ("tail.txt", pattern.toStdString() + std::string (fourMB, 'x')), "more than 64 KiB" },
        { "a pattern padded one byte past the bound", byXclip ("over.txt", paddedTo (pattern, bound + 1)), "more than 64 KiB" },
        { "no text for us", byUs ({}, PartsOwner::Answer::refusal, 0), "it holds no text" },
        { "parts announced as 4 MB", byUs (std::string (fourMB, 'x'), PartsOwner::Answer::inParts, (long) fourMB), "more than 64 KiB" },
        { "parts announced small, sent large", byUs (paddedTo (pattern, 100'000), PartsOwner::Answer::inParts, 1000), "more than 64 KiB" },
        { "an owner that never answers", byUs ({}, PartsOwner::Answer::never, 0), "did not answer" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        XclipOwner primaryOwner (display, "primary", primary);
        ASSERT_TRUE (primaryOwner.owns);
        const auto clipboardOwner = c.holdClipboard();
        ASSERT_TRUE (clipboardOwner->owns);
        const auto before = image();
        const auto steps = content.getSession().getHistory().getNumSteps();

        pasteOnto (5);

        EXPECT_TRUE (content.lastMessage.contains (c.why)) << content.lastMessage;
        EXPECT_TRUE (content.lastMessage.contains ("Nothing was changed")) << content.lastMessage;
        EXPECT_TRUE (pasteAlertIsOpen()) << "refused as other pastes are, in an alert";
        EXPECT_EQ (image(), before);
        EXPECT_EQ (content.getSession().getHistory().getNumSteps(), steps);
        closeAlerts();
    }
}

TEST_F (ClipboardPaste, TextWithinTheBoundPastesFromWhoeverHoldsIt)
{
    ASSERT_NE (display, nullptr) << "these run under a display of their own";
    const auto primary = write ("primary.txt", lineFor (9, primaryLevel).toStdString());

    const std::tuple<const char*, juce::File, int, int> fromXclip[] = {
        { "a pattern from xclip", write ("one.txt", lineFor (9, 61).toStdString()), 5, 61 },
        { "a pattern padded to the bound exactly", write ("bound.txt", paddedTo (lineFor (9, 62), bound)), 6, 62 },
    };

    for (const auto& [what, text, slot, level] : fromXclip)
    {
        SCOPED_TRACE (what);
        XclipOwner primaryOwner (display, "primary", primary);
        XclipOwner clipboardOwner (display, "clipboard", text);
        ASSERT_TRUE (primaryOwner.owns && clipboardOwner.owns);
        pasteOnto (slot);
        EXPECT_FALSE (pasteAlertIsOpen()) << content.lastMessage;
        EXPECT_EQ (record (slot), recordWithLevel (level));
    }

    {
        SCOPED_TRACE ("a pattern sent in parts");
        XclipOwner primaryOwner (display, "primary", primary);
        const PartsOwner clipboardOwner (paddedTo (lineFor (9, 63), 20'000), PartsOwner::Answer::inParts, 20'000, 4096);
        ASSERT_TRUE (primaryOwner.owns && clipboardOwner.owns);
        pasteOnto (7);
        EXPECT_FALSE (pasteAlertIsOpen()) << content.lastMessage;
        EXPECT_EQ (record (7), recordWithLevel (63));
    }

    {
        SCOPED_TRACE ("our own Copy");
        editor.libraryPage->ourList.selectSlots (slotBlocks ({ 2 }));
        EXPECT_TRUE (content.perform (juce::ApplicationCommandTarget::InvocationInfo (LibraryCommands::copyPatterns)));
        const auto copied = record (2);
        pasteOnto (8);
        EXPECT_FALSE (pasteAlertIsOpen()) << content.lastMessage;
        EXPECT_EQ (record (8), copied);
    }

    EXPECT_EQ (content.getSession().getHistory().getNumSteps(), 4);
}
