// The tool windows of the Steps menu as a person types in them, on a screen:
// the keys go to the window's peer, to whatever has the focus, as typed keys
// do. The first field has the caret as the window opens, Tab reaches every
// field and button, Return runs the tool, Escape closes the window; Blend's
// window names the two patterns it blends.

#include "StepsTestSupport.h"
#include "UnsavedChangesTest.h"
#include "model/VeskSoundTools.h"
#include "model/VeskStepTools.h"

#include <set>

namespace
{
    using Record = std::vector<juce::uint8>;
    using Key = juce::KeyPress;

    struct ToolKeysTest : ::testing::Test,
                          StepsRig
    {
        ToolKeysTest() : StepsRig (true) {}

        ~ToolKeysTest() override
        {
            for (auto* window : modalWindows())
                window->exitModalState (0);

            dispatchPendingMessages();
        }

        /** The tool's window, on screen. */
        StepToolDialog* open (juce::CommandID id)
        {
            EXPECT_TRUE (content.perform (juce::ApplicationCommandTarget::InvocationInfo (id)));
            dispatchPendingMessages();

            for (auto* window : modalWindows())
                if (auto* dialog = dynamic_cast<juce::DialogWindow*> (window))
                    if (auto* tool = dynamic_cast<StepToolDialog*> (dialog->getContentComponent()))
                        return tool;

            ADD_FAILURE() << "no window";
            return nullptr;
        }

        bool isOpen() const
        {
            dispatchPendingMessages();

            for (auto* window : modalWindows())
                if (dynamic_cast<juce::DialogWindow*> (window) != nullptr)
                    return true;

            return false;
        }

        /** Keys as the window's peer hands them on from the keyboard. */
        void press (const Key& key, int times = 1)
        {
            // The focused one is asked again for each key: a Tab out of a
            // value being typed deletes the editor that had the focus.
            for (int i = 0; i < times; ++i)
            {
                auto* focused = juce::Component::getCurrentlyFocusedComponent();
                ASSERT_NE (focused, nullptr);
                ASSERT_NE (focused->getPeer(), nullptr);
                focused->getPeer()->handleKeyPress (key);
                dispatchPendingMessages();
            }
        }

        void type (const juce::String& text)
        {
            for (auto c : text)
                press (Key ((int) c, {}, c));
        }

        /** The window's own child the focus is in: a field, a button or a box. */
        static juce::Component* focusedChild (StepToolDialog& dialog)
        {
            for (auto* c = juce::Component::getCurrentlyFocusedComponent(); c != nullptr; c = c->getParentComponent())
                if (c->getParentComponent() == &dialog)
                    return c;

            return nullptr;
        }
    };
}

