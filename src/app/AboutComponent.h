#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The About box's content: version, web site and credits as read-only text. */
class AboutComponent : public juce::Component
{
public:
    AboutComponent();
    ~AboutComponent() override;

    void resized() override;

    static constexpr const char* webSite = "https://veskedit.example.org";
    static constexpr const char* credits = "The VeskEdit contributors, https://veskedit.example.org/people";

private:
    juce::TextEditor textEditor { "textEditor" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutComponent)
};
