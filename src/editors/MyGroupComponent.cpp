#include "MyGroupComponent.h"

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
        g.drawImage (*backgroundImage, 0, 0, getWidth(), getHeight(), 0, 0, getWidth(), getHeight());
    else
        g.fillAll (backgroundColour);
}
