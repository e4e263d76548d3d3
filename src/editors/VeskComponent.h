#pragma once

#include "PatternsComponent.h"
#include "SystemComponent.h"
#include "midi/MyMidiInputCallback.h"

/** The tabbed editor of the main window: "Patterns" and "System". It listens
    to the receivers and shows what the unit sent on the page it concerns. */
class VeskComponent : public juce::TabbedComponent,
                      public MyMidiInputCallback::Listener
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

    void dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary) override;
    void controllerReceived (int controllerNumber) override;

    /** The page's own handler makes the pattern current and tells the unit. */
    void patternSelected (int patternItem) override;

    VeskModel& model;
    juce::Viewport* patternsViewport = nullptr;
    PatternsComponent* patternsPage = nullptr;
    SystemComponent* systemPage = nullptr;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskComponent)
};
