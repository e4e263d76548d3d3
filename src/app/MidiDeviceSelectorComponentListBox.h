#pragma once

#include "midi/MidiDeviceLists.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The list of MIDI inputs with a tick per input. A click in the tick column,
    a double-click or Return on a row enables or disables that input in the
    device manager.

    The inputs are read once, when the list is made; a rescan replaces the list.
*/
class MidiDeviceSelectorComponentListBox : public juce::ListBox,
                                           private juce::ListBoxModel
{
public:
    MidiDeviceSelectorComponentListBox (juce::AudioDeviceManager& deviceManagerToUse,
                                        const juce::String& noItemsText,
                                        const MidiDeviceLists& lists = MidiDeviceLists::system());
    ~MidiDeviceSelectorComponentListBox() override;

    void paintOverChildren (juce::Graphics& g) override;

    int getNumRows() override;
    void paintListBoxItem (int row, juce::Graphics& g, int width, int height, bool rowIsSelected) override;
    void listBoxItemClicked (int row, const juce::MouseEvent& e) override;
    void listBoxItemDoubleClicked (int row, const juce::MouseEvent& e) override;
    void returnKeyPressed (int row) override;

    /** Right edge of the tick column, from the row's left. */
    int getTickColumnRight() const { return getRowHeight() + 5; }

    const juce::String& getEmptyText() const noexcept { return emptyText; }

private:
    void toggleInput (int row);

    juce::AudioDeviceManager& deviceManager;
    const juce::String emptyText;
    juce::StringArray deviceNames;
    juce::StringArray deviceIdentifiers;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiDeviceSelectorComponentListBox)
};
