// Setup > Knob Drag and Setup > Zoom: commands, keys, the settings they keep
// and what they put in force, on the whole window's content.

#include "EditorTestSupport.h"
#include "ScopedWorkingDirectory.h"
#include "app/ContentComp.h"
#include "editors/VeskKnob.h"

#include <algorithm>

namespace
{
    /** The drag mode and the zoom are the whole program's: each test leaves
        the defaults behind it. */
    struct ScopedViewDefaults
    {
        ~ScopedViewDefaults()
        {
            VeskKnob::setDragMode (VeskKnob::DragMode::circular);
            ViewOptions::applyZoom (100);
        }
    };

    struct ViewOptionsTest : ::testing::Test
    {
        ViewOptionsTest()
        {
            commandManager.registerAllCommandsForTarget (&content);
            commandManager.setFirstCommandTarget (&content);
            content.showDialogs = false;
        }

        ~ViewOptionsTest() override { commandManager.setFirstCommandTarget (nullptr); }

        juce::ApplicationCommandInfo info (juce::CommandID id)
        {
            juce::ApplicationCommandInfo result (id);
            content.getCommandInfo (id, result);
            return result;
        }

        bool ticked (juce::CommandID id) { return (info (id).flags & juce::ApplicationCommandInfo::isTicked) != 0; }

        /** Presses the key as the window's key mappings take it: false when no
            command did anything. */
        bool press (juce::juce_wchar key, int modifiers = ctrl)
        {
            const auto id = commandManager.getKeyMappings()->findCommandForKeyPress (juce::KeyPress (key, modifiers, 0));
            return id != 0 && commandManager.invokeDirectly (id, false);
        }

        static constexpr int zoom200 = ViewOptions::firstZoomStep + 3; // the last step

        ScopedViewDefaults viewDefaults;
        ScopedWorkingDirectory workingDirectory;
        juce::ApplicationCommandManager commandManager;
        ContentComp content { commandManager };
    };
}

TEST_F (ViewOptionsTest, KnobDragIsTickedRememberedAndChangesEveryKnobAtOnce)
{
    // The command (0: none), the type shown (a new type builds a new editor), whether knobs drag vertically after.
    const std::tuple<juce::CommandID, int, const char*, bool> steps[] = {
        { 0, VeskImage::PartType::lead, "filterCutoffSlider", false },
        { ViewOptions::knobDragVertical, VeskImage::PartType::lead, "filterCutoffSlider", true },
        { 0, VeskImage::PartType::bass, "tuneSlider", true },
        { ViewOptions::knobDragCircular, VeskImage::PartType::bass, "tuneSlider", false },
    };

    for (auto& [command, type, knobName, vertical] : steps)
    {
        SCOPED_TRACE (juce::String (type) + (vertical ? " vertical" : " circular"));
        EXPECT_TRUE (command == 0 || commandManager.invokeDirectly (command, false));
        auto& page = *content.getEditor().patternsPage;
        page.typeCombo->setSelectedItemIndex (type, juce::sendNotificationSync);
        auto* knob = dynamic_cast<juce::Slider*> (findNamed (*page.partEditor, knobName));
        ASSERT_NE (knob, nullptr);
        EXPECT_EQ (knob->getSliderStyle(), vertical ? juce::Slider::RotaryVerticalDrag : juce::Slider::Rotary);
        EXPECT_EQ (ticked (ViewOptions::knobDragVertical), vertical);
        EXPECT_EQ (ticked (ViewOptions::knobDragCircular), ! vertical);
        EXPECT_EQ (UserSettings().getVerticalKnobDrag(), vertical) << "written at once";
    }
}

