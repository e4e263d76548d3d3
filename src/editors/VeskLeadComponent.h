#pragma once

#include "SequencerComponent.h"
#include "VeskTypeComponent.h"

/**
    The part editor of a lead pattern: LFO, oscillator, filter, amplifier, output
    and an effect whose type decides what its three knobs mean. In place of the
    parameter panel it can show the pattern's step grid.
*/
class VeskLeadComponent : public VeskTypeComponent,
                          public juce::ComboBox::Listener,
                          public juce::Slider::Listener
{
public:
    explicit VeskLeadComponent (VeskSession& sessionToUse);
    ~VeskLeadComponent() override;

    void updateFromPattern (int controllerNumber) override;
    void showSequencer (bool shouldShowSequencer) override;

    void resized() override;
    void comboBoxChanged (juce::ComboBox* combo) override;
    void sliderValueChanged (juce::Slider* slider) override;

    /** Shows the effect picture of the stored effect type and enables its knobs;
        "OFF" keeps the picture last shown and disables them. */
    void applyEffectType();

    MyGroupComponent* paramsGroup = nullptr;
    MyGroupComponent* lfoGroup = nullptr;
    MyGroupComponent* oscGroup = nullptr;
    MyGroupComponent* filterGroup = nullptr;
    MyGroupComponent* amplifierGroup = nullptr;
    MyGroupComponent* outputGroup = nullptr;
    MyGroupComponent* effectGroup = nullptr;

    juce::Slider* lfoRateSlider = nullptr;
    juce::ComboBox* lfoWaveCombo = nullptr;
    juce::Slider* vibratoDepthSlider = nullptr;
    juce::Slider* filterLfoDepthSlider = nullptr;
    juce::Slider* amplifierLfoDepthSlider = nullptr;
    juce::ComboBox* waveCombo = nullptr;
    juce::ComboBox* toneCombo = nullptr;
    juce::Slider* filterAttackSlider = nullptr;
    juce::Slider* filterDecaySlider = nullptr;
    juce::Slider* filterSustainSlider = nullptr;
    juce::Slider* filterReleaseSlider = nullptr;
    juce::ComboBox* filterTypeCombo = nullptr;
    juce::Slider* filterCutoffSlider = nullptr;
    juce::Slider* filterResonanceSlider = nullptr;
    juce::Slider* amplifierAttackSlider = nullptr;
    juce::Slider* amplifierDecaySlider = nullptr;
    juce::Slider* amplifierSustainSlider = nullptr;
    juce::Slider* amplifierReleaseSlider = nullptr;
    juce::Slider* amplifierEnvDepthSlider = nullptr;
    juce::Slider* levelSlider = nullptr;
    juce::Slider* panSlider = nullptr;
    juce::ComboBox* effectTypeCombo = nullptr;
    juce::Slider* effectParam1Slider = nullptr;
    juce::Slider* effectParam2Slider = nullptr;
    juce::Slider* effectParam3Slider = nullptr;

    SequencerComponent* sequencer = nullptr;

    /** The effect pictures of drive (OD, DS), phaser (PH) and slicer (SL)
        types; each is decoded the first time the effect group is given it. */
    juce::Image* effectPictures[3] = {};

    static constexpr int panelWidth = 389, panelHeight = 311;

private:
    juce::Image* effectPicture (int index);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskLeadComponent)
};
