#pragma once

#include "MyGroupComponent.h"
#include "SliderGestures.h"
#include "session/VeskSession.h"

class SequencerComponent;

#include <juce_gui_basics/juce_gui_basics.h>

#include <list>
#include <vector>

/**
    The part editor base (lead, bass, rhythm, line-in derive from it), shown
    below the pattern page's band: one per part type. An editor owns its whole tree of groups and controls through the
    component tree and deletes it with itself.

    The shared construction helpers give every knob and combo box of the lead,
    bass and rhythm editors the same look and behaviour.
*/
class VeskTypeComponent : public juce::Component
{
public:
    /** An editor for patterns of partTypeToEdit (a VeskImage::PartType). */
    VeskTypeComponent (VeskSession& sessionToUse, int partTypeToEdit);
    ~VeskTypeComponent() override;

    /** Brings the controls in line with currentPattern: everything for 0, only the
        control carried by that controller for 7, 10, 16, 17, 18, 71, 74 and 83.
        Sends nothing and triggers none of the editor's own listeners. Message
        thread only: incoming MIDI is applied there, so no lock is needed. */
    virtual void updateFromPattern (int controllerNumber) = 0;

    /** Switches between the parameter panel and the step sequencer. */
    virtual void showSequencer (bool shouldShowSequencer) = 0;

    /** Where every part editor sits in the pattern page. */
    static constexpr int editorX = 1, editorY = 91;

    /** A 45 x 45 rotary knob with an editable text box below it, 0 to 127 or,
        when signed, -64 to 63. Not yet added to a parent. */
    static juce::Slider* createKnob (const juce::String& id, juce::Slider::Listener* listener, bool isSigned = false);

    /** A double-click on the knob returns it to the default of the pattern
        field at offset, as a drag of its own. */
    void setKnobDefault (juce::Slider& knob, int offset) const;

    /** A combo box holding items with IDs 1, 2, 3 ... in red text. Not yet added
        to a parent. */
    static juce::ComboBox* createCombo (const juce::String& id, juce::ComboBox::Listener* listener, const juce::StringArray& items);

    /** A panel picture embedded in the program, by its name ("commonGroup"):
        the mask of its letters, coloured as it is painted (see PanelPictures);
        the same picture requested twice is shared through the ImageCache.
        Invalid for an unknown name. Keep the returned handle for as long as a
        group paints it. */
    static juce::Image panelPicture (const juce::String& pictureName);

    /** Writes a field of currentPattern through the session: stored, sent, one undo step. */
    void storePatternField (int offset, int value);

    VeskSession& session;
    VeskModel* model;

    /** The type of pattern the editor is for: its controls read and convert
        the fields as that type has them. */
    const int partType;

protected:
    /** A panel picture kept for as long as the editor lives, for a group to paint. */
    juce::Image* keepPicture (const juce::String& pictureName);

    /** A group on parent painting the named picture (flat grey for an empty name). */
    MyGroupComponent* addGroup (juce::Component& parent, const juce::String& id, juce::Rectangle<int> bounds, const juce::String& pictureName);

    /** A knob on group bound to a field of currentPattern, signed when the
        field is: a plain field is sent as a data set, a controller-carried one
        as its controller. */
    juce::Slider* addKnob (juce::Component& group, const juce::String& id, juce::Rectangle<int> bounds, int offset);

    /** Makes a knob's drags, double-clicks and typed values undo steps of their own. */
    void trackGestures (juce::Slider& knob) { knob.addListener (&gestures); }

    /** A combo box on group storing its 0-based item index in a field. */
    juce::ComboBox* addCombo (juce::Component& group, const juce::String& id, juce::Rectangle<int> bounds, int offset, const juce::StringArray& items);

    /** Any other control on group, placed at bounds by layOut and bound to no field. */
    void addControl (juce::Component& group, juce::Component* control, juce::Rectangle<int> bounds);

    /** Stores and sends the field of a bound control. A combo box showing no item
        stores nothing, so the byte it cannot show stays. False when nothing was stored. */
    bool storeControl (juce::Component* control);

    /** Re-reads the bound controls without notifications: all for 0, only the one
        holding that controller's field for a controller number. */
    void readControls (int controllerNumber);

    /** Takes the panel's size, or the grid's while the grid is shown, places every
        group and control, then lets the page fit itself around the editor. */
    void layOut (juce::Component& panel, juce::Component& grid, int panelWidth, int panelHeight);

    /** Shows the grid in place of the panel, or the panel again, and re-sizes. */
    void showGridInsteadOfPanel (juce::Component& panel, SequencerComponent& grid, bool showGrid);

private:
    struct Binding
    {
        juce::Component* control;
        juce::Rectangle<int> bounds;
        int offset; // -1 for groups and controls bound to no field
    };

    std::vector<Binding> bindings;
    SliderGestures gestures { session };
    std::list<juce::Image> keptPictures; // outlives the children, which paint them

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskTypeComponent)
};
