// What the unit sends, as the session passes it on: every message once to the
// listeners, and the pages refreshed through the editor as the unit's data
// arrives, whatever the transfer running decides for a dump.

#include "SessionTestSupport.h"

namespace
{
    struct ReceivedTest : ::testing::Test,
                          SessionRig,
                          VeskSession::Listener,
                          MyMidiInputCallback::Editor
    {
        ReceivedTest()
        {
            session.addListener (this);
            session.setEditor (this);
            session.setVirtualUnitInUse (true);
        }

        ~ReceivedTest() override
        {
            session.setEditor (nullptr);
            session.removeListener (this);
        }

        void dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary) override
        {
            const auto name = dump.block.has_value() ? dump.block->name() : juce::String ("none");
            log (told, "dump " + name + (! dump.applied() ? " refused" : intoLibrary ? ""
                                                                                     : " kept out"));
        }

        void controllerReceived (int controllerNumber) override { log (told, "controller " + juce::String (controllerNumber)); }
        void patternSelected (VeskBlock pattern) override { log (told, "pattern " + pattern.name()); }

        void refreshPatternsPage (int controllerNumber) override { log (refreshed, "patterns " + juce::String (controllerNumber)); }
        void refreshSystemPage() override { log (refreshed, "system"); }
        void selectPattern (VeskBlock pattern) override { log (refreshed, "select " + pattern.name()); }

        /** What action made the unit send, as the listeners and the editor heard it. */
        std::pair<Messages, Messages> heard (const std::function<void()>& action)
        {
            told.clear();
            refreshed.clear();
            action();
            clock.runUntilIdle();
            dispatchPendingMessages();
            return { told, refreshed };
        }

        void log (Messages& to, const juce::String& what) { to.push_back (what.toStdString()); }

        Messages told, refreshed;
    };

    using Heard = std::pair<Messages, Messages>;
}

TEST_F (ReceivedTest, EachKindReachesTheListenersOnceAndTheEditorAsThePagesNeedIt)
{
    auto& unit = session.getVirtualUnit();

    EXPECT_EQ (heard ([&]
                      { unit.turnKnob (74, 9); }),
               (Heard { { "controller 74" }, { "patterns 74" } }));

    EXPECT_EQ (heard ([&]
                      { unit.changePattern (*VeskBlock::user (5)); }),
               (Heard { { "pattern User 05" }, { "select User 05" } }));

    EXPECT_EQ (heard ([&]
                      { session.askUnitFor (VeskBlock::system()); }),
               (Heard { { "dump System" }, { "system" } }));

    EXPECT_EQ (heard ([&]
                      { session.askUnitFor (VeskBlock::temporary()); }),
               (Heard { { "dump Temporary" }, { "patterns 0" } }));

    session.showPattern (*VeskBlock::user (3));
    EXPECT_EQ (heard ([&]
                      { session.askUnitFor (*VeskBlock::user (3)); }),
               (Heard { { "dump User 03" }, { "patterns 0" } }));

    // A damaged answer is told, and changes no page.
    unit.setFault (unit.getNumAnswers() + 1, { false, true });
    EXPECT_EQ (heard ([&]
                      { session.askUnitFor (VeskBlock::system()); }),
               (Heard { { "dump System refused" }, {} }));
}

TEST_F (ReceivedTest, ATransfersDumpsAreToldOnceAndRefreshOnlyWhatTheLibraryTook)
{
    const auto order = VeskTransfer::blockOrder (VeskTransfer::Kind::getAll);
    Messages intoLibrary, keptOut, refreshes;

    for (const auto& block : order)
    {
        intoLibrary.push_back (("dump " + block.name()).toStdString());
        keptOut.push_back (("dump " + block.name() + " kept out").toStdString());
        refreshes.push_back (block.isSystem() ? "system" : "patterns 0");
    }

    EXPECT_EQ (heard ([&]
                      { EXPECT_TRUE (session.startTransfer (VeskTransfer::Kind::getAll).wasOk()); }),
               (Heard { intoLibrary, refreshes }));

    EXPECT_EQ (heard ([&]
                      { EXPECT_TRUE (session.startTransfer (VeskTransfer::Kind::verify).wasOk()); }),
               (Heard { keptOut, {} }));
}
