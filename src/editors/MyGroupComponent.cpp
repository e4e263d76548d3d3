#include "MyGroupComponent.h"
#include "PanelPictures.h"

MyGroupComponent::MyGroupComponent (const juce::String& name, juce::Image* image)
    : juce::Component (name),
      backgroundImage (image)
{
}

MyGroupComponent::~MyGroupComponent()
{
    deleteAllChildren();
}

void MyGroupComponent::paint (juce::Graphics& g)
{
    if (backgroundImage != nullptr && backgroundImage->isValid())
        PanelPictures::paint (g, *backgroundImage, getWidth(), getHeight());
    else
        g.fillAll (backgroundColour);
}
