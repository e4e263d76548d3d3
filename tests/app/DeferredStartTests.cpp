// The start as the main window makes it: the ports and the start-up reset wait
// until the window shows, and the unit then hears what a start that opened the
// ports at once sent, in the same order, with an early edit after the reset.

#include "DispatchMessages.h"
#include "RecordingMidiOut.h"
#include "ScopedWorkingDirectory.h"
#include "app/ContentComp.h"
#include "model/VeskImage.h"

#include <gtest/gtest.h>

namespace
{
    using Messages = std::vector<std::string>;

    Messages hexLines (const RecordingMidiOut& out)
    {
        Messages lines;

        for (auto& m : out.messages)
            lines.push_back (RecordingMidiOut::hex (m));

        return lines;
    }

    VeskSession::Options onRecorder (RecordingMidiOut& out, bool deferStart)
    {
        VeskSession::Options options;
        options.wireTap = &out;
        options.openDevices = false;
        options.deferStart = deferStart;
        return options;
    }

    const auto cutoff = VeskField::pattern (VeskImage::Pattern::filterCutoffOrBdLevel);

    struct DeferredStart : ::testing::Test
    {
        ScopedWorkingDirectory workingDirectory;
        juce::ApplicationCommandManager commandManager;
    };
}

TEST_F (DeferredStart, TheUnitHearsWhatAStartAtOnceSentAndAnEarlyEditAfterTheReset)
{
    struct Case
    {
        const char* name;
        bool resetUnitAtStart;
        bool editAsTheWindowShows;
    };

    const Case cases[] = {
        { "reset", true, false },
        { "reset, then an edit", true, true },
        { "no reset", false, false },
        { "no reset, an edit", false, true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        UserSettings().setResetUnitAtStart (c.resetUnitAtStart);

        // The way the ports used to open: at once, as the content was made.
        RecordingMidiOut reference;
        {
            ContentComp content (commandManager, onRecorder (reference, false));
            dispatchPendingMessages();

            if (c.editAsTheWindowShows)
                content.getSession().edit (cutoff, 100);

            dispatchPendingMessages();
        }

        RecordingMidiOut heard;
        ContentComp content (commandManager, onRecorder (heard, true));
        dispatchPendingMessages(); // the window shows; the start has not been finished yet

        if (c.editAsTheWindowShows)
            content.getSession().edit (cutoff, 100);

        dispatchPendingMessages();
        EXPECT_TRUE (heard.messages.empty()) << heard.messages.size() << " messages left before the ports were open";
        EXPECT_EQ (content.getSession().getNumReceivers(), 0);

        content.finishStart();
        dispatchPendingMessages();
        EXPECT_EQ (hexLines (heard), hexLines (reference));

        // The defaults and the pattern page's loop control, then the edit.
        const size_t atStart = c.resetUnitAtStart ? 659 : 0;
        ASSERT_EQ (heard.messages.size(), atStart + (c.editAsTheWindowShows ? 1 : 0));

        // Later edits go out at once; a second finish sends nothing again.
        content.finishStart();
        content.getSession().edit (cutoff, 90);
        EXPECT_EQ (heard.messages.size(), atStart + (c.editAsTheWindowShows ? 2 : 1));
    }

    UserSettings().setResetUnitAtStart (true);
}

TEST_F (DeferredStart, ACommandBeforeTheStartIsFinishedFindsItFinished)
{
    RecordingMidiOut heard;
    ContentComp content (commandManager, onRecorder (heard, true));
    dispatchPendingMessages();
    ASSERT_TRUE (heard.messages.empty());

    // Chosen before the window was painted: the ports open and the reset goes out first.
    ASSERT_TRUE (content.perform (juce::ApplicationCommandTarget::InvocationInfo (ContentComp::useVirtualUnit)));
    EXPECT_TRUE (content.getSession().isStarted());
    EXPECT_TRUE (content.getSession().isVirtualUnitInUse());
    EXPECT_EQ (content.getSession().getNumReceivers(), 1);
    EXPECT_EQ (heard.messages.size(), 659u);
}