TEST_F (ToolKeysTest, TypedValuesAreTakenAndReturnRunsTheToolFromAnyField)
{
    const auto before = shown();

    // Euclid: the caret in Hits, its value selected to type over; Tab keeps it and opens Steps.
    {
        auto* dialog = open (StepsCommands::euclid);
        ASSERT_NE (dialog, nullptr);
        EXPECT_EQ (focusedChild (*dialog), &dialog->hitsSlider);
        type ("3");
        press (Key (Key::tabKey));
        EXPECT_EQ (focusedChild (*dialog), &dialog->stepsSlider);
        EXPECT_EQ (dialog->hitsSlider.getValue(), 3.0);
        type ("8");
        press (Key (Key::returnKey)); // the 8 still being typed counts

        EXPECT_FALSE (isOpen());
        const auto made = VeskStepTools::euclid (before.data(), 3, 8, 0, std::nullopt);
        EXPECT_EQ (shown(), Record (made.record.begin(), made.record.end()));
        EXPECT_EQ (session.getUndoName(), "Euclid");
        ASSERT_TRUE (session.undo().wasOk());
    }

    // Humanize: a typed seed, past New Seed to the amount, a lane kept with
    // Space, and Return on that box runs the tool rather than ticking it again.
    {
        auto* dialog = open (StepsCommands::humanize);
        ASSERT_NE (dialog, nullptr);
        EXPECT_EQ (focusedChild (*dialog), &dialog->seedEditor);
        type ("12345");
        press (Key (Key::tabKey), 2);
        EXPECT_EQ (focusedChild (*dialog), &dialog->amountSlider);
        type ("20");
        press (Key (Key::tabKey));
        ASSERT_EQ (focusedChild (*dialog), dialog->locks[0]);
        press (Key (Key::spaceKey));
        press (Key (Key::returnKey));

        EXPECT_FALSE (isOpen());
        const auto made = VeskStepTools::humanize (before.data(), 20, 12345, VeskStepTools::noteLane);
        EXPECT_EQ (shown(), Record (made.record.begin(), made.record.end()));
        ASSERT_TRUE (session.undo().wasOk());
    }

    // Randomize: the arrow keys choose a scale, and Return in the list runs the tool, opening no menu.
    {
        auto* dialog = open (StepsCommands::randomize);
        ASSERT_NE (dialog, nullptr);
        type ("777");
        press (Key (Key::tabKey), 2);
        ASSERT_EQ (focusedChild (*dialog), &dialog->scaleCombo);
        press (Key (Key::downKey));
        press (Key (Key::returnKey));

        EXPECT_FALSE (isOpen());
        VeskStepTools::RandomizeOptions options;
        options.scale = VeskStepTools::Scale::major;
        const auto made = VeskStepTools::randomize (before.data(), options, 777, 0);
        EXPECT_EQ (shown(), Record (made.record.begin(), made.record.end()));
    }
}

TEST_F (ToolKeysTest, TabReachesEveryFieldAndButtonOnceAndEscapeOrCancelRunsNothing)
{
    const auto before = shown();

    for (auto id : { StepsCommands::humanize, StepsCommands::randomize, StepsCommands::mutate, StepsCommands::euclid,
                     StepsCommands::randomizeSound, StepsCommands::mutateSound })
    {
        SCOPED_TRACE (StepsCommands::nameOf (id).toStdString());
        auto* dialog = open (id);
        ASSERT_NE (dialog, nullptr);
        auto* first = focusedChild (*dialog);

        std::vector<juce::Component*> reached { first };

        for (;;)
        {
            press (Key (Key::tabKey));
            auto* now = focusedChild (*dialog);
            ASSERT_NE (now, nullptr) << "Tab left the window after " << reached.size() << " stops";

            if (now == first)
                break;

            ASSERT_EQ (std::count (reached.begin(), reached.end(), now), 0) << "reached twice: " << now->getName();
            reached.push_back (now);
        }

        // Everything that can be typed in or pressed, the window's buttons last.
        std::vector<juce::Component*> controls;

        for (auto* child : dialog->getChildren())
            if (child->isVisible() && dynamic_cast<juce::Label*> (child) == nullptr)
                controls.push_back (child);

        EXPECT_EQ (reached.size(), controls.size());
        EXPECT_EQ (reached.end()[-2], &dialog->applyButton);
        EXPECT_EQ (reached.back(), &dialog->cancelButton);

        // The box Tab is on is marked, as a focused button marks itself.
        const auto box = std::find_if (reached.begin(), reached.end(), [] (auto* c)
                                       { return dynamic_cast<juce::ToggleButton*> (c) != nullptr; });
        ASSERT_NE (box, reached.end());
        press (Key (Key::tabKey), (int) (box - reached.begin()));
        const auto area = (*box)->getBounds().expanded (3);
        const auto marked = dialog->createComponentSnapshot (area);
        press (Key (Key::tabKey));
        EXPECT_FALSE (sameImage (dialog->createComponentSnapshot (area), marked));
        press (Key (Key::tabKey), (int) (reached.end() - box) - 1);
        ASSERT_EQ (focusedChild (*dialog), first);

        // Shift+Tab goes back the same way.
        press (Key (Key::tabKey, juce::ModifierKeys::shiftModifier, 0));
        EXPECT_EQ (focusedChild (*dialog), reached.back());

        // Return on a focused Cancel presses it; Escape from a value being typed closes too.
        if (id == StepsCommands::euclid)
        {
            press (Key (Key::tabKey));
            type ("5");
            press (Key (Key::escapeKey));
        }
        else
        {
            press (Key (Key::returnKey));
        }

        EXPECT_FALSE (isOpen());
        EXPECT_EQ (shown(), before);
        EXPECT_FALSE (session.canUndo());
    }
}

