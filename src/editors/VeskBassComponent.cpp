#include "VeskBassComponent.h"

#include "model/VeskFieldTable.h"
#include "model/VeskNames.h"

VeskBassComponent::VeskBassComponent (VeskSession& sessionToUse)
    : VeskTypeComponent (sessionToUse, VeskImage::PartType::bass)
{
    using namespace VeskImage::Pattern;

    paramsGroup = new MyGroupComponent ("paramsGroup", nullptr);
    addAndMakeVisible (paramsGroup);

    // "lfoGroup" and "outputGroup" share the lead editor's pictures.
    lfoGroup = addGroup (*paramsGroup, "lfoGroup", { 0, 0, 59, 311 }, "lfoGroup");
    oscGroup = addGroup (*paramsGroup, "oscGroup", { 60, 0, 374, 84 }, "bassOscGroup");
    filterGroup = addGroup (*paramsGroup, "filterGroup", { 60, 85, 374, 84 }, "bassFilterGroup");
    amplifierGroup = addGroup (*paramsGroup, "amplifierGroup", { 60, 170, 283, 84 }, "bassAmplifierGroup");
    outputGroup = addGroup (*paramsGroup, "outputGroup", { 344, 170, 90, 84 }, "outputGroup");
    vintageGroup = addGroup (*paramsGroup, "vintageGroup", { 60, 255, 96, 56 }, "vintageGroup");

    lfoRateSlider = addKnob (*lfoGroup, "lfoRateSlider", { 7, 259, 45, 45 }, lfoRate);
    lfoWaveCombo = addCombo (*lfoGroup, "lfoWaveCombo", { 7, 226, 45, 17 }, lfoWave, VeskNames::lfoWaves());
    vibratoDepthSlider = addKnob (*lfoGroup, "vibratoDepthSlider", { 7, 32, 45, 45 }, vibratoDepth);
    filterLfoDepthSlider = addKnob (*lfoGroup, "filterLfoDepthSlider", { 7, 93, 45, 45 }, filterLfoDepth);
    amplifierLfoDepthSlider = addKnob (*lfoGroup, "amplifierLfoDepthSlider", { 7, 154, 45, 45 }, amplifierLfoDepth);
    waveCombo = addCombo (*oscGroup, "waveCombo", { 7, 46, 45, 17 }, wave, VeskNames::waves());
    toneCombo = addCombo (*oscGroup, "toneCombo", { 59, 46, 263, 17 }, toneOrKit, VeskNames::tones());
    tuneSlider = addKnob (*oscGroup, "tuneSlider", { 330, 32, 45, 45 }, tuneOrEffectParam1);
    filterAttackSlider = addKnob (*filterGroup, "filterAttackSlider", { 0, 32, 45, 45 }, filterAttack);
    filterDecaySlider = addKnob (*filterGroup, "filterDecaySlider", { 45, 32, 45, 45 }, filterDecayOrHhLevel);
    filterSustainSlider = addKnob (*filterGroup, "filterSustainSlider", { 90, 32, 45, 45 }, filterSustain);
    filterReleaseSlider = addKnob (*filterGroup, "filterReleaseSlider", { 135, 32, 45, 45 }, filterRelease);
    filterTypeCombo = addCombo (*filterGroup, "filterTypeCombo", { 322, 46, 45, 17 }, filterType, VeskNames::filterTypes());
    filterCutoffSlider = addKnob (*filterGroup, "filterCutoffSlider", { 180, 32, 45, 45 }, filterCutoffOrBdLevel);
    filterResonanceSlider = addKnob (*filterGroup, "filterResonanceSlider", { 225, 32, 45, 45 }, filterResonanceOrSdLevel);
    envModSlider = addKnob (*filterGroup, "envModSlider", { 270, 32, 45, 45 }, envModOrEffectParam2);
    amplifierAttackSlider = addKnob (*amplifierGroup, "amplifierAttackSlider", { 0, 32, 45, 45 }, amplifierAttack);
    amplifierDecaySlider = addKnob (*amplifierGroup, "amplifierDecaySlider", { 45, 32, 45, 45 }, amplifierDecay);
    amplifierSustainSlider = addKnob (*amplifierGroup, "amplifierSustainSlider", { 90, 32, 45, 45 }, amplifierSustain);
    amplifierReleaseSlider = addKnob (*amplifierGroup, "amplifierReleaseSlider", { 135, 32, 45, 45 }, amplifierRelease);
    amplifierEnvDepthSlider = addKnob (*amplifierGroup, "amplifierEnvDepthSlider", { 193, 32, 45, 45 }, amplifierEnvDepth);
    accentSlider = addKnob (*amplifierGroup, "accentSlider", { 238, 32, 45, 45 }, accentOrEffectParam3);
    levelSlider = addKnob (*outputGroup, "levelSlider", { 0, 32, 45, 45 }, level);
    panSlider = addKnob (*outputGroup, "panSlider", { 45, 32, 45, 45 }, pan);

    vintageButton = new juce::ToggleButton ("On / Off");
    vintageButton->setName ("On / Off");
    vintageButton->addListener (this);
    addControl (*vintageGroup, vintageButton, { 7, 24, 74, 24 });

    sequencer = new SequencerComponent (session);
    addChildComponent (sequencer);
}

VeskBassComponent::~VeskBassComponent()
{
    // The controls report to this object, so they go before it does.
    deleteAllChildren();
}

void VeskBassComponent::updateFromPattern (int controllerNumber)
{
    using namespace VeskImage::Pattern;
    const bool vintage = VeskFieldTable::pattern (vintageOrEffectType, partType).shownAt (model->currentPattern, vintageOrEffectType) != 0;

    readControls (controllerNumber);

    if (controllerNumber == 0)
    {
        vintageButton->setToggleState (vintage, juce::dontSendNotification);
        sequencer->updateFromPattern();
    }

    applyVintageMode (vintage);
}

void VeskBassComponent::showSequencer (bool shouldShowSequencer)
{
    showGridInsteadOfPanel (*paramsGroup, *sequencer, shouldShowSequencer);
}

void VeskBassComponent::resized()
{
    layOut (*paramsGroup, *sequencer, panelWidth, panelHeight);
}

void VeskBassComponent::comboBoxChanged (juce::ComboBox* combo)
{
    storeControl (combo);
}

void VeskBassComponent::sliderValueChanged (juce::Slider* slider)
{
    storeControl (slider);
}

void VeskBassComponent::buttonClicked (juce::Button* button)
{
    if (button != vintageButton)
        return;

    const bool isOn = vintageButton->getToggleState();
    using namespace VeskImage::Pattern;
    storePatternField (vintageOrEffectType, VeskFieldTable::pattern (vintageOrEffectType, partType).stored (isOn ? 1 : 0));
    applyVintageMode (isOn);
}

void VeskBassComponent::applyVintageMode (bool isOn)
{
    const std::initializer_list<juce::Component*> vintageIgnores { filterTypeCombo, filterLfoDepthSlider, filterAttackSlider, filterSustainSlider, filterReleaseSlider,
                                                                   amplifierAttackSlider, amplifierDecaySlider, amplifierSustainSlider, amplifierReleaseSlider };

    for (auto* control : vintageIgnores)
        control->setEnabled (! isOn);
}
