#include "MidiDeviceSelectorComponentListBox.h"

MidiDeviceSelectorComponentListBox::MidiDeviceSelectorComponentListBox (juce::AudioDeviceManager& deviceManagerToUse,
                                                                        const juce::String& noItemsText,
                                                                        const MidiDeviceLists& lists)
    : juce::ListBox ({}, nullptr),
      deviceManager (deviceManagerToUse),
      emptyText (noItemsText)
{
    // Shown by name, enabled by identifier: two ports may share a name.
    for (const auto& device : lists.inputs())
    {
        deviceNames.add (device.name);
        deviceIdentifiers.add (device.identifier);
    }

    setModel (this);
    setOutlineThickness (1);
}

MidiDeviceSelectorComponentListBox::~MidiDeviceSelectorComponentListBox()
{
    setModel (nullptr);
}

void MidiDeviceSelectorComponentListBox::paintOverChildren (juce::Graphics& g)
{
    // Over the children: the opaque viewport would hide it otherwise.
    juce::ListBox::paintOverChildren (g);

    if (deviceNames.isEmpty())
    {
        g.setColour (juce::Colour (0xff808080));
        g.setFont (13.0f);
        g.drawText (emptyText, 0, 0, getWidth(), getHeight() / 2, juce::Justification::centred, true);
    }
}

int MidiDeviceSelectorComponentListBox::getNumRows()
{
    return deviceNames.size();
}

void MidiDeviceSelectorComponentListBox::paintListBoxItem (int row, juce::Graphics& g, int width, int height, bool rowIsSelected)
{
    if (! juce::isPositiveAndBelow (row, deviceNames.size()))
        return;

    if (rowIsSelected)
    {
        const auto highlight = findColour (juce::TextEditor::highlightColourId);
        g.fillAll (highlight.withMultipliedAlpha (0.3f));
    }

    const bool enabled = deviceManager.isMidiInputDeviceEnabled (deviceIdentifiers[row]);
    const int x = getTickColumnRight();
    const int tickSize = height - height / 4;

    getLookAndFeel().drawTickBox (g, *this, (float) (x - tickSize), (float) ((height - tickSize) / 2),
                                  (float) tickSize, (float) tickSize, enabled, true, true, false);

    g.setFont ((float) height * 0.6f);
    const auto text = findColour (juce::ListBox::textColourId, true);
    g.setColour (enabled ? text : text.withMultipliedAlpha (0.6f));
    g.drawText (deviceNames[row], x, 0, width - x - 2, height, juce::Justification::centredLeft, true);
}

void MidiDeviceSelectorComponentListBox::listBoxItemClicked (int row, const juce::MouseEvent& e)
{
    selectRow (row);

    if (e.x < getTickColumnRight())
        toggleInput (row);
}

void MidiDeviceSelectorComponentListBox::listBoxItemDoubleClicked (int row, const juce::MouseEvent&)
{
    toggleInput (row);
}

void MidiDeviceSelectorComponentListBox::returnKeyPressed (int row)
{
    toggleInput (row);
}

void MidiDeviceSelectorComponentListBox::toggleInput (int row)
{
    if (! juce::isPositiveAndBelow (row, deviceIdentifiers.size()))
        return;

    const auto& identifier = deviceIdentifiers[row];
    deviceManager.setMidiInputDeviceEnabled (identifier, ! deviceManager.isMidiInputDeviceEnabled (identifier));
}
