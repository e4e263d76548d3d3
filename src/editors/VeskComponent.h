#pragma once

#include "PatternsComponent.h"
#include "SystemComponent.h"

/** The tabbed editor of the main window: "Patterns" and "System". */
class VeskComponent : public juce::TabbedComponent
{
public:
    explicit VeskComponent (VeskModel& modelToEdit);
    ~VeskComponent() override;

    /** Re-reads the pattern page if its tab is current: everything for 0, else
        only the control bound to that controller. Sends nothing but the
        loop-control echo. */
    void refreshPatternsPage (int controllerNumber);

    /** Re-reads the system page if its tab is current. Sends nothing. */
    void refreshSystemPage();

    /** A page may have missed changes while hidden, so it is read again when
        its tab comes to the front. */
    void currentTabChanged (int newCurrentTabIndex, const juce::String& newCurrentTabName) override;

    VeskModel& model;
    juce::Viewport* patternsViewport = nullptr;
    PatternsComponent* patternsPage = nullptr;
    SystemComponent* systemPage = nullptr;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskComponent)
};
