// Controls driven as a user drives them make the undo steps a user expects,
// and an undo brings the page, the pattern selector and the grid back.

#include "EditorTestSupport.h"
#include "editors/VeskBassComponent.h"
#include "editors/VeskComponent.h"
#include "editors/VeskLeadComponent.h"
#include "editors/VeskRythmComponent.h"

using namespace VeskImage;

namespace
{
    /** The left button held, as while a control is pressed. */
    struct ScopedButtonDown
    {
        ScopedButtonDown() : saved (juce::ModifierKeys::currentModifiers)
        {
            juce::ModifierKeys::currentModifiers = saved.withFlags (juce::ModifierKeys::leftButtonModifier);
        }

        ~ScopedButtonDown() { juce::ModifierKeys::currentModifiers = saved; }

        juce::ModifierKeys saved;
    };

    /** Press, a slow drag through values, release: the slider tells its
        listeners as it does for the mouse. */
    void dragKnob (VirtualClock& clock, juce::Slider& knob, const std::vector<double>& values)
    {
        ScopedButtonDown button;
        juce::Slider::ScopedDragNotification drag (knob);

        for (double v : values)
        {
            knob.setValue (v, juce::sendNotificationSync);
            clock.runFor (2 * VeskSession::mergeMs);
        }
    }

    juce::MouseEvent mouseEvent (juce::Component& c, juce::Point<int> at, juce::Point<int> downAt, juce::Time when = juce::Time::getCurrentTime())
    {
        return { juce::Desktop::getInstance().getMainMouseSource(), at.toFloat(), {}, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c, when, downAt.toFloat(), when, 1, at != downAt };
    }

    juce::Component* find (juce::Component& root, const juce::String& name)
    {
        for (auto* child : root.getChildren())
            if (auto* found = child->getName() == name ? child : find (*child, name))
                return found;

        return nullptr;
    }

    bool samePixels (const juce::Image& a, const juce::Image& b)
    {
        if (a.getBounds() != b.getBounds())
            return false;

        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return false;

        return true;
    }

    struct EditorUndo : ModelFixture
    {
        EditorUndo()
        {
            editor.setSize (446, 470);
            dispatchPendingMessages();
            out.clear();
        }

        std::vector<juce::uint8> image() const { return { model.image, model.image + imageSize }; }

        PatternsComponent& page() { return *editor.patternsPage; }

        void choosePattern (int item)
        {
            page().patternsCombo->setSelectedItemIndex (item, juce::sendNotificationSync);
            dispatchPendingMessages();
        }

        void undo()
        {
            ASSERT_TRUE (session.undo().wasOk());
            dispatchPendingMessages();
        }

        void redo()
        {
            ASSERT_TRUE (session.redo().wasOk());
            dispatchPendingMessages();
        }

        VeskComponent editor { session };
    };
}

TEST_F (EditorUndo, AKnobDraggedIsOneStepNamedAfterIt)
{
    const std::tuple<const char*, int, const char*, std::vector<double>> cases[] = {
        { "Cutoff", PartType::lead, "filterCutoffSlider", { 70.0, 90.0, 110.0 } },
        { "Pan", PartType::lead, "panSlider", { -10.0, -30.0, -64.0, 20.0 } },
        { "Tune", PartType::bass, "tuneSlider", { 5.0, 10.0 } },
        { "BD Level", PartType::rythm, "BDLevelSlider", { 1.0, 2.0, 3.0 } },
    };

    for (const auto& [name, partType, knobName, values] : cases)
    {
        SCOPED_TRACE (name);
        model.currentPattern[Pattern::type] = (juce::uint8) partType;
        editor.refreshPatternsPage (0);
        dispatchPendingMessages();

        auto* knob = dynamic_cast<juce::Slider*> (find (*page().partEditor, knobName));
        ASSERT_NE (knob, nullptr);
        const double startValue = knob->getValue();
        const auto before = image();
        const int steps = session.getHistory().getNumSteps();

        dragKnob (clock, *knob, values);
        const auto after = image();
        EXPECT_EQ (session.getHistory().getNumSteps(), steps + 1);
        EXPECT_EQ (session.getUndoName(), name);

        undo();
        EXPECT_EQ (image(), before);
        EXPECT_DOUBLE_EQ (knob->getValue(), startValue);

        redo();
        EXPECT_EQ (image(), after);
        EXPECT_DOUBLE_EQ (knob->getValue(), values.back());
    }
}

TEST_F (EditorUndo, TheTemposWheelTicksMergeAndEachClickOfItsButtonsIsAStep)
{
    auto& tempo = *page().tempoSlider;
    const double start = tempo.getValue();

    juce::MouseWheelDetails wheel {};
    wheel.deltaY = 1.0f;

    for (int tick = 1; tick <= 3; ++tick)
    {
        tempo.mouseWheelMove (mouseEvent (tempo, {}, {}, juce::Time (1000 * tick)), wheel);
        clock.runFor (VeskSession::mergeMs / 2);
    }

    ASSERT_GT (tempo.getValue(), start + 2.0);
    EXPECT_EQ (session.getHistory().getNumSteps(), 1);

    // A click: the press opens the slider's drag, the button's click steps it, the release ends it.
    juce::Button* increment = nullptr;

    for (auto* child : tempo.getChildren())
        if (increment == nullptr)
            increment = dynamic_cast<juce::Button*> (child);

    ASSERT_NE (increment, nullptr);
    const auto at = increment->getBounds().getCentre();

    for (int click = 0; click < 2; ++click)
    {
        {
            ScopedButtonDown button;
            tempo.mouseDown (mouseEvent (tempo, at, at));
        }

        increment->onClick();
        tempo.mouseUp (mouseEvent (tempo, at, at));
    }

    EXPECT_EQ (session.getHistory().getNumSteps(), 3);
    undo();
    undo();
    undo();
    EXPECT_DOUBLE_EQ (tempo.getValue(), start);
}

