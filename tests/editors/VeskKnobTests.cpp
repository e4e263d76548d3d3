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
    /** Presses at from, moves through every point (Shift held or not there)
        and lets go at the last. */
    void drag (juce::Component& knob, juce::Point<float> from, const std::vector<std::pair<juce::Point<float>, bool>>& moves)
    {
        const auto button = juce::ModifierKeys::leftButtonModifier;
        knob.mouseDown (mouseEventOn (knob, from, from, button));

        for (auto& [at, shift] : moves)
            knob.mouseDrag (mouseEventOn (knob, at, from, button | (shift ? juce::ModifierKeys::shiftModifier : 0)));

        knob.mouseUp (mouseEventOn (knob, moves.back().first, from));
    }

    /** What a knob's listeners hear, in order. */
    struct GestureLog : juce::Slider::Listener
    {
        void sliderValueChanged (juce::Slider* s) override { events.add ("value " + juce::String (s->getValue())); }
        void sliderDragStarted (juce::Slider*) override { events.add ("start"); }
        void sliderDragEnded (juce::Slider*) override { events.add ("end"); }

        juce::StringArray events;
    };

    struct Knobs : ModelFixture
    {
        Knobs() { model.currentPattern[Pattern::type] = PartType::lead; }

        // The drag mode is the whole program's: the default again after each test.
        ~Knobs() override { VeskKnob::setDragMode (VeskKnob::DragMode::circular); }

        VeskLeadComponent lead { session };
        juce::Slider& cutoff = *lead.filterCutoffSlider;
    };
}

TEST_F (Knobs, AVerticalDragTurnsByItsLengthAndShiftTurnsATenthAsFar)
{
    VeskKnob::setDragMode (VeskKnob::DragMode::vertical);
    lead.resized();
    const juce::Point<float> centre (22.0f, 15.0f);

    // The whole range of 127 is 250 pixels: 20 up is 10 steps, 10 down is 5 back.
    const std::tuple<const char*, std::vector<std::pair<float, bool>>, int> cases[] = {
        { "20 up", { { -10, false }, { -20, false } }, 10 },
        { "10 down", { { 5, false }, { 10, false } }, -5 },
        { "20 up with Shift", { { -10, true }, { -20, true } }, 1 },
        { "Shift let go half way: 100 slow, then 20", { { -50, true }, { -100, true }, { -110, false }, { -120, false } }, 5 + 10 },
        { "Shift pressed half way: 20, then 100 slow", { { -10, false }, { -20, false }, { -70, true }, { -120, true } }, 10 + 5 },
        { "beyond the top", { { -1000, false } }, 127 - 64 },
    };

    for (auto& [what, pixelsDown, turnedBy] : cases)
    {
        SCOPED_TRACE (what);
        cutoff.setValue (64.0, juce::dontSendNotification);
        model.currentPattern[Pattern::filterCutoffOrBdLevel] = 64;
        std::vector<std::pair<juce::Point<float>, bool>> moves;

        for (auto [dy, shift] : pixelsDown)
            moves.push_back ({ centre.translated (0.0f, dy), shift });

        drag (cutoff, centre, moves);
        EXPECT_EQ ((int) cutoff.getValue(), 64 + turnedBy);
        EXPECT_EQ (out.last(), hexOf (juce::MidiMessage::controllerEvent (1, 74, 64 + turnedBy))) << "stored and sent";
    }
}

TEST_F (Knobs, AShiftDragRoundTheKnobTurnsItLessThanTheSameDragWithout)
{
    lead.resized();

    // From twelve o'clock towards three o'clock, round the dial's centre at (22.5, 15).
    auto turnedBy = [&] (bool shift)
    {
        cutoff.setValue (64.0, juce::dontSendNotification);
        drag (cutoff, { 22.5f, 3.0f }, { { { 26.5f, 3.5f }, shift }, { { 30.5f, 5.0f }, shift }, { { 34.5f, 9.0f }, shift } });
        return cutoff.getValue() - 64.0;
    };

    const auto normal = turnedBy (false);
    const auto fine = turnedBy (true);
    EXPECT_GT (normal, 20.0);
    EXPECT_GE (fine, 1.0);
    EXPECT_LT (fine, normal / 4.0);
}

TEST_F (Knobs, ADoubleClickReturnsAKnobToItsFieldsDefaultAsOneGesture)
{
    VeskBassComponent bass (session);
    VeskLineinComponent lineIn (session);

    const std::tuple<juce::Component*, const char*, int, double> cases[] = {
        { &lead, "filterAttackSlider", Pattern::filterAttack, 8 }, // a plain field
        { &lead, "filterCutoffSlider", Pattern::filterCutoffOrBdLevel, 64 }, // a controller
        { &lead, "panSlider", Pattern::pan, 0 }, // signed
        { &bass, "tuneSlider", Pattern::tuneOrEffectParam1, 0 },
        { &lineIn, "levelSlider", Pattern::level, 127 }, // made outside the shared helper
    };

    for (auto& [editor, name, offset, shownDefault] : cases)
    {
        SCOPED_TRACE (name);
        editor->resized();
        auto* knob = dynamic_cast<juce::Slider*> (findNamed (*editor, name));
        ASSERT_NE (knob, nullptr);

        // What the unit hears when the user turns the knob to the default by hand.
        knob->setValue (knob->getMinimum() + 3.0, juce::sendNotificationSync);
        out.clear();
        knob->setValue (shownDefault, juce::sendNotificationSync);
        const auto byHand = out.messages;
        ASSERT_EQ (byHand.size(), 1u);

        knob->setValue (knob->getMinimum() + 3.0, juce::sendNotificationSync);
        out.clear();
        GestureLog log;
        knob->addListener (&log);
        const juce::Point<float> centre (22.5f, 15.0f);
        knob->mouseDoubleClick (mouseEventOn (*knob, centre, centre, juce::ModifierKeys::leftButtonModifier, 2));
        knob->removeListener (&log);

        EXPECT_EQ (model.currentPattern[offset], Pattern::headerDefaults[offset]);
        EXPECT_EQ (out.messages, byHand);
        EXPECT_EQ (log.events, juce::StringArray (juce::String ("start"), "value " + juce::String (shownDefault), "end"));
    }
}
