#include "EditorTestSupport.h"
#include "editors/VeskComponent.h"
#include "editors/VeskLineinComponent.h"

using namespace VeskImage;

namespace
{
    struct TabbedEditor : ModelFixture
    {
        TabbedEditor()
        {
            editor.setSize (446, 470);
            dispatchPendingMessages();
            out.clear();
        }

        VeskComponent editor { session };
    };

    /** A part editor as large as its grid, which grows and shrinks while shown. */
    struct GridSizedEditor : VeskTypeComponent
    {
        using VeskTypeComponent::VeskTypeComponent;

        void updateFromPattern (int) override {}
        void showSequencer (bool) override {}

        void resized() override
        {
            setBounds (editorX, editorY, gridSize.x, gridSize.y);
            getParentComponent()->resized();
        }

        juce::Point<int> gridSize;
    };
}

TEST_F (TabbedEditor, HasItsFourTabsWithPatternsCurrent)
{
    ASSERT_EQ (editor.getNumTabs(), 4);
    EXPECT_EQ (editor.getTabNames(), juce::StringArray ("Patterns", "System", "Library", "Collection"));
    EXPECT_EQ (editor.getCurrentTabName(), "Patterns");
    EXPECT_EQ (editor.getTabBackgroundColour (0), juce::Colour (0xFF666666));
    EXPECT_EQ (editor.getTabBackgroundColour (1), juce::Colour (0xFFF0FFFF));
    EXPECT_EQ (editor.patternsViewport->getName(), "viewport");
    EXPECT_EQ (editor.patternsViewport->getViewedComponent(), editor.patternsPage);
}

TEST_F (TabbedEditor, EachTabIsShownAndKnownByItsOwnName)
{
    using Tab = VeskComponent::Tab;

    for (auto tab : { Tab::system, Tab::library, Tab::collection, Tab::patterns })
    {
        editor.showTab (tab);
        SCOPED_TRACE (editor.getCurrentTabName());
        EXPECT_EQ (editor.getCurrentTabName(), VeskComponent::nameOf (tab));

        for (auto other : { Tab::patterns, Tab::system, Tab::library, Tab::collection })
            EXPECT_EQ (editor.isCurrent (other), other == tab);
    }
}

TEST_F (TabbedEditor, RefreshesReachOnlyTheCurrentPage)
{
    editor.getSystemPage(); // built while hidden, as after a visit to its tab
    model.systemBlock[System::transpose] = 14;
    model.currentPattern[Pattern::tempoHigh] = 11;
    model.currentPattern[Pattern::tempoLow] = 2;

    editor.refreshSystemPage(); // "Patterns" is current
    EXPECT_DOUBLE_EQ (editor.getSystemPage()->transposeSlider->getValue(), 0.0);

    editor.refreshPatternsPage (0);
    EXPECT_DOUBLE_EQ (editor.patternsPage->tempoSlider->getValue(), 141.0);

    model.currentPattern[Pattern::tempoLow] = 12;
    editor.setCurrentTabIndex (1);
    editor.refreshPatternsPage (0);
    EXPECT_DOUBLE_EQ (editor.patternsPage->tempoSlider->getValue(), 141.0);

    model.systemBlock[System::transpose] = 10;
    editor.refreshSystemPage();
    EXPECT_DOUBLE_EQ (editor.getSystemPage()->transposeSlider->getValue(), -2.0);

    dispatchPendingMessages();
    EXPECT_TRUE (out.messages.empty());
}

TEST_F (TabbedEditor, APageHiddenDuringAChangeIsReadAgainWhenItsTabIsChosen)
{
    editor.setCurrentTabIndex (1);
    model.currentPattern[Pattern::tempoHigh] = 11;
    model.currentPattern[Pattern::tempoLow] = 2;
    model.currentPattern[Pattern::type] = PartType::lineIn;

    editor.setCurrentTabIndex (0);
    EXPECT_DOUBLE_EQ (editor.patternsPage->tempoSlider->getValue(), 141.0);
    EXPECT_NE (dynamic_cast<VeskLineinComponent*> (editor.patternsPage->partEditor), nullptr);

    model.systemBlock[System::masterTune] = 0;
    editor.setCurrentTabIndex (1);
    EXPECT_DOUBLE_EQ (editor.getSystemPage()->masterTuneSlider->getValue(), 427.4);

    dispatchPendingMessages();
    EXPECT_TRUE (out.messages.empty());
}

