#include "VeskComponent.h"

VeskComponent::VeskComponent (VeskModel& modelToEdit)
    : juce::TabbedComponent (juce::TabbedButtonBar::TabsAtTop),
      model (modelToEdit)
{
    const auto background = juce::Colours::darkgrey;
    addTab ("Patterns", background, new juce::Component ("patternsPage"), true);
    addTab ("System", background, new juce::Component ("systemPage"), true);
}

VeskComponent::~VeskComponent() = default;

void VeskComponent::refreshPatternsPage (int) {}

void VeskComponent::refreshSystemPage() {}
