#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    A knob of the part editors: a rotary slider that is dragged the way the user
    chose for every knob, round its centre or up and down, and moves finely
    while Shift is held.

    The drag mode is one for the whole program: changing it changes every knob
    alive and every knob made later. Message thread only.
*/
class VeskKnob : public juce::Slider
{
public:
    explicit VeskKnob (const juce::String& id);
    ~VeskKnob() override;

    enum class DragMode
    {
        circular, // the pointer follows the mouse round the centre
        vertical // up turns right, down turns left
    };

    static void setDragMode (DragMode newMode);
    static DragMode getDragMode() noexcept;

    /** The share of a mouse movement that a Shift-drag turns the knob by. */
    static constexpr float fineDragFactor = 0.1f;

    /** Pixels of vertical drag that turn a knob from one end to the other. */
    static constexpr int verticalDragPixels = 250;

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;

private:
    void applyDragMode (DragMode mode);

    // The slider sees a pointer that moves only a fraction of the mouse's
    // movement while Shift is down; these follow both.
    juce::Point<float> lastMousePosition, slowedPosition;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskKnob)
};