TEST_F (TabbedEditor, PatternsPageShowsThePanelPictureInsideTheTab)
{
    auto shot = editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);
    const auto origin = editor.getLocalPoint (editor.patternsPage->commonGroup, juce::Point<int>());

    // Title bar rows, away from the title text.
    EXPECT_EQ (shot.getPixelAt (origin.x + 340, origin.y + 2).getARGB(), 0xFF990000u);
    EXPECT_EQ (shot.getPixelAt (origin.x + 340, origin.y + 3).getARGB(), 0xFFCC0000u);
    EXPECT_EQ (shot.getPixelAt (origin.x + 340, origin.y + 40).getARGB(), 0xFF262626u);
}

namespace
{
    int distance (juce::Colour a, juce::Colour b)
    {
        return std::abs (a.getRed() - b.getRed()) + std::abs (a.getGreen() - b.getGreen()) + std::abs (a.getBlue() - b.getBlue());
    }

    /** What marks a tab as current beyond its colour, read from its drawing. */
    struct TabMarks
    {
        bool bar = false; // a bar of the name's colour along the flat top
        int ink = 0; // pixels of the name drawn at least half as strong as they can be
    };

    TabMarks marksOf (juce::TabBarButton& button)
    {
        const auto image = button.createComponentSnapshot (button.getLocalBounds(), true, 1.0f);
        const auto tab = button.getTabBackgroundColour();
        const auto full = distance (tab, tab.contrasting());
        const auto area = button.getActiveArea();
        const auto text = button.getTextArea();
        TabMarks marks;
        marks.bar = distance (image.getPixelAt (area.getCentreX(), area.getY() + 2), tab) > full * 3 / 4;

        for (int y = text.getY() + 6; y < text.getBottom(); ++y)
            for (int x = text.getX(); x < text.getRight(); ++x)
                if (distance (image.getPixelAt (x, y), tab) > full / 2)
                    ++marks.ink;

        return marks;
    }
}

TEST_F (TabbedEditor, TheCurrentTabAloneIsMarkedBeyondItsColour)
{
    auto& bar = editor.getTabbedButtonBar();

    // "Patterns" and "Library" share a colour, and the light "System" stands
    // out by its own; each in turn is current, with the same two tabs compared.
    for (int current : { 0, 1, 2, 3 })
    {
        editor.setCurrentTabIndex (current);

        for (int i = 0; i < bar.getNumTabs(); ++i)
            EXPECT_EQ (marksOf (*bar.getTabButton (i)).bar, i == current) << "tab " << i << " with tab " << current << " current";
    }

    // The same name in the same colour stands out more when current: bolder and undimmed.
    for (int i : { 0, 1, 2 })
    {
        editor.setCurrentTabIndex (i);
        const auto front = marksOf (*bar.getTabButton (i));
        editor.setCurrentTabIndex (3);
        const auto behind = marksOf (*bar.getTabButton (i));
        EXPECT_GT (front.ink, 2 * behind.ink + 20) << "tab " << i;
    }
}

TEST_F (TabbedEditor, AGridThatGrowsOrShrinksKeepsTheScrollPositionWhereItStillFits)
{
    auto& page = *editor.patternsPage;
    auto& viewport = *editor.patternsViewport;
    model.currentPattern[Pattern::type] = PartType::filter;
    editor.refreshPatternsPage (0);

    auto* grid = new GridSizedEditor (session, VeskImage::PartType::lead);
    page.partEditor = grid;
    page.addAndMakeVisible (grid);

    auto resizeGrid = [&] (int w, int h)
    {
        grid->gridSize = { w, h };
        grid->resized();
    };

    resizeGrid (900, 1569);
    viewport.setViewPosition (300, 800);
    ASSERT_EQ (viewport.getViewPosition(), juce::Point<int> (300, 800));

    resizeGrid (800, 1200);
    EXPECT_EQ (viewport.getViewPosition(), juce::Point<int> (300, 800));

    // Shrunk below the place shown: as close to it as the page allows.
    resizeGrid (600, 600);
    const juce::Point<int> farthest (page.getWidth() - viewport.getViewWidth(), page.getHeight() - viewport.getViewHeight());
    ASSERT_GT (farthest.y, 0);
    EXPECT_EQ (viewport.getViewPosition(), farthest);

    resizeGrid (900, 1569);
    EXPECT_EQ (viewport.getViewPosition(), farthest);
}
