#include "VeskLineinComponent.h"
#include "model/VeskFieldTable.h"

VeskLineinComponent::VeskLineinComponent (VeskSession& sessionToUse)
    : VeskTypeComponent (sessionToUse, VeskImage::PartType::lineIn),
      outputPicture (panelPicture ("lineinOutputGroup"))
{
    paramsGroup = new MyGroupComponent ("paramsGroup", nullptr);
    addAndMakeVisible (paramsGroup);

    outputGroup = new MyGroupComponent ("outputGroup", &outputPicture);
    paramsGroup->addAndMakeVisible (outputGroup);

    levelSlider = createKnob ("levelSlider", this);
    trackGestures (*levelSlider);
    setKnobDefault (*levelSlider, VeskImage::Pattern::level);
    outputGroup->addAndMakeVisible (levelSlider);
}

VeskLineinComponent::~VeskLineinComponent()
{
    // The base deletes the children; the picture handle must outlive the group painting it.
    deleteAllChildren();
}

void VeskLineinComponent::updateFromPattern (int)
{
    // Any refresh re-reads the one knob: cheaper than telling controllers apart.
    using namespace VeskImage::Pattern;
    levelSlider->setValue (VeskFieldTable::pattern (level, partType).shownAt (model->currentPattern, level), juce::dontSendNotification);
}

void VeskLineinComponent::resized()
{
    setBounds (editorX, editorY, editorWidth, editorHeight);
    paramsGroup->setBounds (0, 0, editorWidth, editorHeight);
    outputGroup->setBounds (0, 0, editorWidth, editorHeight);
    levelSlider->setBounds (0, 32, 45, 45);
}

void VeskLineinComponent::sliderValueChanged (juce::Slider* slider)
{
    if (slider == levelSlider)
        storePatternField (VeskImage::Pattern::level, VeskFieldTable::pattern (VeskImage::Pattern::level, partType).stored (levelSlider->getValue()));
}
