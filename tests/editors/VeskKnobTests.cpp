// Dragging the part editors' knobs and returning them to their defaults, with
// mouse events as the window delivers them.

#include "EditorTestSupport.h"
#include "editors/VeskBassComponent.h"
#include "editors/VeskKnob.h"
#include "editors/VeskLeadComponent.h"
#include "editors/VeskLineinComponent.h"

using namespace VeskImage;

namespace
{
    /** Puts a drag mode in force for one test and the default back after it:
        the mode is the whole program's. */
    struct ScopedDragMode
    {
        explicit ScopedDragMode (VeskKnob::DragMode mode) { VeskKnob::setDragMode (mode); }
        ~ScopedDragMode() { VeskKnob::setDragMode (VeskKnob::DragMode::circular); }
    };

    juce::MouseEvent mouseEvent (juce::Component& c, juce::Point<float> at, juce::Point<float> downAt, juce::ModifierKeys mods, int clicks = 1)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), at, mods, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c, now, downAt, now, clicks, at != downAt };
    }

    /** One mouse position of a drag, and whether Shift is held there. */
    struct Move
    {
        juce::Point<float> at;
        bool shift = false;
    };

    /** Presses at from, moves through every point and lets go at the last. */
    void drag (juce::Component& knob, juce::Point<float> from, const std::vector<Move>& moves)
    {
        const auto button = juce::ModifierKeys::leftButtonModifier;
        knob.mouseDown (mouseEvent (knob, from, from, juce::ModifierKeys (button)));

        for (auto& m : moves)
            knob.mouseDrag (mouseEvent (knob, m.at, from, juce::ModifierKeys (button | (m.shift ? juce::ModifierKeys::shiftModifier : 0))));

        knob.mouseUp (mouseEvent (knob, moves.back().at, from, {}));
    }

    /** What a knob's listeners hear, in order. */
    struct GestureLog : juce::Slider::Listener
    {
        void sliderValueChanged (juce::Slider* s) override { events.add ("value " + juce::String (s->getValue())); }
        void sliderDragStarted (juce::Slider*) override { events.add ("start"); }
        void sliderDragEnded (juce::Slider*) override { events.add ("end"); }

        juce::StringArray events;
    };

    juce::Component* findByName (juce::Component& root, const juce::String& name)
    {
        for (auto* child : root.getChildren())
        {
            if (child->getName() == name)
                return child;

            if (auto* found = findByName (*child, name))
                return found;
        }

        return nullptr;
    }

    struct Knobs : ModelFixture
    {
        Knobs() { model.currentPattern[Pattern::type] = PartType::lead; }
    };
}

TEST_F (Knobs, AVerticalDragTurnsByItsLengthAndShiftTurnsATenthAsFar)
{
    ScopedDragMode vertical (VeskKnob::DragMode::vertical);
    VeskLeadComponent editor (session);
    editor.resized();
    auto& knob = *editor.filterCutoffSlider;
    const juce::Point<float> centre (22.0f, 15.0f);

    // The whole range of 127 is 250 pixels: 20 up is 10 steps, 10 down is 5 back.
    struct Case
    {
        const char* name;
        std::vector<std::pair<float, bool>> moves; // pixels down from the press, Shift held
        int turnedBy;
    };

    const Case cases[] = {
        { "20 up", { { -10, false }, { -20, false } }, 10 },
        { "10 down", { { 5, false }, { 10, false } }, -5 },
        { "20 up with Shift", { { -10, true }, { -20, true } }, 1 },
        { "Shift let go half way: 100 slow, then 20", { { -50, true }, { -100, true }, { -110, false }, { -120, false } }, 5 + 10 },
        { "Shift pressed half way: 20, then 100 slow", { { -10, false }, { -20, false }, { -70, true }, { -120, true } }, 10 + 5 },
        { "beyond the top", { { -1000, false } }, 127 - 64 },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        knob.setValue (64.0, juce::dontSendNotification);
        model.currentPattern[Pattern::filterCutoffOrBdLevel] = 64;
        out.clear();

        std::vector<Move> moves;

        for (auto [dy, shift] : c.moves)
            moves.push_back ({ centre.translated (0.0f, dy), shift });

        drag (knob, centre, moves);

        EXPECT_EQ ((int) knob.getValue(), 64 + c.turnedBy);
        EXPECT_EQ (model.currentPattern[Pattern::filterCutoffOrBdLevel], 64 + c.turnedBy) << "stored";
        EXPECT_EQ (out.last(), hexOf (juce::MidiMessage::controllerEvent (1, 74, 64 + c.turnedBy))) << "and sent";
    }
}

