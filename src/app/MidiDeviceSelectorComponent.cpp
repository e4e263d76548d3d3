#include "MidiDeviceSelectorComponent.h"

namespace
{
    const juce::String noInputsText ("(no midi inputs available)");
    const juce::String noDeviceText ("<< No Midi Device >>");
}

MidiDeviceSelectorComponent::MidiDeviceSelectorComponent (juce::AudioDeviceManager& deviceManagerToUse,
                                                          const MidiDeviceLists& lists)
    : deviceManager (deviceManagerToUse),
      deviceLists (lists)
{
    inputList = std::make_unique<MidiDeviceSelectorComponentListBox> (deviceManager, noInputsText, deviceLists);
    inputListLabel.setJustificationType (juce::Justification::topRight);
    inputListLabel.attachToComponent (inputList.get(), true);

    outputCombo.addListener (this);
    outputLabel.attachToComponent (&outputCombo, true);
    thruToggle.addListener (this);
    rescanButton.addListener (this);

    addAndMakeVisible (inputList.get());
    addAndMakeVisible (outputCombo);
    addAndMakeVisible (thruToggle);
    addAndMakeVisible (rescanButton);

    deviceManager.addChangeListener (this);
    changeListenerCallback (nullptr);
}

MidiDeviceSelectorComponent::~MidiDeviceSelectorComponent()
{
    deviceManager.removeChangeListener (this);
}

void MidiDeviceSelectorComponent::resized()
{
    const int x = juce::roundToInt (getWidth() * 0.35);
    const int w = juce::roundToInt (getWidth() * 0.55);
    int y = 15;

    const int preferred = juce::jmin (getHeight() - 15, 192) - 6;
    const int rowHeight = inputList->getRowHeight();
    const int outline = inputList->getOutlineThickness();
    const int rows = inputList->getNumRows();
    const int listHeight = juce::jmax (2 * rowHeight + 2 * outline, juce::jmin (rows * rowHeight + 2 * outline, preferred));
    inputList->setBounds (x, y, w, listHeight);
    y += listHeight + 6;

    outputCombo.setBounds (x, y, w, 24);
    thruToggle.setBounds (x, y + 30, w, 24);
    rescanButton.setBounds (x, y + 60, w / 2, 24);
}

void MidiDeviceSelectorComponent::comboBoxChanged (juce::ComboBox* comboBoxThatHasChanged)
{
    if (comboBoxThatHasChanged != &outputCombo)
        return;

    // Chosen by name, opened by the identifier of the port with that name;
    // "no device" and a name that went away leave no output open.
    const int index = outputCombo.getSelectedId() - 1;
    deviceManager.setDefaultMidiOutputDevice (outputIdentifiers[index]);

    if (onOutputChosen != nullptr)
        onOutputChosen();
}

void MidiDeviceSelectorComponent::buttonClicked (juce::Button* button)
{
    if (button != &rescanButton)
        return;

    for (auto* type : deviceManager.getAvailableDeviceTypes())
        type->scanForDevices();

    removeChildComponent (inputList.get());
    inputList = std::make_unique<MidiDeviceSelectorComponentListBox> (deviceManager, noInputsText, deviceLists);
    addAndMakeVisible (inputList.get());
    inputListLabel.attachToComponent (inputList.get(), true);

    changeListenerCallback (nullptr);
}

void MidiDeviceSelectorComponent::changeListenerCallback (juce::ChangeBroadcaster*)
{
    inputList->updateContent();
    inputList->repaint();

    outputCombo.clear (juce::dontSendNotification);
    outputCombo.addItem (noDeviceText, noDeviceItemId);
    outputCombo.addSeparator();
    outputIdentifiers.clear();

    int id = 1;

    for (const auto& device : deviceLists.outputs())
    {
        outputCombo.addItem (device.name, id++);
        outputIdentifiers.add (device.identifier);
    }

    int selectedId = noDeviceItemId;

    if (deviceManager.getDefaultMidiOutput() != nullptr)
        selectedId = outputIdentifiers.indexOf (deviceManager.getDefaultMidiOutputIdentifier()) + 1;

    outputCombo.setSelectedId (selectedId, juce::dontSendNotification);
    resized();
}
