#include "SystemComponent.h"
#include "model/VeskFieldTable.h"

SystemComponent::SystemComponent (VeskSession& sessionToUse)
    : session (sessionToUse),
      model (&sessionToUse.getModel())
{
    setLookAndFeel (&pageLookAndFeel);

    masterTuneSlider = new juce::Slider ("Master Tune");
    masterTuneSlider->setSliderStyle (juce::Slider::SliderStyle::LinearHorizontal);
    const auto& masterTune = VeskFieldTable::system (VeskImage::System::masterTune);
    masterTuneSlider->setRange (masterTune.lowest, masterTune.highest, masterTune.interval);
    masterTuneSlider->setNumDecimalPlacesToDisplay (1);
    masterTuneSlider->setTextBoxStyle (juce::Slider::TextEntryBoxPosition::TextBoxLeft, false, 70, 20);
    masterTuneSlider->setTextValueSuffix (" Hz");
    masterTuneSlider->setDoubleClickReturnValue (true, 440.0);
    masterTuneSlider->setPopupMenuEnabled (true);
    masterTuneSlider->addListener (this);
    masterTuneSlider->addListener (&gestures);
    addAndMakeVisible (masterTuneSlider);
    masterTuneLabel = attachLabel ("mt", "Master Tune ", masterTuneSlider);

    transposeSlider = createStepper ("Transpose", VeskImage::System::transpose);
    transposeLabel = attachLabel ("t", "Transpose ", transposeSlider);

    midiChannelSlider = createStepper ({}, VeskImage::System::midiChannel);
    midiChannelLabel = attachLabel ("mc", "MIDI Channel ", midiChannelSlider);

    receiveProgramChangeButton = createSwitch ("Receive Program Change");
    transmitProgramChangeButton = createSwitch ("Transmit Program Change");
    receiveControlChangeButton = createSwitch ("Receive Control Change");
    receivePitchBendButton = createSwitch ("Receive Pitch Bend");

    sendButton = new juce::TextButton ("Send", {});
    storeButton = new juce::TextButton ("Store", {});

    for (auto* button : { sendButton, storeButton })
    {
        button->addListener (this);
        addAndMakeVisible (button);
    }

    updateFromSystemBlock();
}

SystemComponent::~SystemComponent()
{
    deleteAllChildren();
    setLookAndFeel (nullptr);
}

juce::Slider* SystemComponent::createStepper (const juce::String& name, int offset)
{
    const auto& field = VeskFieldTable::system (offset);
    auto* slider = new juce::Slider (name);
    slider->setSliderStyle (juce::Slider::SliderStyle::IncDecButtons);
    slider->setIncDecButtonsMode (juce::Slider::IncDecButtonMode::incDecButtonsDraggable_Vertical);
    slider->setRange (field.lowest, field.highest, field.interval);
    slider->setTextBoxStyle (juce::Slider::TextEntryBoxPosition::TextBoxLeft, false, 30, 20);
    slider->setPopupMenuEnabled (true);
    slider->addListener (this);
    slider->addListener (&gestures);
    addAndMakeVisible (slider);
    return slider;
}

juce::Label* SystemComponent::attachLabel (const juce::String& name, const juce::String& text, juce::Slider* slider)
{
    auto* label = new juce::Label (name, text);
    label->setJustificationType (juce::Justification::centredRight);
    label->attachToComponent (slider, true);
    return label;
}

juce::ToggleButton* SystemComponent::createSwitch (const juce::String& text)
{
    auto* button = new juce::ToggleButton (text);
    button->addListener (this);
    addAndMakeVisible (button);
    return button;
}

void SystemComponent::updateFromSystemBlock()
{
    using namespace VeskImage::System;
    const auto* block = model->systemBlock;

    auto shown = [block] (int offset)
    { return VeskFieldTable::system (offset).shownAt (block, offset); };

    masterTuneSlider->setValue (shown (masterTune), juce::dontSendNotification);
    transposeSlider->setValue (shown (transpose), juce::dontSendNotification);
    midiChannelSlider->setValue (shown (midiChannel), juce::dontSendNotification);
    receiveProgramChangeButton->setToggleState (shown (receiveProgramChange) != 0, juce::dontSendNotification);
    transmitProgramChangeButton->setToggleState (shown (transmitProgramChange) != 0, juce::dontSendNotification);
    receiveControlChangeButton->setToggleState (shown (receiveControlChange) != 0, juce::dontSendNotification);
    receivePitchBendButton->setToggleState (shown (receivePitchBend) != 0, juce::dontSendNotification);
}

void SystemComponent::resized()
{
    masterTuneSlider->setBounds (112, 8, 210, 24);
    transposeSlider->setBounds (112, 40, 96, 24);
    midiChannelSlider->setBounds (112, 72, 96, 24);
    receiveProgramChangeButton->setBounds (8, 104, 300, 24);
    transmitProgramChangeButton->setBounds (8, 136, 300, 24);
    receiveControlChangeButton->setBounds (8, 168, 300, 24);
    receivePitchBendButton->setBounds (8, 200, 300, 24);
    sendButton->setBounds (8, 232, 100, 24);
    storeButton->setBounds (124, 232, 100, 24);
}

void SystemComponent::sliderValueChanged (juce::Slider* slider)
{
    using namespace VeskImage::System;

    if (slider == masterTuneSlider)
        store (masterTune, masterTuneSlider->getValue());
    else if (slider == midiChannelSlider)
        store (midiChannel, midiChannelSlider->getValue());
    else if (slider == transposeSlider)
        store (transpose, transposeSlider->getValue());
}

void SystemComponent::store (int offset, double controlValue)
{
    session.edit (VeskField::system (offset), VeskFieldTable::system (offset).stored (controlValue));
}

void SystemComponent::storeSwitch (juce::Button* button, int offset)
{
    store (offset, button->getToggleState() ? 1.0 : 0.0);
}

void SystemComponent::buttonClicked (juce::Button* button)
{
    using namespace VeskImage::System;

    if (button == receiveProgramChangeButton)
        storeSwitch (button, receiveProgramChange);
    else if (button == transmitProgramChangeButton)
        storeSwitch (button, transmitProgramChange);
    else if (button == receiveControlChangeButton)
        storeSwitch (button, receiveControlChange);
    else if (button == receivePitchBendButton)
        storeSwitch (button, receivePitchBend);
    else if (button == sendButton || button == storeButton)
    {
        const bool sending = button == sendButton;
        const auto result = sending ? session.sendToUnit (VeskBlock::system()) : session.askUnitFor (VeskBlock::system());

        if (result.failed() && onMessage != nullptr)
            onMessage (sending ? "Send" : "Store", result);
    }
}
