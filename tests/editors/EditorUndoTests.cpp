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
    using ButtonDown = juce::ScopedValueSetter<juce::ModifierKeys>;
    ButtonDown buttonDown() { return { juce::ModifierKeys::currentModifiers, juce::ModifierKeys::currentModifiers.withFlags (juce::ModifierKeys::leftButtonModifier) }; }

    /** Press, a slow drag through values, release: the slider tells its
        listeners as it does for the mouse. */
    void dragKnob (VirtualClock& clock, juce::Slider& knob, const std::vector<double>& values)
    {
        const auto button = buttonDown();
        juce::Slider::ScopedDragNotification drag (knob);

        for (double v : values)
        {
            knob.setValue (v, juce::sendNotificationSync);
            clock.runFor (2 * VeskSession::mergeMs);
        }
    }

    juce::MemoryBlock pngOf (juce::Component& c)
    {
        juce::MemoryOutputStream png;
        juce::PNGImageFormat().writeImageToStream (c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f), png);
        return png.getMemoryBlock();
    }

    struct EditorUndo : ModelFixture
    {
        EditorUndo()
        {
            editor.setSize (446, 470);
            dispatchPendingMessages();
        }

        std::vector<juce::uint8> image() const { return { model.image, model.image + imageSize }; }

        PatternsComponent& page() { return *editor.patternsPage; }

        void choosePattern (int item)
        {
            page().patternsCombo->setSelectedItemIndex (item, juce::sendNotificationSync);
            dispatchPendingMessages();
        }

        void undoOrRedo (bool undo)
        {
            ASSERT_TRUE ((undo ? session.undo() : session.redo()).wasOk());
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

        auto* knob = dynamic_cast<juce::Slider*> (findNamed (*page().partEditor, knobName));
        ASSERT_NE (knob, nullptr);
        const double startValue = knob->getValue();
        const auto before = image();
        const int steps = session.getHistory().getNumDone();

        dragKnob (clock, *knob, values);
        const auto after = image();
        EXPECT_EQ (session.getHistory().getNumDone(), steps + 1);
        EXPECT_EQ (session.getUndoName(), name);

        // The drag has ended: an edit of another field is a step of its own.
        session.edit (VeskField::pattern (Pattern::lfoRate), model.currentPattern[Pattern::lfoRate] ^ 1);
        EXPECT_EQ (session.getHistory().getNumDone(), steps + 2);
        undoOrRedo (true);

        undoOrRedo (true);
        EXPECT_EQ (image(), before);
        EXPECT_DOUBLE_EQ (knob->getValue(), startValue);
        undoOrRedo (false);
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
        tempo.mouseWheelMove (mouseEventOn (tempo, {}, {}, {}, 1, juce::Time (1000 * tick)), wheel);
        clock.runFor (VeskSession::mergeMs / 2);
    }

    ASSERT_GT (tempo.getValue(), start + 2.0);
    EXPECT_EQ (session.getHistory().getNumSteps(), 1);

    // A click: the press opens the slider's drag, the button's click steps it, the release ends it.
    auto* increment = dynamic_cast<juce::Button*> (findNamed (tempo, "+"));
    ASSERT_NE (increment, nullptr);
    const auto at = increment->getBounds().getCentre().toFloat();

    for (int click = 0; click < 2; ++click)
    {
        {
            const auto button = buttonDown();
            tempo.mouseDown (mouseEventOn (tempo, at, at));
        }

        increment->onClick();
        tempo.mouseUp (mouseEventOn (tempo, at, at));
    }

    EXPECT_EQ (session.getHistory().getNumSteps(), 3);

    for (int step = 0; step < 3; ++step)
        undoOrRedo (true);

    EXPECT_DOUBLE_EQ (tempo.getValue(), start);
}

