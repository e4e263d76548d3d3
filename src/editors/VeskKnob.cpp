#include "VeskKnob.h"

namespace
{
    VeskKnob::DragMode currentDragMode = VeskKnob::DragMode::circular;

    juce::Array<VeskKnob*>& liveKnobs()
    {
        static juce::Array<VeskKnob*> knobs;
        return knobs;
    }
}

VeskKnob::VeskKnob (const juce::String& id)
    : juce::Slider (id)
{
    JUCE_ASSERT_MESSAGE_THREAD
    setMouseDragSensitivity (verticalDragPixels);
    applyDragMode (currentDragMode);
    liveKnobs().add (this);
}

VeskKnob::~VeskKnob()
{
    liveKnobs().removeFirstMatchingValue (this);
}

void VeskKnob::setDragMode (DragMode newMode)
{
    JUCE_ASSERT_MESSAGE_THREAD
    currentDragMode = newMode;

    for (auto* knob : liveKnobs())
        knob->applyDragMode (newMode);
}

VeskKnob::DragMode VeskKnob::getDragMode() noexcept
{
    return currentDragMode;
}

void VeskKnob::applyDragMode (DragMode mode)
{
    setSliderStyle (mode == DragMode::vertical ? SliderStyle::RotaryVerticalDrag : SliderStyle::Rotary);
}

void VeskKnob::mouseDown (const juce::MouseEvent& e)
{
    lastMousePosition = slowedPosition = e.position;
    juce::Slider::mouseDown (e);
}

void VeskKnob::mouseDrag (const juce::MouseEvent& e)
{
    // Shift may come and go during one drag: only the movement made while it
    // is held is slowed, so the knob never jumps when it is pressed or let go.
    const auto moved = e.position - lastMousePosition;
    lastMousePosition = e.position;
    slowedPosition += e.mods.isShiftDown() ? moved * fineDragFactor : moved;

    juce::Slider::mouseDrag (e.withNewPosition (slowedPosition));
}
