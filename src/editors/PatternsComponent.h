#pragma once

#include "MyGroupComponent.h"
#include "PatternDragOut.h"
#include "PatternsLookAndFeel.h"
#include "VeskTypeComponent.h"

/**
    The "Patterns" page: the band of settings every pattern has, and below it
    the part editor of the current pattern's type (none for Filter, Isolator,
    Phaser and Slicer). It is where the pattern in edit changes and where
    refreshes from the model enter pattern editing.
*/
class PatternsComponent : public juce::Component,
                          public juce::ComboBox::Listener,
                          public juce::Slider::Listener,
                          public juce::Button::Listener
{
public:
    explicit PatternsComponent (VeskSession& sessionToUse);
    ~PatternsComponent() override;

    /** Brings the page in line with currentPattern: everything for 0; any other
        value (a controller number) concerns only the part editor. */
    void updateFromPattern (int controllerNumber);

    /** Replaces the part editor by the one for currentPattern's type. */
    void rebuildPartEditor();

    void resized() override;
    void comboBoxChanged (juce::ComboBox* combo) override;
    void sliderValueChanged (juce::Slider* slider) override;
    void buttonClicked (juce::Button* button) override;

    PatternsLookAndFeel pageLookAndFeel;

    MyGroupComponent* commonGroup = nullptr;
    juce::ComboBox* patternsCombo = nullptr;
    juce::TextButton* sendButton = nullptr;
    juce::TextButton* storeButton = nullptr;
    juce::ComboBox* typeCombo = nullptr;
    juce::Slider* tempoSlider = nullptr;
    juce::ComboBox* loopCtrlCombo = nullptr;
    juce::ToggleButton* oneBarToggle = nullptr;
    juce::ToggleButton* twoBarsToggle = nullptr;
    juce::ToggleButton* twelveStepsToggle = nullptr;
    juce::ToggleButton* sixteenStepsToggle = nullptr;
    juce::ToggleButton* synthSeqToggle = nullptr;

    VeskTypeComponent* partEditor = nullptr;

    /** Send or Store refused (a job runs): the title and why, for the app to say. */
    std::function<void (const juce::String& title, const SessionResult& result)> onMessage;

    VeskSession& session;
    VeskModel* model;

    static constexpr int groupWidth = 342, groupHeight = 89;

private:
    juce::Image commonPicture;
    SliderGestures tempoGestures { session };
    std::unique_ptr<PatternDragOut> dragOut;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PatternsComponent)
};