TEST_F (EditorUndo, AnUndoBringsThePageOfItsStepToTheFront)
{
    auto& pitchBend = *editor.systemPage->receivePitchBendButton;
    auto& cutoff = *dynamic_cast<VeskLeadComponent&> (*page().partEditor).filterCutoffSlider;
    const bool pitchBendBefore = pitchBend.getToggleState();
    const double cutoffBefore = cutoff.getValue();

    editor.setCurrentTabIndex (1);
    pitchBend.setToggleState (! pitchBendBefore, juce::sendNotificationSync);
    editor.setCurrentTabIndex (0);
    dragKnob (clock, cutoff, { 1.0 });

    editor.setCurrentTabIndex (1);
    undo();
    EXPECT_EQ (editor.getCurrentTabName(), "Patterns");
    EXPECT_DOUBLE_EQ (cutoff.getValue(), cutoffBefore);

    undo();
    EXPECT_EQ (editor.getCurrentTabName(), "System");
    EXPECT_EQ (pitchBend.getToggleState(), pitchBendBefore);
}

TEST_F (EditorUndo, ATypeChangeIsOneStepAndItsUndoBringsThePartEditorBack)
{
    ASSERT_NE (dynamic_cast<VeskLeadComponent*> (page().partEditor), nullptr);
    const auto before = image();

    page().typeCombo->setSelectedItemIndex (PartType::bass, juce::sendNotificationSync);
    dispatchPendingMessages();
    ASSERT_NE (dynamic_cast<VeskBassComponent*> (page().partEditor), nullptr);
    EXPECT_EQ (session.getHistory().getNumSteps(), 1);
    EXPECT_EQ (session.getUndoName(), "Type");

    undo();
    EXPECT_EQ (image(), before);
    EXPECT_NE (dynamic_cast<VeskLeadComponent*> (page().partEditor), nullptr);
    EXPECT_EQ (page().typeCombo->getSelectedItemIndex(), PartType::lead);

    redo();
    EXPECT_NE (dynamic_cast<VeskBassComponent*> (page().partEditor), nullptr);
    EXPECT_EQ (session.getHistory().getNumSteps(), 1);
}

TEST_F (EditorUndo, UndoShowsThePatternItChangedOnThePageTheSelectorAndTheGrid)
{
    choosePattern (5);
    page().synthSeqToggle->setToggleState (true, juce::sendNotificationSync);
    auto* lead = dynamic_cast<VeskLeadComponent*> (page().partEditor);
    ASSERT_NE (lead, nullptr);
    auto& grid = *lead->sequencer;
    ASSERT_TRUE (grid.isVisible());

    auto snapshot = [&grid]
    { return grid.createComponentSnapshot (grid.getLocalBounds(), true, 1.0f); };

    // Over step 4, some rows above its note.
    const auto press = juce::Point<int> (SequencerComponent::nameWidth + 3 * SequencerComponent::stepWidth + 5,
                                         SequencerComponent::headerHeight + 40 * SequencerComponent::rowHeight + 5);
    grid.mouseMove (mouseEvent (grid, press, press));
    const auto gridBefore = snapshot();
    const auto before = image();

    grid.mouseDown (mouseEvent (grid, press, press));
    clock.runFor (2 * VeskSession::mergeMs);
    grid.mouseDrag (mouseEvent (grid, press + juce::Point<int> (10, -20), press));
    grid.mouseDrag (mouseEvent (grid, press + juce::Point<int> (-15, -40), press));
    grid.mouseUp (mouseEvent (grid, press + juce::Point<int> (-15, -40), press));
    ASSERT_FALSE (samePixels (snapshot(), gridBefore));
    EXPECT_EQ (session.getHistory().getNumSteps(), 1);
    EXPECT_EQ (session.getUndoName(), "Step 4 Note");

    const double cutoffBefore = lead->filterCutoffSlider->getValue();
    dragKnob (clock, *lead->filterCutoffSlider, { 20.0, 10.0 });
    choosePattern (2);
    ASSERT_EQ (page().patternsCombo->getText(), "User 02");

    undo();
    EXPECT_EQ (session.getShownPattern(), 5);
    EXPECT_EQ (page().patternsCombo->getText(), "User 05");
    EXPECT_DOUBLE_EQ (lead->filterCutoffSlider->getValue(), cutoffBefore);

    choosePattern (2);
    undo();
    EXPECT_EQ (page().patternsCombo->getText(), "User 05");
    EXPECT_EQ (image(), before);
    EXPECT_TRUE (samePixels (snapshot(), gridBefore));
}