TEST_F (ViewOptionsTest, ZoomStepsAndKeysSetTheGlobalScaleAndTheSetting)
{
    auto& desktop = juce::Desktop::getInstance();
    ASSERT_EQ (desktop.getGlobalScaleFactor(), 1.0f);

    // Each key as pressed, whether a command did anything, the zoom after it (0: 200 % from the menu).
    const std::tuple<const char*, juce::juce_wchar, int, bool, int> steps[] = {
        { "Ctrl+=", '=', ctrl, true, 125 },
        { "Ctrl++ (Shift and =)", '+', ctrl | juce::ModifierKeys::shiftModifier, true, 150 },
        { "Ctrl+=", '=', ctrl, true, 200 },
        { "Ctrl+= at the largest", '=', ctrl, false, 200 },
        { "Ctrl+-", '-', ctrl, true, 150 },
        { "Ctrl+0", '0', ctrl, true, 100 },
        { "Ctrl+- at the smallest", '-', ctrl, false, 100 },
        { "200 % from the menu", 0, 0, true, 200 },
    };

    for (auto& [what, key, modifiers, performed, percent] : steps)
    {
        SCOPED_TRACE (what);
        EXPECT_EQ (key != 0 ? press (key, modifiers) : commandManager.invokeDirectly (zoom200, false), performed);
        EXPECT_EQ (desktop.getGlobalScaleFactor(), (float) percent / 100.0f);
        EXPECT_EQ (UserSettings().getZoomPercent(), percent) << "written at once";

        // Exactly the step in force is ticked.
        for (int i = 0; i < (int) UserSettings::zoomSteps.size(); ++i)
            EXPECT_EQ (ticked (ViewOptions::firstZoomStep + i), UserSettings::zoomSteps[(size_t) i] == percent);
    }

    EXPECT_NE (info (ViewOptions::zoomIn).flags & juce::ApplicationCommandInfo::isDisabled, 0) << "greyed at the largest";
}

TEST_F (ViewOptionsTest, TheSetupMenuOffersEveryViewCommandOnce)
{
    juce::Array<juce::CommandID> offered;
    const auto setup = content.getMenuForIndex (content.getMenuBarNames().indexOf ("Setup"), "Setup");

    for (juce::PopupMenu::MenuItemIterator it (setup, true); it.next();)
        if (it.getItem().commandManager != nullptr)
            offered.add (it.getItem().itemID);

    juce::Array<juce::CommandID> viewCommands;
    content.getViewOptions().getAllCommands (viewCommands);

    for (auto id : viewCommands)
        EXPECT_EQ (std::count (offered.begin(), offered.end(), id), 1) << juce::String::toHexString (id);
}

TEST (ViewSettings, ARestartPutsTheSavedChoicesInForceAndDamagedValuesMeanTheDefaults)
{
    ScopedViewDefaults viewDefaults;
    ScopedWorkingDirectory workingDirectory;

    {
        UserSettings settings;
        settings.setVerticalKnobDrag (true);
        settings.setZoomPercent (150);
    }

    {
        juce::ApplicationCommandManager commandManager;
        ContentComp content (commandManager);
        EXPECT_EQ (VeskKnob::getDragMode(), VeskKnob::DragMode::vertical);
        EXPECT_EQ (juce::Desktop::getInstance().getGlobalScaleFactor(), 1.5f);
    }

    const auto file = UserSettings::getFile();
    const char* damaged[][2] = { { "sideways", "175" }, { "Vertical", "150abc" }, { "", "" }, { "1", "-100" }, { "vertical ", "2" } };

    for (auto& [knobDrag, zoom] : damaged)
    {
        SCOPED_TRACE (juce::String (knobDrag) + ", " + zoom);
        ASSERT_TRUE (file.replaceWithText ("<PROPERTIES><VALUE name=\"knobDrag\" val=\"" + juce::String (knobDrag)
                                           + "\"/><VALUE name=\"zoom\" val=\"" + zoom + "\"/></PROPERTIES>"));

        UserSettings settings;
        EXPECT_FALSE (settings.getVerticalKnobDrag());
        EXPECT_EQ (settings.getZoomPercent(), 100);
    }
}
