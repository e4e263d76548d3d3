#include "VeskTypeComponent.h"

#include "PanelPictures.h"
#include "SequencerComponent.h"
#include "VeskKnob.h"
#include "model/DecimalNumber.h"
#include "model/VeskDecoder.h"
#include "model/VeskFieldTable.h"

#include <optional>

namespace
{
    /** A typed knob value ("12", "-5", "+3", "12.6" or "12,6"), or nothing when
        the text is not a number. Read the same way in every locale. */
    std::optional<double> typedNumber (const juce::String& text)
    {
        return DecimalNumber::read (text.trim().replaceCharacter (',', '.'));
    }
}

VeskTypeComponent::VeskTypeComponent (VeskSession& sessionToUse, int partTypeToEdit)
    : session (sessionToUse),
      model (&sessionToUse.getModel()),
      partType (partTypeToEdit)
{
}

VeskTypeComponent::~VeskTypeComponent()
{
    deleteAllChildren();
}

juce::Slider* VeskTypeComponent::createKnob (const juce::String& id, juce::Slider::Listener* listener, bool isSigned)
{
    // Rotary, dragged the way the user chose for all knobs.
    auto* slider = new VeskKnob (id);
    slider->addListener (listener);
    slider->setRotaryParameters (juce::MathConstants<float>::pi * 1.2f, juce::MathConstants<float>::pi * 2.8f, true);
    slider->setTextBoxStyle (juce::Slider::TextEntryBoxPosition::TextBoxBelow, false, 30, 15);

    // The library reads "abc" as 0; a text that is not a number keeps the value instead.
    slider->valueFromTextFunction = [slider] (const juce::String& text)
    { return typedNumber (text).value_or (slider->getValue()); };

    if (isSigned)
        slider->setRange (-64.0, 63.0, 1.0);
    else
        slider->setRange (0.0, 127.0, 1.0);

    return slider;
}

juce::ComboBox* VeskTypeComponent::createCombo (const juce::String& id, juce::ComboBox::Listener* listener, const juce::StringArray& items)
{
    auto* combo = new juce::ComboBox (id);
    combo->addListener (listener);
    combo->addItemList (items, 1);
    combo->setColour (juce::ComboBox::textColourId, juce::Colour (0xFFFF0000));
    return combo;
}

void VeskTypeComponent::setKnobDefault (juce::Slider& knob, int offset) const
{
    knob.setDoubleClickReturnValue (true, VeskFieldTable::pattern (offset, partType).shown (VeskImage::Pattern::headerDefaults[offset]));
}

juce::Image VeskTypeComponent::panelPicture (const juce::String& pictureName)
{
    return PanelPictures::get (pictureName);
}

void VeskTypeComponent::storePatternField (int offset, int value)
{
    session.edit (VeskField::pattern (offset), value);
}

juce::Image* VeskTypeComponent::keepPicture (const juce::String& pictureName)
{
    return &keptPictures.emplace_back (panelPicture (pictureName));
}

MyGroupComponent* VeskTypeComponent::addGroup (juce::Component& parent, const juce::String& id, juce::Rectangle<int> bounds, const juce::String& pictureName)
{
    auto* group = new MyGroupComponent (id, pictureName.isEmpty() ? nullptr : keepPicture (pictureName));
    addControl (parent, group, bounds);
    return group;
}

juce::Slider* VeskTypeComponent::addKnob (juce::Component& group, const juce::String& id, juce::Rectangle<int> bounds, int offset)
{
    auto* listener = dynamic_cast<juce::Slider::Listener*> (this);
    jassert (listener != nullptr); // an editor with knobs listens to them

    auto* knob = createKnob (id, listener, VeskFieldTable::pattern (offset, partType).lowest < 0.0);
    setKnobDefault (*knob, offset);
    group.addAndMakeVisible (knob);
    trackGestures (*knob);
    bindings.push_back ({ knob, bounds, offset });
    return knob;
}

juce::ComboBox* VeskTypeComponent::addCombo (juce::Component& group, const juce::String& id, juce::Rectangle<int> bounds, int offset, const juce::StringArray& items)
{
    auto* listener = dynamic_cast<juce::ComboBox::Listener*> (this);
    jassert (listener != nullptr);

    auto* combo = createCombo (id, listener, items);
    group.addAndMakeVisible (combo);
    bindings.push_back ({ combo, bounds, offset });
    return combo;
}

void VeskTypeComponent::addControl (juce::Component& group, juce::Component* control, juce::Rectangle<int> bounds)
{
    group.addAndMakeVisible (control);
    bindings.push_back ({ control, bounds, -1 });
}

bool VeskTypeComponent::storeControl (juce::Component* control)
{
    for (auto& binding : bindings)
    {
        if (binding.control != control || binding.offset < 0)
            continue;

        const auto& field = VeskFieldTable::pattern (binding.offset, partType);

        if (auto* knob = dynamic_cast<juce::Slider*> (control))
        {
            storePatternField (binding.offset, field.stored (knob->getValue()));
            return true;
        }

        if (auto* combo = dynamic_cast<juce::ComboBox*> (control))
        {
            const int index = combo->getSelectedItemIndex();

            // Nothing shown means nothing chosen: -1 must not reach the unit as 127.
            if (index < 0)
                return false;

            storePatternField (binding.offset, field.stored (index));
            return true;
        }
    }

    return false;
}

void VeskTypeComponent::readControls (int controllerNumber)
{
    // Received data reaches the editors through the message loop, never under a lock from another thread.
    JUCE_ASSERT_MESSAGE_THREAD

    const int controllerOffset = VeskDecoder::patternOffsetForController (controllerNumber);

    if (controllerNumber != 0 && controllerOffset < 0)
        return;

    for (auto& binding : bindings)
    {
        if (binding.offset < 0 || (controllerNumber != 0 && binding.offset != controllerOffset))
            continue;

        const double shown = VeskFieldTable::pattern (binding.offset, partType).shownAt (model->currentPattern, binding.offset);

        if (auto* knob = dynamic_cast<juce::Slider*> (binding.control))
            knob->setValue (shown, juce::dontSendNotification);
        else if (auto* combo = dynamic_cast<juce::ComboBox*> (binding.control))
            combo->setSelectedItemIndex ((int) shown, juce::dontSendNotification);
    }
}

void VeskTypeComponent::layOut (juce::Component& panel, juce::Component& grid, int panelWidth, int panelHeight)
{
    if (panel.isVisible())
        setBounds (editorX, editorY, panelWidth, panelHeight);
    else
        setBounds (editorX, editorY, grid.getWidth(), grid.getHeight());

    panel.setBounds (0, 0, panelWidth, panelHeight);

    for (auto& binding : bindings)
        binding.control->setBounds (binding.bounds);

    if (auto* page = getParentComponent())
        page->resized();
}

void VeskTypeComponent::showGridInsteadOfPanel (juce::Component& panel, SequencerComponent& grid, bool showGrid)
{
    panel.setVisible (! showGrid);
    grid.setVisible (showGrid);
    resized();

    // Only now is the page tall enough to scroll to the grid's notes. Going back
    // and forth between panel and grid keeps the view the user chose.
    grid.revealNotes (true);
}
