#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/**
    Tells when a person does something with the program: the mouse moves,
    presses or turns its wheel in the window (or anything in it), or the
    keyboard focus moves anywhere (a dialog opening or closing). Nothing here
    polls, so what would otherwise look all the time can rest in between.
*/
class ActivityWatch : private juce::MouseListener,
                      private juce::FocusChangeListener
{
public:
    ActivityWatch (juce::Component& window, std::function<void()> onActivity);
    ~ActivityWatch() override;

    /** True while another of the program's windows is on the desktop beside
        the window (a dialog, a menu, a list), leaving out ignored. */
    bool othersOpen (const juce::Component* ignored = nullptr) const;

private:
    void mouseEnter (const juce::MouseEvent&) override { onActivity(); }
    void mouseMove (const juce::MouseEvent&) override { onActivity(); }
    void mouseDown (const juce::MouseEvent&) override { onActivity(); }
    void mouseDrag (const juce::MouseEvent&) override { onActivity(); }
    void mouseUp (const juce::MouseEvent&) override { onActivity(); }
    void mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) override { onActivity(); }
    void globalFocusChanged (juce::Component*) override { onActivity(); }

    juce::Component::SafePointer<juce::Component> window;
    std::function<void()> onActivity;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ActivityWatch)
};
