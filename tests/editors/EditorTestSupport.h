#pragma once

#include "../unit/VirtualClock.h"
#include "DispatchMessages.h"
#include "RecordingMidiOut.h"
#include "TestBlocks.h"
#include "model/VeskModel.h"
#include "model/VeskProtocol.h"
#include "session/VeskSession.h"

#include <gtest/gtest.h>

inline std::vector<juce::uint8> bytesOf (const juce::MidiMessage& m)
{
    return { m.getRawData(), m.getRawData() + m.getRawDataSize() };
}

inline std::string hexOf (const juce::MidiMessage& m)
{
    return RecordingMidiOut::hex (bytesOf (m));
}

/** The shortcut modifier of the menus' keys (Ctrl here). */
inline const auto ctrl = juce::ModifierKeys::commandModifier;

/** A mouse event on c as the window delivers it. */
inline juce::MouseEvent mouseEventOn (juce::Component& c, juce::Point<float> at, juce::Point<float> downAt, juce::ModifierKeys mods = {}, int clicks = 1, juce::Time when = juce::Time::getCurrentTime())
{
    return { juce::Desktop::getInstance().getMainMouseSource(), at, mods, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c, when, downAt, when, clicks, at != downAt };
}

/** The first component below root with that name, depth first. */
inline juce::Component* findNamed (juce::Component& root, const juce::String& name)
{
    for (auto* child : root.getChildren())
        if (auto* found = child->getName() == name ? child : findNamed (*child, name))
            return found;

    return nullptr;
}

/** A page's Send and Store clicked while a job runs: nothing leaves, and
    onMessage is told of each refused, as every command is refused. */
inline void expectSendAndStoreRefused (juce::Button& send, juce::Button& store,
                                       std::function<void (const juce::String&, const SessionResult&)>& onMessage,
                                       VeskSession& session, RecordingMidiOut& out)
{
    ASSERT_TRUE (session.isBusy());
    std::vector<std::pair<juce::String, SessionResult>> told;
    onMessage = [&told] (const juce::String& title, const SessionResult& result)
    { told.push_back ({ title, result }); };
    out.clear();

    send.triggerClick();
    store.triggerClick();
    dispatchPendingMessages();
    onMessage = nullptr;
    EXPECT_TRUE (out.messages.empty());
    ASSERT_EQ (told.size(), 2u);
    EXPECT_EQ (told[0].first, "Send");
    EXPECT_EQ (told[0].second, session.refusalWhileBusy ("Send"));
    EXPECT_EQ (told[1].first, "Store");
    EXPECT_EQ (told[1].second, session.refusalWhileBusy ("Store"));
}

/** A session (and so a model) on a recorder, with the start-up defaults
    already sent and forgotten. */
struct ModelFixture : ::testing::Test
{
    ModelFixture() { out.clear(); }

    /** The data set the unit gets for one byte of area a0 at offset. */
    static std::string dataSet (int a0, int offset, int value) { return hexOf (VeskProtocol::dataSet (a0, 0, offset, value)); }

    RecordingMidiOut out;
    VirtualClock clock;
    VeskSession session { VeskSession::Options::headless (clock, out) };
    VeskModel& model = session.getModel();
};
