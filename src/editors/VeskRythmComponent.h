#pragma once

#include "SequencerComponent.h"
#include "VeskTypeComponent.h"

/**
    The part editor of a rhythm pattern: the drum kit, the levels of bass drum,
    snare drum and hi-hat, and the output. In place of the parameter panel it
    can show the pattern's step grid.
*/
class VeskRythmComponent : public VeskTypeComponent,
                           public juce::ComboBox::Listener,
                           public juce::Slider::Listener
{
public:
    explicit VeskRythmComponent (VeskSession& sessionToUse);
    ~VeskRythmComponent() override;

    void updateFromPattern (int controllerNumber) override;
    void showSequencer (bool shouldShowSequencer) override;

    void resized() override;
    void comboBoxChanged (juce::ComboBox* combo) override;
    void sliderValueChanged (juce::Slider* slider) override;

    MyGroupComponent* paramsGroup = nullptr;
    MyGroupComponent* kitGroup = nullptr;
    juce::ComboBox* kitCombo = nullptr;
    MyGroupComponent* levelsGroup = nullptr;
    juce::Slider* BDLevelSlider = nullptr;
    juce::Slider* SDLevelSlider = nullptr;
    juce::Slider* HHLevelSlider = nullptr;
    MyGroupComponent* outputGroup = nullptr;
    juce::Slider* levelSlider = nullptr;
    juce::Slider* panSlider = nullptr;

    SequencerComponent* sequencer = nullptr;

    static constexpr int panelWidth = 135, panelHeight = 217;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskRythmComponent)
};
