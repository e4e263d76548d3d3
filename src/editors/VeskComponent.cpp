#include "VeskComponent.h"

VeskComponent::VeskComponent (VeskModel& modelToEdit)
    : juce::TabbedComponent (juce::TabbedButtonBar::TabsAtTop),
      model (modelToEdit)
{
    patternsViewport = new juce::Viewport ("viewport");
    addTab ("Patterns", juce::Colour (0xFF666666), patternsViewport, true);

    patternsPage = new PatternsComponent (&model);
    patternsViewport->setViewedComponent (patternsPage, true);

    systemPage = new SystemComponent (&model);
    addTab ("System", juce::Colour (0xFFF0FFFF), systemPage, true);
}

VeskComponent::~VeskComponent()
{
    // The tabs delete their pages; nothing may refresh a page from here on.
    patternsPage = nullptr;
    systemPage = nullptr;
    clearTabs();
}

void VeskComponent::refreshPatternsPage (int controllerNumber)
{
    if (patternsPage != nullptr && getCurrentTabName() == "Patterns")
        patternsPage->updateFromPattern (controllerNumber);
}

void VeskComponent::refreshSystemPage()
{
    if (systemPage != nullptr && getCurrentTabName() == "System")
        systemPage->updateFromSystemBlock();
}

void VeskComponent::currentTabChanged (int, const juce::String& newCurrentTabName)
{
    if (newCurrentTabName == "Patterns")
        refreshPatternsPage (0);
    else if (newCurrentTabName == "System")
        refreshSystemPage();
}

void VeskComponent::dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary)
{
    if (! intoLibrary || ! dump.applied())
        return;

    if (dump.result == VeskDecoder::DumpResult::systemBlock)
        refreshSystemPage();
    else
        refreshPatternsPage (0);
}

void VeskComponent::controllerReceived (int controllerNumber)
{
    refreshPatternsPage (controllerNumber);
}

void VeskComponent::patternSelected (int patternItem)
{
    if (patternsPage != nullptr)
        patternsPage->patternsCombo->setSelectedItemIndex (patternItem, juce::sendNotificationAsync);
}