TEST_F (Knobs, AShiftDragRoundTheKnobTurnsItLessThanTheSameDragWithout)
{
    VeskLeadComponent editor (session);
    editor.resized();
    auto& knob = *editor.filterCutoffSlider;

    // From twelve o'clock towards three o'clock, round the dial's centre at (22.5, 15).
    auto turnedBy = [&] (bool shift)
    {
        knob.setValue (64.0, juce::dontSendNotification);
        drag (knob, { 22.5f, 3.0f }, { { { 26.5f, 3.5f }, shift }, { { 30.5f, 5.0f }, shift }, { { 34.5f, 9.0f }, shift } });
        return knob.getValue() - 64.0;
    };

    const auto normal = turnedBy (false);
    const auto fine = turnedBy (true);
    EXPECT_GT (normal, 20.0);
    EXPECT_GE (fine, 1.0);
    EXPECT_LT (fine, normal / 4.0);
}

TEST_F (Knobs, ADoubleClickReturnsAKnobToItsFieldsDefaultAsOneGesture)
{
    struct Case
    {
        int type;
        const char* knob;
        int offset;
        double shownDefault;
    };

    const Case cases[] = {
        { PartType::lead, "filterAttackSlider", Pattern::filterAttack, 8 }, // a plain field
        { PartType::lead, "filterCutoffSlider", Pattern::filterCutoffOrBdLevel, 64 }, // a controller
        { PartType::lead, "panSlider", Pattern::pan, 0 }, // signed
        { PartType::bass, "tuneSlider", Pattern::tuneOrEffectParam1, 0 },
        { PartType::lineIn, "levelSlider", Pattern::level, 127 }, // made outside the shared helper
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.knob);
        std::unique_ptr<VeskTypeComponent> editor;

        if (c.type == PartType::lead)
            editor = std::make_unique<VeskLeadComponent> (session);
        else if (c.type == PartType::bass)
            editor = std::make_unique<VeskBassComponent> (session);
        else
            editor = std::make_unique<VeskLineinComponent> (session);

        editor->resized();
        auto* found = dynamic_cast<juce::Slider*> (findByName (*editor, c.knob));
        ASSERT_NE (found, nullptr);
        auto& knob = *found;

        // What the unit hears when the user turns the knob to the default by hand.
        knob.setValue (knob.getMinimum() + 3.0, juce::sendNotificationSync);
        out.clear();
        knob.setValue (c.shownDefault, juce::sendNotificationSync);
        const auto byHand = out.messages;
        ASSERT_EQ (byHand.size(), 1u);

        knob.setValue (knob.getMinimum() + 3.0, juce::sendNotificationSync);
        out.clear();
        GestureLog log;
        knob.addListener (&log);
        const juce::Point<float> centre (22.5f, 15.0f);
        knob.mouseDoubleClick (mouseEvent (knob, centre, centre, juce::ModifierKeys::leftButtonModifier, 2));
        knob.removeListener (&log);

        EXPECT_EQ (knob.getValue(), c.shownDefault);
        EXPECT_EQ (model.currentPattern[c.offset], Pattern::headerDefaults[c.offset]);
        EXPECT_EQ (out.messages, byHand);
        EXPECT_EQ (log.events, juce::StringArray (juce::String ("start"), "value " + juce::String (c.shownDefault), "end"));
    }
}
