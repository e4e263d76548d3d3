#include "VeskTypeComponent.h"

#include "VeskPanelPictures.h"

VeskTypeComponent::VeskTypeComponent (VeskModel* modelToEdit)
    : model (modelToEdit)
{
}

VeskTypeComponent::~VeskTypeComponent()
{
    deleteAllChildren();
}

juce::Slider* VeskTypeComponent::createKnob (const juce::String& id, juce::Slider::Listener* listener, bool isSigned)
{
    auto* slider = new juce::Slider (id);
    slider->addListener (listener);
    slider->setSliderStyle (juce::Slider::SliderStyle::Rotary);
    slider->setRotaryParameters (juce::MathConstants<float>::pi * 1.2f, juce::MathConstants<float>::pi * 2.8f, true);
    slider->setTextBoxStyle (juce::Slider::TextEntryBoxPosition::TextBoxBelow, false, 30, 15);

    if (isSigned)
        slider->setRange (-64.0, 63.0, 1.0);
    else
        slider->setRange (0.0, 127.0, 1.0);

    return slider;
}

juce::ComboBox* VeskTypeComponent::createCombo (const juce::String& id, juce::ComboBox::Listener* listener, const juce::StringArray& items)
{
    auto* combo = new juce::ComboBox (id);
    combo->addListener (listener);
    combo->addItemList (items, 1);
    combo->setColour (juce::ComboBox::textColourId, juce::Colour (0xFFFF0000));
    return combo;
}

juce::Image VeskTypeComponent::panelPicture (const juce::String& pictureName)
{
    int size = 0;

    if (auto* data = VeskPanelPictures::getNamedResource ((pictureName + "_png").toRawUTF8(), size))
        return juce::ImageCache::getFromMemory (data, size);

    return {};
}

void VeskTypeComponent::storePatternField (int offset, int value)
{
    model->storePatternField (offset, value);
}
