#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    A captioned panel (a group box drawn from a picture) of a part editor or
    of the pattern page: paints its pre-rendered picture (title bar and the captions of the controls placed on it) or, with
    no picture, a flat grey. Its children are placed by the owning editor, and
    it deletes them with itself.
*/
class MyGroupComponent : public juce::Component
{
public:
    /** The image is not owned; it normally lives in the ImageCache. */
    MyGroupComponent (const juce::String& name, juce::Image* image);
    ~MyGroupComponent() override;

    void paint (juce::Graphics& g) override;

    /** The owner may swap the picture at any time and then repaint. */
    juce::Image* backgroundImage = nullptr;
    juce::Colour backgroundColour { 0xFF666666 };

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MyGroupComponent)
};
