#pragma once

#include "SliderGestures.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** The "System" page: the unit-wide settings of the system block. */
class SystemComponent : public juce::Component,
                        public juce::Button::Listener,
                        public juce::Slider::Listener
{
public:
    explicit SystemComponent (VeskSession& sessionToUse);
    ~SystemComponent() override;

    /** Shows the system block again; sends nothing and calls no listener. */
    void updateFromSystemBlock();

    void resized() override;
    void sliderValueChanged (juce::Slider* slider) override;
    void buttonClicked (juce::Button* button) override;

    juce::Slider* masterTuneSlider = nullptr;
    juce::Label* masterTuneLabel = nullptr;
    juce::ToggleButton* receiveProgramChangeButton = nullptr;
    juce::ToggleButton* receiveControlChangeButton = nullptr;
    juce::ToggleButton* receivePitchBendButton = nullptr;
    juce::Slider* midiChannelSlider = nullptr;
    juce::Label* midiChannelLabel = nullptr;
    juce::ToggleButton* transmitProgramChangeButton = nullptr;
    juce::Slider* transposeSlider = nullptr;
    juce::Label* transposeLabel = nullptr;
    juce::TextButton* sendButton = nullptr;
    juce::TextButton* storeButton = nullptr;

    /** Send or Store refused (a job runs): the title and why, for the app to say. */
    std::function<void (const juce::String& title, const SessionResult& result)> onMessage;

    VeskSession& session;
    VeskModel* model;

    /** Dark text for the page's light tab colour: the window's default scheme
        draws white text, which would vanish on it. */
    juce::LookAndFeel_V4 pageLookAndFeel { juce::LookAndFeel_V4::getLightColourScheme() };

private:
    /** A +/- stepper over the range of the system field at offset. */
    juce::Slider* createStepper (const juce::String& name, int offset);
    juce::Label* attachLabel (const juce::String& name, const juce::String& text, juce::Slider* slider);
    juce::ToggleButton* createSwitch (const juce::String& text);
    /** Edits the system field at offset with a control's value. */
    void store (int offset, double controlValue);
    void storeSwitch (juce::Button* button, int offset);

    SliderGestures gestures { session };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SystemComponent)
};
