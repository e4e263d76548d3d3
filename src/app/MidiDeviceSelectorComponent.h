#pragma once

#include "MidiDeviceSelectorComponentListBox.h"

/**
    The MIDI settings panel: which inputs are enabled and which output is the
    default one. Every choice takes effect in the device manager at once.
*/
class MidiDeviceSelectorComponent : public juce::Component,
                                    public juce::ComboBox::Listener,
                                    public juce::Button::Listener,
                                    public juce::ChangeListener
{
public:
    explicit MidiDeviceSelectorComponent (juce::AudioDeviceManager& deviceManagerToUse,
                                          const MidiDeviceLists& lists = MidiDeviceLists::system());
    ~MidiDeviceSelectorComponent() override;

    void resized() override;
    void comboBoxChanged (juce::ComboBox* comboBoxThatHasChanged) override;
    void buttonClicked (juce::Button* button) override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    /** Called after the user chose an output, "<< No Midi Device >>" included. */
    std::function<void()> onOutputChosen;

    /** The output item that means "no output". */
    static constexpr int noDeviceItemId = -1;

private:
    juce::AudioDeviceManager& deviceManager;
    const MidiDeviceLists deviceLists;
    juce::StringArray outputIdentifiers;

    std::unique_ptr<MidiDeviceSelectorComponentListBox> inputList;
    juce::Label inputListLabel { "lm", "Active midi inputs:" };
    juce::ComboBox outputCombo { {} };
    juce::Label outputLabel { "lm", "Midi Output:" };
    juce::ToggleButton thruToggle { "Midi Thru" };
    juce::TextButton rescanButton { "Rescan MIDI devices" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiDeviceSelectorComponent)
};
