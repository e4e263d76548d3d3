#include "app/AboutComponent.h"
#include "app/HelpComponent.h"

#include <gtest/gtest.h>

namespace
{
    juce::TextEditor& textOf (juce::Component& c)
    {
        auto* editor = dynamic_cast<juce::TextEditor*> (c.getChildComponent (0));
        EXPECT_NE (editor, nullptr);
        return *editor;
    }
}

TEST (AboutComponent, ShowsVersionWebSiteAndCreditsReadOnly)
{
    AboutComponent about;
    about.setSize (320, 200);
    auto& text = textOf (about);

    EXPECT_EQ (text.getComponentID(), "textEditor");
    EXPECT_EQ (text.getBounds(), juce::Rectangle<int> (2, 2, 316, 196));
    EXPECT_TRUE (text.isMultiLine());
    EXPECT_TRUE (text.isReadOnly());
    EXPECT_FALSE (text.isPopupMenuEnabled());

    const auto lines = juce::StringArray::fromLines (text.getText());
    EXPECT_EQ (lines[0], "Version\t1.0");
    EXPECT_TRUE (lines[2].startsWith ("Web site\thttps://"));
    EXPECT_TRUE (lines[4].startsWith ("Staff\t"));
    EXPECT_TRUE (text.getText().endsWith ("\n\n"));
}

TEST (AboutComponent, LeavesEscapeToTheDialog)
{
    AboutComponent about;
    HelpComponent help;

    for (auto* c : { static_cast<juce::Component*> (&about), static_cast<juce::Component*> (&help) })
        EXPECT_FALSE (textOf (*c).keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
}
