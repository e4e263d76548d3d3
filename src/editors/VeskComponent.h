#pragma once

#include "model/VeskModel.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The tabbed editor: "Patterns" and "System".

    Placeholder until the pages exist: the tabs and the two refresh entry
    points are here so that the application and the MIDI receivers can be
    built against them.
*/
class VeskComponent : public juce::TabbedComponent
{
public:
    explicit VeskComponent (VeskModel& modelToEdit);
    ~VeskComponent() override;

    /** Re-reads the pattern page if its tab is current: everything for 0, else
        only the control bound to that controller. Sends nothing. */
    void refreshPatternsPage (int controllerNumber);

    /** Re-reads the system page if its tab is current. Sends nothing. */
    void refreshSystemPage();

private:
    VeskModel& model;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskComponent)
};
