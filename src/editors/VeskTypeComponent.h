#pragma once

#include "model/VeskModel.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Base of the part editors shown below the pattern page's band: one per part
    type. An editor owns its whole tree of groups and controls through the
    component tree and deletes it with itself.

    The shared construction helpers give every knob and combo box of the lead,
    bass and rhythm editors the same look and behaviour.
*/
class VeskTypeComponent : public juce::Component
{
public:
    explicit VeskTypeComponent (VeskModel* modelToEdit);
    ~VeskTypeComponent() override;

    /** Brings the controls in line with currentPattern: everything for 0, only the
        control carried by that controller for 7, 10, 16, 17, 18, 71, 74 and 83.
        Sends nothing and triggers none of the editor's own listeners. */
    virtual void updateFromPattern (int controllerNumber) = 0;

    /** Switches between the parameter panel and the step sequencer. */
    virtual void showSequencer (bool shouldShowSequencer) = 0;

    /** Where every part editor sits in the pattern page. */
    static constexpr int editorX = 1, editorY = 91;

    /** A 45 x 45 rotary knob with an editable text box below it, 0 to 127 or,
        when signed, -64 to 63. Not yet added to a parent. */
    static juce::Slider* createKnob (const juce::String& id, juce::Slider::Listener* listener, bool isSigned = false);

    /** A combo box holding items with IDs 1, 2, 3 ... in red text. Not yet added
        to a parent. */
    static juce::ComboBox* createCombo (const juce::String& id, juce::ComboBox::Listener* listener, const juce::StringArray& items);

    /** A panel picture embedded in the program, by its file name without ".png"
        ("commonGroup"); the same picture requested twice is shared through the
        ImageCache. Invalid for an unknown name. Keep the returned handle for as
        long as a group paints it. */
    static juce::Image panelPicture (const juce::String& pictureName);

    /** Writes a plain field of currentPattern and sends it to the unit. */
    void storePatternField (int offset, int value);

    VeskModel* model;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskTypeComponent)
};
