#pragma once

#include "session/VeskSession.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Tells the session where a slider's gestures begin and end, so a knob
    dragged, double-clicked or stepped with its buttons is one undo step.
    The wheel and typed values start no gesture: the session merges quick
    steps of one field itself.
*/
class SliderGestures : public juce::Slider::Listener
{
public:
    explicit SliderGestures (VeskSession& sessionToUse) : session (sessionToUse) {}

    void sliderValueChanged (juce::Slider*) override {}

    void sliderDragStarted (juce::Slider*) override
    {
        // The slider reports the wheel and a typed value as drags too: only a
        // press is a gesture. A stepper's button press opens the slider's drag
        // before the click steps it, so each click is a step of its own.
        if (juce::ModifierKeys::currentModifiers.isAnyMouseButtonDown())
            session.beginGesture();
    }

    void sliderDragEnded (juce::Slider*) override { session.endGesture(); }

private:
    VeskSession& session;

    JUCE_DECLARE_NON_COPYABLE (SliderGestures)
};