TEST_F (EditorUndo, AnUndoBringsThePageAndThePartEditorOfItsStepBack)
{
    auto& pitchBend = *editor.getSystemPage()->receivePitchBendButton;
    const bool pitchBendBefore = pitchBend.getToggleState();
    const auto before = image();

    editor.setCurrentTabIndex (1);
    pitchBend.setToggleState (! pitchBendBefore, juce::sendNotificationSync);
    editor.setCurrentTabIndex (0);
    page().typeCombo->setSelectedItemIndex (PartType::bass, juce::sendNotificationSync);
    dispatchPendingMessages();
    ASSERT_NE (dynamic_cast<VeskBassComponent*> (page().partEditor), nullptr);
    EXPECT_EQ (session.getHistory().getNumSteps(), 2);
    EXPECT_EQ (session.getUndoName(), "Type");

    editor.setCurrentTabIndex (1);
    undoOrRedo (true);
    EXPECT_EQ (editor.getCurrentTabName(), "Patterns");
    EXPECT_NE (dynamic_cast<VeskLeadComponent*> (page().partEditor), nullptr);
    EXPECT_EQ (page().typeCombo->getSelectedItemIndex(), PartType::lead);

    undoOrRedo (true);
    EXPECT_EQ (editor.getCurrentTabName(), "System");
    EXPECT_EQ (pitchBend.getToggleState(), pitchBendBefore);
    EXPECT_EQ (image(), before);

    undoOrRedo (false);
    undoOrRedo (false);
    EXPECT_NE (dynamic_cast<VeskBassComponent*> (page().partEditor), nullptr);
    EXPECT_EQ (session.getHistory().getNumSteps(), 2);
}

TEST_F (EditorUndo, UndoShowsThePatternItChangedOnThePageTheSelectorAndTheGrid)
{
    choosePattern (5);
    page().synthSeqToggle->setToggleState (true, juce::sendNotificationSync);
    auto* lead = dynamic_cast<VeskLeadComponent*> (page().partEditor);
    ASSERT_NE (lead, nullptr);
    auto& grid = *lead->sequencer;
    ASSERT_TRUE (grid.isVisible());

    // Over step 4, some rows above its note.
    const auto press = juce::Point<float> (SequencerComponent::nameWidth + 3 * SequencerComponent::stepWidth + 5,
                                           SequencerComponent::headerHeight + 40 * SequencerComponent::rowHeight + 5);
    grid.mouseMove (mouseEventOn (grid, press, press));
    const auto gridBefore = pngOf (grid);
    const auto before = image();

    grid.mouseDown (mouseEventOn (grid, press, press));
    clock.runFor (2 * VeskSession::mergeMs);
    grid.mouseDrag (mouseEventOn (grid, press + juce::Point<float> (10, -20), press));
    grid.mouseDrag (mouseEventOn (grid, press + juce::Point<float> (-15, -40), press));
    grid.mouseUp (mouseEventOn (grid, press + juce::Point<float> (-15, -40), press));
    ASSERT_NE (pngOf (grid), gridBefore);
    EXPECT_EQ (session.getHistory().getNumSteps(), 1);
    EXPECT_EQ (session.getUndoName(), "Step 4 Note");

    const double cutoffBefore = lead->filterCutoffSlider->getValue();
    lead->filterCutoffSlider->setValue (20.0, juce::sendNotificationSync); // no gesture: a step of its own all the same

    for (int undone = 0; undone < 2; ++undone)
    {
        choosePattern (2);
        ASSERT_EQ (page().patternsCombo->getText(), "User 02");
        undoOrRedo (true);
        EXPECT_EQ (page().patternsCombo->getText(), "User 05");
    }

    EXPECT_DOUBLE_EQ (lead->filterCutoffSlider->getValue(), cutoffBefore);
    EXPECT_EQ (image(), before);
    EXPECT_EQ (pngOf (grid), gridBefore);
}

TEST_F (EditorUndo, ChoosingAnotherPatternScrollsTheGridToItsNotes)
{
    // User 01 plays around B1 only; the row of its notes is far below those of User 05.
    auto* user1 = model.image + VeskBlock::user (1)->imageOffset();
    user1[Pattern::type] = (juce::uint8) PartType::lead;

    for (int s = 0; s < Pattern::numSteps; ++s)
    {
        user1[Pattern::stepType + s] = (juce::uint8) (s % 4 == 0 ? StepType::normal : StepType::rest);
        user1[Pattern::stepNote + s] = (juce::uint8) (s % 8 == 0 ? 35 : 36);
    }

    choosePattern (5);
    page().synthSeqToggle->setToggleState (true, juce::sendNotificationSync);
    auto& grid = *dynamic_cast<VeskLeadComponent&> (*page().partEditor).sequencer;
    auto bRowSeen = [&]
    {
        const auto box = grid.getVisibleBox();
        const int top = SequencerComponent::headerHeight + (127 - 35) * SequencerComponent::rowHeight;
        return box.getY() + SequencerComponent::headerHeight <= top - SequencerComponent::rowHeight
               && top + SequencerComponent::rowHeight <= box.getBottom();
    };
    ASSERT_FALSE (bRowSeen());

    choosePattern (1);
    EXPECT_TRUE (bRowSeen());
}
