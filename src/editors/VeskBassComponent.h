#pragma once

#include "SequencerComponent.h"
#include "VeskTypeComponent.h"

/**
    The part editor of a bass pattern: LFO, oscillator with tune, filter with
    envelope modulation, amplifier with accent, output, and the vintage mode,
    which takes nine envelope and filter controls out of play. In place of the
    parameter panel it can show the pattern's step grid.
*/
class VeskBassComponent : public VeskTypeComponent,
                          public juce::ComboBox::Listener,
                          public juce::Slider::Listener,
                          public juce::Button::Listener
{
public:
    explicit VeskBassComponent (VeskSession& sessionToUse);
    ~VeskBassComponent() override;

    void updateFromPattern (int controllerNumber) override;
    void showSequencer (bool shouldShowSequencer) override;

    void resized() override;
    void comboBoxChanged (juce::ComboBox* combo) override;
    void sliderValueChanged (juce::Slider* slider) override;
    void buttonClicked (juce::Button* button) override;

    /** Disables the nine controls the unit ignores in vintage mode, or enables them. */
    void applyVintageMode (bool isOn);

    MyGroupComponent* paramsGroup = nullptr;
    MyGroupComponent* lfoGroup = nullptr;
    MyGroupComponent* oscGroup = nullptr;
    MyGroupComponent* filterGroup = nullptr;
    MyGroupComponent* amplifierGroup = nullptr;
    MyGroupComponent* outputGroup = nullptr;
    MyGroupComponent* vintageGroup = nullptr;

    juce::Slider* lfoRateSlider = nullptr;
    juce::ComboBox* lfoWaveCombo = nullptr;
    juce::Slider* vibratoDepthSlider = nullptr;
    juce::Slider* filterLfoDepthSlider = nullptr;
    juce::Slider* amplifierLfoDepthSlider = nullptr;
    juce::ComboBox* waveCombo = nullptr;
    juce::ComboBox* toneCombo = nullptr;
    juce::Slider* tuneSlider = nullptr;
    juce::Slider* filterAttackSlider = nullptr;
    juce::Slider* filterDecaySlider = nullptr;
    juce::Slider* filterSustainSlider = nullptr;
    juce::Slider* filterReleaseSlider = nullptr;
    juce::ComboBox* filterTypeCombo = nullptr;
    juce::Slider* filterCutoffSlider = nullptr;
    juce::Slider* filterResonanceSlider = nullptr;
    juce::Slider* envModSlider = nullptr;
    juce::Slider* amplifierAttackSlider = nullptr;
    juce::Slider* amplifierDecaySlider = nullptr;
    juce::Slider* amplifierSustainSlider = nullptr;
    juce::Slider* amplifierReleaseSlider = nullptr;
    juce::Slider* amplifierEnvDepthSlider = nullptr;
    juce::Slider* accentSlider = nullptr;
    juce::Slider* levelSlider = nullptr;
    juce::Slider* panSlider = nullptr;
    juce::ToggleButton* vintageButton = nullptr;

    SequencerComponent* sequencer = nullptr;

    static constexpr int panelWidth = 434, panelHeight = 311;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskBassComponent)
};
