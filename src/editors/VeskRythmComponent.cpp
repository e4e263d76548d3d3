#include "VeskRythmComponent.h"

#include "model/VeskNames.h"

VeskRythmComponent::VeskRythmComponent (VeskSession& sessionToUse)
    : VeskTypeComponent (sessionToUse, VeskImage::PartType::rythm)
{
    using namespace VeskImage::Pattern;

    paramsGroup = new MyGroupComponent ("paramsGroup", nullptr);
    addAndMakeVisible (paramsGroup);

    kitGroup = addGroup (*paramsGroup, "kitGroup", { 0, 0, 104, 47 }, "kitGroup");
    kitCombo = addCombo (*kitGroup, "kitCombo", { 7, 23, 90, 17 }, toneOrKit, VeskNames::kits());
    kitCombo->removeColour (juce::ComboBox::textColourId); // the page's colour

    levelsGroup = addGroup (*paramsGroup, "levelsGroup", { 0, 48, 135, 84 }, "levelsGroup");
    BDLevelSlider = addKnob (*levelsGroup, "BDLevelSlider", { 0, 32, 45, 45 }, filterCutoffOrBdLevel);
    SDLevelSlider = addKnob (*levelsGroup, "SDLevelSlider", { 45, 32, 45, 45 }, filterResonanceOrSdLevel);
    HHLevelSlider = addKnob (*levelsGroup, "HHLevelSlider", { 90, 32, 45, 45 }, filterDecayOrHhLevel);

    outputGroup = addGroup (*paramsGroup, "outputGroup", { 0, 133, 90, 84 }, "outputGroup");
    levelSlider = addKnob (*outputGroup, "levelSlider", { 0, 32, 45, 45 }, level);
    panSlider = addKnob (*outputGroup, "panSlider", { 45, 32, 45, 45 }, pan);

    sequencer = new SequencerComponent (session);
    addChildComponent (sequencer);
}

VeskRythmComponent::~VeskRythmComponent()
{
    // The controls report to this object, so they go before it does.
    deleteAllChildren();
}

void VeskRythmComponent::updateFromPattern (int controllerNumber)
{
    readControls (controllerNumber);

    if (controllerNumber == 0)
        sequencer->updateFromPattern();
}

void VeskRythmComponent::showSequencer (bool shouldShowSequencer)
{
    showGridInsteadOfPanel (*paramsGroup, *sequencer, shouldShowSequencer);
}

void VeskRythmComponent::resized()
{
    layOut (*paramsGroup, *sequencer, panelWidth, panelHeight);
}

void VeskRythmComponent::comboBoxChanged (juce::ComboBox* combo)
{
    storeControl (combo);
}

void VeskRythmComponent::sliderValueChanged (juce::Slider* slider)
{
    storeControl (slider);
}
