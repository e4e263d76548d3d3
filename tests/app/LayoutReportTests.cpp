#include "EditorTestSupport.h"
#include "ScopedWorkingDirectory.h"
#include "TestEnvironment.h"
#include "app/LayoutReport.h"
#include "editors/VeskComponent.h"

namespace
{
    /** The report's place of PATH as "X Y W H", or empty when it lists none. */
    juce::String placeOf (juce::Component& window, const juce::String& path)
    {
        for (auto& line : juce::StringArray::fromLines (LayoutReport::describe (window)))
            if (line.upToFirstOccurrenceOf ("\t", false, false) == path)
                return line.fromFirstOccurrenceOf ("\t", false, false);

        return {};
    }

    using LayoutOfTheEditor = ModelFixture;
}

TEST (LayoutReport, NamesPathsThroughNamedComponentsOnly)
{
    juce::Component window, group ("group"), unnamed, knob ("knob"), inner ("inner");
    window.setSize (200, 200);
    group.setBounds (10, 20, 100, 100);
    unnamed.setBounds (5, 5, 80, 80);
    knob.setBounds (1, 2, 30, 40);
    inner.setBounds (3, 4, 5, 6);
    window.addChildComponent (group); // not shown: listed all the same
    group.addAndMakeVisible (unnamed);
    unnamed.addAndMakeVisible (knob);
    knob.addAndMakeVisible (inner);

    const std::pair<const char*, const char*> cases[] = {
        { "group", "10 20 100 100" }, { "group/knob", "16 27 30 40" }, { "group/knob/inner", "19 31 5 6" }, { "knob", "" }, { "group//knob", "" }
    };

    for (auto& [path, place] : cases)
        EXPECT_EQ (placeOf (window, path), place) << path;
}

TEST (LayoutReport, NamesMenusByTheirTitlesSideBySide)
{
    struct Menus : juce::MenuBarModel
    {
        juce::StringArray getMenuBarNames() override { return { "File", "Edit", "Help" }; }
        juce::PopupMenu getMenuForIndex (int, const juce::String&) override { return {}; }
        void menuItemSelected (int, int) override {}
    };

    Menus menus;
    juce::Component window;
    juce::MenuBarComponent bar (&menus);
    window.setSize (300, 100);
    bar.setBounds (4, 30, 292, 24);
    window.addAndMakeVisible (bar);

    int right = 4;

    for (auto* title : { "File", "Edit", "Help" })
    {
        SCOPED_TRACE (title);
        const auto place = juce::StringArray::fromTokens (placeOf (window, title), false);
        ASSERT_EQ (place.size(), 4);
        EXPECT_EQ (place[0].getIntValue(), right) << "each menu begins where the one before ends";
        EXPECT_EQ (place[1] + " " + place[3], "30 24");
        EXPECT_GT (place[2].getIntValue(), 0);
        right += place[2].getIntValue();
    }
}

TEST_F (LayoutOfTheEditor, ListsTheHiddenPageWhereItLiesOnceShown)
{
    // The main window's content as laid out: the tabbed editor below a menu bar's height.
    juce::Component window;
    VeskComponent editor (session);
    window.setSize (446, 492);
    editor.setBounds (0, 54, 446, 438);
    window.addAndMakeVisible (editor);
    editor.getSystemPage(); // built, as after a visit to its tab, and hidden again
    const auto hidden = placeOf (window, "Transpose/+");
    const auto tab = placeOf (window, "System");
    ASSERT_TRUE (hidden.isNotEmpty());

    editor.setCurrentTabIndex (1);
    auto* plus = findNamed (*editor.getSystemPage()->transposeSlider, "+");
    ASSERT_NE (plus, nullptr);
    EXPECT_EQ (hidden, window.getLocalArea (plus, plus->getLocalBounds()).toString());
    EXPECT_EQ (placeOf (window, "Transpose/+"), hidden);
    EXPECT_EQ (placeOf (window, "System"), tab);
    EXPECT_EQ (placeOf (window, "Patterns/viewport"), "");
    EXPECT_NE (placeOf (window, "viewport"), "") << "the page shown before is listed too";
}

TEST (LayoutReport, CountsInThePixelsOfAZoomedWindow)
{
    juce::Component window, knob ("knob");
    window.setSize (100, 100);
    knob.setBounds (4, 8, 12, 6);
    window.addAndMakeVisible (knob);

    auto& desktop = juce::Desktop::getInstance();
    const std::pair<float, const char*> cases[] = { { 1.0f, "4 8 12 6" }, { 2.0f, "8 16 24 12" }, { 1.5f, "6 12 18 9" } };

    for (auto& [scale, place] : cases)
    {
        desktop.setGlobalScaleFactor (scale);
        EXPECT_EQ (placeOf (window, "knob"), place) << scale;
    }

    desktop.setGlobalScaleFactor (1.0f);
}

TEST (LayoutReport, WritesTheFileTheEnvironmentNamesAndAgainOnlyWhenTheLayoutChanged)
{
    ScopedWorkingDirectory cwd;
    juce::Component window, knob ("knob");
    window.setSize (100, 100);
    knob.setBounds (1, 2, 3, 4);
    window.addAndMakeVisible (knob);
    const auto file = cwd.file ("layout.txt");

    TestEnvironment::unset (LayoutReport::environmentVariable);
    EXPECT_EQ (LayoutReport::fromEnvironment (window), nullptr);
    EXPECT_EQ (cwd.directory.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);

    TestEnvironment::set (LayoutReport::environmentVariable, "layout.txt");
    auto report = LayoutReport::fromEnvironment (window);
    TestEnvironment::unset (LayoutReport::environmentVariable);
    ASSERT_NE (report, nullptr);
    EXPECT_EQ (file.loadFileAsString(), "knob\t1 2 3 4\n");

    ASSERT_TRUE (file.deleteFile());
    EXPECT_TRUE (report->refresh().wasOk());
    EXPECT_FALSE (file.exists()) << "written again though nothing moved";

    knob.setTopLeftPosition (10, 20);
    EXPECT_TRUE (report->refresh().wasOk());
    EXPECT_EQ (file.loadFileAsString(), "knob\t10 20 3 4\n");

    LayoutReport unwritable (window, cwd.file ("no/such/folder/layout.txt"));
    EXPECT_TRUE (unwritable.refresh().failed());
}
