#include "VeskLeadComponent.h"

#include "model/VeskNames.h"

namespace
{
    // Effect types 0-3 are drives, 4-7 phasers, 8-9 slicers, 10 is "OFF".
    constexpr int firstPhaser = 4, firstSlicer = 8, effectOff = 10;
}

VeskLeadComponent::VeskLeadComponent (VeskSession& sessionToUse)
    : VeskTypeComponent (sessionToUse, VeskImage::PartType::lead)
{
    using namespace VeskImage::Pattern;

    paramsGroup = new MyGroupComponent ("paramsGroup", nullptr);
    addAndMakeVisible (paramsGroup);

    lfoGroup = addGroup (*paramsGroup, "lfoGroup", { 0, 0, 59, 311 }, "lfoGroup");
    oscGroup = addGroup (*paramsGroup, "oscGroup", { 60, 0, 329, 56 }, "leadOscGroup");
    filterGroup = addGroup (*paramsGroup, "filterGroup", { 60, 57, 329, 84 }, "leadFilterGroup");
    amplifierGroup = addGroup (*paramsGroup, "amplifierGroup", { 60, 142, 238, 84 }, "leadAmplifierGroup");
    outputGroup = addGroup (*paramsGroup, "outputGroup", { 299, 142, 90, 84 }, "outputGroup");

    // Each decoded when first shown (see effectPicture): one is seen at a time.
    for (auto*& picture : effectPictures)
        picture = keepPicture ({});

    effectGroup = addGroup (*paramsGroup, "effectGroup", { 60, 227, 194, 84 }, {});
    effectGroup->backgroundImage = effectPictures[0];

    lfoRateSlider = addKnob (*lfoGroup, "lfoRateSlider", { 7, 259, 45, 45 }, lfoRate);
    lfoWaveCombo = addCombo (*lfoGroup, "lfoWaveCombo", { 7, 226, 45, 17 }, lfoWave, VeskNames::lfoWaves());
    vibratoDepthSlider = addKnob (*lfoGroup, "vibratoDepthSlider", { 7, 32, 45, 45 }, vibratoDepth);
    filterLfoDepthSlider = addKnob (*lfoGroup, "filterLfoDepthSlider", { 7, 93, 45, 45 }, filterLfoDepth);
    amplifierLfoDepthSlider = addKnob (*lfoGroup, "amplifierLfoDepthSlider", { 7, 154, 45, 45 }, amplifierLfoDepth);
    waveCombo = addCombo (*oscGroup, "waveCombo", { 7, 32, 45, 17 }, wave, VeskNames::waves());
    toneCombo = addCombo (*oscGroup, "toneCombo", { 59, 32, 263, 17 }, toneOrKit, VeskNames::tones());
    filterAttackSlider = addKnob (*filterGroup, "filterAttackSlider", { 0, 32, 45, 45 }, filterAttack);
    filterDecaySlider = addKnob (*filterGroup, "filterDecaySlider", { 45, 32, 45, 45 }, filterDecayOrHhLevel);
    filterSustainSlider = addKnob (*filterGroup, "filterSustainSlider", { 90, 32, 45, 45 }, filterSustain);
    filterReleaseSlider = addKnob (*filterGroup, "filterReleaseSlider", { 135, 32, 45, 45 }, filterRelease);
    filterTypeCombo = addCombo (*filterGroup, "filterTypeCombo", { 277, 46, 45, 17 }, filterType, VeskNames::filterTypes());
    filterCutoffSlider = addKnob (*filterGroup, "filterCutoffSlider", { 180, 32, 45, 45 }, filterCutoffOrBdLevel);
    filterResonanceSlider = addKnob (*filterGroup, "filterResonanceSlider", { 225, 32, 45, 45 }, filterResonanceOrSdLevel);
    amplifierAttackSlider = addKnob (*amplifierGroup, "amplifierAttackSlider", { 0, 32, 45, 45 }, amplifierAttack);
    amplifierDecaySlider = addKnob (*amplifierGroup, "amplifierDecaySlider", { 45, 32, 45, 45 }, amplifierDecay);
    amplifierSustainSlider = addKnob (*amplifierGroup, "amplifierSustainSlider", { 90, 32, 45, 45 }, amplifierSustain);
    amplifierReleaseSlider = addKnob (*amplifierGroup, "amplifierReleaseSlider", { 135, 32, 45, 45 }, amplifierRelease);
    amplifierEnvDepthSlider = addKnob (*amplifierGroup, "amplifierEnvDepthSlider", { 193, 32, 45, 45 }, amplifierEnvDepth);
    levelSlider = addKnob (*outputGroup, "levelSlider", { 0, 32, 45, 45 }, level);
    panSlider = addKnob (*outputGroup, "panSlider", { 45, 32, 45, 45 }, pan);
    effectTypeCombo = addCombo (*effectGroup, "effectTypeCombo", { 142, 46, 45, 17 }, vintageOrEffectType, VeskNames::effectTypes());
    effectParam1Slider = addKnob (*effectGroup, "effectParam1Slider", { 0, 32, 45, 45 }, tuneOrEffectParam1);
    effectParam2Slider = addKnob (*effectGroup, "effectParam2Slider", { 45, 32, 45, 45 }, envModOrEffectParam2);
    effectParam3Slider = addKnob (*effectGroup, "effectParam3Slider", { 90, 32, 45, 45 }, accentOrEffectParam3);

    sequencer = new SequencerComponent (session);
    addChildComponent (sequencer);
}

VeskLeadComponent::~VeskLeadComponent()
{
    // The controls report to this object, so they go before it does.
    deleteAllChildren();
}

void VeskLeadComponent::updateFromPattern (int controllerNumber)
{
    readControls (controllerNumber);

    if (controllerNumber == 0)
    {
        applyEffectType();
        sequencer->updateFromPattern();
    }
}

void VeskLeadComponent::showSequencer (bool shouldShowSequencer)
{
    showGridInsteadOfPanel (*paramsGroup, *sequencer, shouldShowSequencer);
}

void VeskLeadComponent::resized()
{
    layOut (*paramsGroup, *sequencer, panelWidth, panelHeight);
}

void VeskLeadComponent::comboBoxChanged (juce::ComboBox* combo)
{
    if (storeControl (combo) && combo == effectTypeCombo)
        applyEffectType();
}

void VeskLeadComponent::sliderValueChanged (juce::Slider* slider)
{
    storeControl (slider);
}

juce::Image* VeskLeadComponent::effectPicture (int index)
{
    static const char* const names[] = { "driveEffectGroup", "phaserEffectGroup", "slicerEffectGroup" };

    if (! effectPictures[index]->isValid())
        *effectPictures[index] = panelPicture (names[index]);

    return effectPictures[index];
}

void VeskLeadComponent::applyEffectType()
{
    const int effectType = model->currentPattern[VeskImage::Pattern::vintageOrEffectType];

    if (effectType < effectOff)
    {
        effectGroup->backgroundImage = effectPicture (effectType < firstPhaser ? 0 : (effectType < firstSlicer ? 1 : 2));
        effectGroup->repaint();
    }
    else
    {
        // OFF keeps the picture shown, the drive's at first.
        for (int i = 0; i < 3; ++i)
            if (effectGroup->backgroundImage == effectPictures[i])
                effectPicture (i);
    }

    for (auto* knob : { effectParam1Slider, effectParam2Slider, effectParam3Slider })
        knob->setEnabled (effectType != effectOff);
}