TEST_F (ToolKeysTest, BlendNamesBothPatternsAndRunsOnReturn)
{
    auto& model = content.getModel();
    auto& editor = content.getEditor();
    auto* a = model.bytesOf (slotBlock (3));
    auto* b = model.bytesOf (slotBlock (4));
    writeTestSteps (b);
    b[VeskImage::Pattern::filterCutoffOrBdLevel] = 120;
    editor.setCurrentTabIndex (editor.getTabNames().indexOf ("Library"));
    editor.libraryPage->ourList.selectSlots (slotBlocks ({ 3, 4 }));

    auto* dialog = open (StepsCommands::blend);
    ASSERT_NE (dialog, nullptr);
    EXPECT_TRUE (dialog->blendedA.getText().startsWith (slotBlock (3).name() + ":")) << dialog->blendedA.getText();
    EXPECT_TRUE (dialog->blendedB.getText().startsWith (slotBlock (4).name() + ":")) << dialog->blendedB.getText();
    EXPECT_EQ (focusedChild (*dialog), &dialog->amountSlider);

    const auto mixed = VeskSoundTools::blend (a, b, 30);
    type ("30");
    press (Key (Key::returnKey));
    EXPECT_FALSE (isOpen());
    EXPECT_EQ (Record (a, a + VeskImage::patternSize), Record (mixed.record.begin(), mixed.record.end()));
}

TEST_F (ToolKeysTest, ASeedThatDoesNotFitIsRefusedInTheWindowAndNewSeedOffersOneThatDoes)
{
    const auto before = shown();
    auto* dialog = open (StepsCommands::mutate);
    ASSERT_NE (dialog, nullptr);
    ASSERT_EQ (focusedChild (*dialog), &dialog->seedEditor);

    // New Seed, pressed from the keyboard: each seed it offers lies in the one range.
    press (Key (Key::tabKey));
    ASSERT_EQ (focusedChild (*dialog), &dialog->newSeedButton);

    std::set<juce::String> offered { dialog->seedEditor.getText() };

    for (int i = 0; i < 20; ++i)
    {
        press (Key (Key::spaceKey));
        const auto seed = VeskSeed::parse (dialog->seedEditor.getText());
        ASSERT_TRUE (seed.has_value()) << dialog->seedEditor.getText();
        EXPECT_GE (*seed, 1u);
        EXPECT_LE (*seed, VeskSeed::highestMade);
        offered.insert (dialog->seedEditor.getText());
    }

    EXPECT_GT (offered.size(), 1u) << "New Seed offered no new seed";

    // Twenty digits: refused in the window, which stays open with the pattern as it was.
    const juce::String tooLong ("99999999999999999999");
    press (Key (Key::tabKey, juce::ModifierKeys::shiftModifier, 0));
    type (tooLong);
    press (Key (Key::returnKey));
    EXPECT_TRUE (isOpen());
    EXPECT_EQ (dialog->refusalLabel.getText(), VeskSeed::whyNot (tooLong) + ".");
    EXPECT_EQ (shown(), before);
    EXPECT_FALSE (session.canUndo());

    // The largest seed that fits runs, as the runner runs it.
    press (Key (Key::tabKey));
    press (Key (Key::tabKey, juce::ModifierKeys::shiftModifier, 0));
    type ("4294967295");
    press (Key (Key::returnKey));
    EXPECT_FALSE (isOpen());
    VeskToolSettings settings;
    settings.seed = 4294967295u;
    const auto made = VeskToolRunner::run (VeskToolRunner::Tool::mutate, before.data(), settings);
    EXPECT_EQ (shown(), Record (made.record.begin(), made.record.end()));
}
