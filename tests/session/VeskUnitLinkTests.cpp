// The link to the unit on its own: the start gate, the choice between the
// ports and the virtual unit, and who the receivers tell, in which order.

#include "SessionPartsRig.h"

namespace
{
    struct Told : MyMidiInputCallback::Listener
    {
        Told (std::vector<juce::String>& logToUse, const char* nameToUse) : log (logToUse), name (nameToUse) {}
        void controllerReceived (int controllerNumber) override { log.push_back (name + juce::String (controllerNumber)); }

        std::vector<juce::String>& log;
        juce::String name;
    };
}

TEST (VeskUnitLink, TheStartGateHoldsBackEverythingUntilItOpens)
{
    for (bool open : { false, true })
    {
        SCOPED_TRACE (open ? "open" : "closed");
        SessionParts parts (open);
        EXPECT_EQ (parts.out.messages.empty(), ! open) << "the fresh library's defaults";

        parts.out.clear();
        parts.model.sendField (VeskField::pattern (VeskImage::Pattern::level));
        EXPECT_EQ (parts.out.messages.empty(), ! open);

        parts.link.openStartGate();
        parts.model.sendField (VeskField::pattern (VeskImage::Pattern::level));
        EXPECT_FALSE (parts.out.messages.empty());
    }
}

TEST (VeskUnitLink, TheVirtualUnitTakesThePortsPlaceBothWays)
{
    SessionParts parts;
    auto& unit = parts.link.getVirtualUnit();
    const auto level = VeskField::pattern (VeskImage::Pattern::level);
    const int offset = parts.model.imageOffsetOf (level);

    // No port exists here: nothing can go out, and no answer come in.
    EXPECT_EQ (parts.link.whatIsMissing (false), SessionResult::Refusal::noOutput);
    EXPECT_EQ (parts.link.getNumReceivers(), 0);

    parts.link.setVirtualUnitInUse (true);
    EXPECT_EQ (parts.link.whatIsMissing (true), SessionResult::Refusal::none);
    EXPECT_EQ (parts.link.getNumReceivers(), 1);
    parts.model.storeField (level, 33);
    parts.model.sendField (level);
    EXPECT_EQ (unit.memory[offset], 33);
    EXPECT_FALSE (parts.out.messages.empty()) << "the tap still sees it";

    parts.link.setVirtualUnitInUse (false);
    EXPECT_EQ (parts.link.getNumReceivers(), 0);
    parts.model.storeField (level, 44);
    parts.model.sendField (level);
    EXPECT_EQ (unit.memory[offset], 33);
}

TEST (VeskUnitLink, ReceiversTellTheListenersInOrderThenTheEditorAndKeepThemAcrossReattaching)
{
    struct Editor : MyMidiInputCallback::Editor
    {
        explicit Editor (std::vector<juce::String>& logToUse) : log (logToUse) {}
        void refreshPatternsPage (int controllerNumber) override { log.push_back ("page " + juce::String (controllerNumber)); }
        void refreshSystemPage() override { log.push_back ("system"); }
        void selectPattern (VeskBlock pattern) override { log.push_back (pattern.name()); }

        std::vector<juce::String>& log;
    };

    SessionParts parts;
    std::vector<juce::String> log;
    Told first (log, "first "), second (log, "second ");
    Editor page (log);

    parts.link.connect (parts.model, { &first, &second });
    parts.link.setEditor (&page);
    parts.link.setVirtualUnitInUse (true);
    parts.link.getVirtualUnit().turnKnob (71, 5);
    dispatchPendingMessages();
    EXPECT_EQ (log, (std::vector<juce::String> { "first 71", "second 71", "page 71" }));

    log.clear();
    parts.link.attachReceivers();
    parts.link.getVirtualUnit().turnKnob (74, 9);
    dispatchPendingMessages();
    parts.link.setEditor (nullptr);
    parts.link.getVirtualUnit().turnKnob (71, 9);
    dispatchPendingMessages();
    EXPECT_EQ (log, (std::vector<juce::String> { "first 74", "second 74", "page 74", "first 71", "second 71" }));
}
