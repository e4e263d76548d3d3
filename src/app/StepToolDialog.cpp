#include "StepToolDialog.h"
#include "model/VeskSoundTools.h"

static_assert (VeskStepTools::typeLane == 1 << 3 && VeskSoundTools::outputPanel == 1 << 5, "the lock toggles are the bits in order");

namespace
{
    constexpr int rowHeight = 24, labelWidth = 110, margin = 10, width = 380;

    void setUpSlider (juce::Slider& slider, int lowest, int highest, int value, const char* suffix = "")
    {
        slider.setSliderStyle (juce::Slider::SliderStyle::LinearHorizontal);
        slider.setTextBoxStyle (juce::Slider::TextEntryBoxPosition::TextBoxRight, false, 50, 20);
        slider.setRange (lowest, highest, 1);
        slider.setTextValueSuffix (suffix);
        slider.setValue (value, juce::dontSendNotification);
    }

    // The four lanes in one row, the six panels in two.
    int locksPerRow (int numLocks) { return numLocks == 4 ? 4 : 3; }
}

StepToolDialog::StepToolDialog (Kind kindToShow, const juce::String& title, const Settings& initial)
    : applyButton (title),
      kind (kindToShow)
{
    if (takes (VeskToolRunner::takesSeed))
    {
        seedEditor.setInputRestrictions (20, "0123456789");
        seedEditor.setEscapeAndReturnKeysConsumed (false); // Escape closes the window
        seedEditor.setSelectAllWhenFocused (true); // a seed is typed whole
        seedEditor.setText (juce::String (initial.seed), false);
        addRow ("Seed", seedEditor);
        addAndMakeVisible (newSeedButton);
        newSeedButton.onClick = [this]
        { seedEditor.setText (juce::String (VeskSeed::make())); };
    }

    if (kind == Kind::blend)
    {
        addRow ("A (changed)", blendedA);
        addRow ("B (mixed in)", blendedB);
    }

    if (takes (VeskToolRunner::takesAmount))
    {
        // Humanize's amount is a step of level or gate; the others' a share.
        const auto range = VeskToolRunner::amountRange (kind);
        setUpSlider (amountSlider, range.first, range.second, initial.amount, kind == Kind::humanize ? "" : " %");
        addRow (kind == Kind::humanize ? "At most" : kind == Kind::blend ? "Towards B"
                                                                         : "Changed",
                amountSlider);
    }

    if (takes (VeskToolRunner::takesScale))
    {
        scaleCombo.addItemList (Settings::scaleNames(), 1);
        scaleCombo.setSelectedItemIndex ((int) initial.scale, juce::dontSendNotification);
        addRow ("Scale", scaleCombo);
        rootCombo.addItemList (Settings::rootNames(), 1);
        rootCombo.setSelectedItemIndex (initial.root, juce::dontSendNotification);
        addRow ("Root", rootCombo);
    }

    if (takes (VeskToolRunner::takesDensity))
    {
        setUpSlider (densitySlider, 0, 100, initial.density, " %");
        addRow ("Density", densitySlider);
    }

    if (takes (VeskToolRunner::takesCycle))
    {
        setUpSlider (hitsSlider, 0, VeskImage::Pattern::numSteps, initial.hits);
        addRow ("Hits", hitsSlider);
        setUpSlider (stepsSlider, 1, VeskImage::Pattern::numSteps, initial.steps);
        addRow ("Steps", stepsSlider);
        setUpSlider (rotationSlider, 0, VeskImage::Pattern::numSteps - 1, initial.rotation);
        addRow ("Rotation", rotationSlider);
        setUpSlider (noteSlider, 0, 127, initial.note.value_or (36));
        noteToggle.setToggleState (initial.note.has_value(), juce::dontSendNotification);
        addAndMakeVisible (noteToggle);
        addRow ("", noteSlider);
    }

    if (takes (VeskToolRunner::takesLanes) || takes (VeskToolRunner::takesPanels))
    {
        const bool lanes = takes (VeskToolRunner::takesLanes);
        const auto& names = lanes ? Settings::laneNames() : Settings::panelNames();
        const int locked = lanes ? initial.lockedLanes : initial.lockedPanels;

        for (int i = 0; i < names.size(); ++i)
        {
            auto* lock = locks.add (std::make_unique<juce::ToggleButton> (names[i]));
            lock->setToggleState ((locked & (1 << i)) != 0, juce::dontSendNotification);
            addAndMakeVisible (lock);
        }

        locksLabel.setText ("Keep as it is", juce::dontSendNotification);
        addAndMakeVisible (locksLabel);
    }

    refusalLabel.setColour (juce::Label::textColourId, juce::Colours::darkred);
    addAndMakeVisible (refusalLabel);

    for (auto* button : { &applyButton, &cancelButton })
        addAndMakeVisible (button);

    applyButton.onClick = [this]
    { apply(); };
    cancelButton.onClick = [this]
    {
        if (onClose != nullptr)
            onClose();
    };

    // Tab goes through the fields and buttons in the order they were added, which is the order they read.
    setFocusContainerType (FocusContainerType::keyboardFocusContainer);
    int order = 0;

    for (auto* child : getChildren())
        child->setExplicitFocusOrder (++order);

    for (auto* field : fields())
        field->keys = &keys;

    for (auto* child : getChildren())
        if (dynamic_cast<juce::Button*> (child) != nullptr || dynamic_cast<juce::ComboBox*> (child) != nullptr)
            child->addKeyListener (&keys);

    seedEditor.addKeyListener (&keys);
    juce::Desktop::getInstance().addFocusChangeListener (this);

    const int lockRows = (locks.size() + locksPerRow (locks.size()) - 1) / locksPerRow (locks.size());
    setSize (width, margin + ((int) rows.size() + lockRows + (lockRows > 0 ? 1 : 0)) * rowHeight + 2 * rowHeight + 30 + margin);
}

StepToolDialog::~StepToolDialog()
{
    juce::Desktop::getInstance().removeFocusChangeListener (this);
}

void StepToolDialog::globalFocusChanged (juce::Component* focused)
{
    // The window takes the focus for itself as it comes on screen, after
    // whatever was given it before.
    if (focused != nullptr && focused != this && focused == getTopLevelComponent())
        focusFirstField();

    repaint();
}

void StepToolDialog::paintOverChildren (juce::Graphics& g)
{
    // Where Tab has gone: the buttons and lists draw no focus of their own, as the text boxes do.
    for (auto* child : getChildren())
    {
        if (child->hasKeyboardFocus (false) && (dynamic_cast<juce::Button*> (child) != nullptr || dynamic_cast<juce::ComboBox*> (child) != nullptr))
        {
            g.setColour (seedEditor.findColour (juce::TextEditor::focusedOutlineColourId));
            g.drawRect (child->getBounds().expanded (2), 2);
        }
    }
}

void StepToolDialog::addRow (const juce::String& text, juce::Component& control)
{
    auto label = std::make_unique<juce::Label> (juce::String(), text);
    addAndMakeVisible (*label);
    addAndMakeVisible (control);
    rows.push_back ({ std::move (label), &control });
}

void StepToolDialog::resized()
{
    auto area = getLocalBounds().reduced (margin);

    for (auto& row : rows)
    {
        auto line = area.removeFromTop (rowHeight).reduced (0, 2);
        auto labelArea = line.removeFromLeft (labelWidth);
        row.label->setBounds (labelArea);

        if (row.control == &seedEditor)
            newSeedButton.setBounds (line.removeFromRight (80));
        else if (row.control == &noteSlider)
            noteToggle.setBounds (labelArea);

        row.control->setBounds (line.withTrimmedRight (row.control == &seedEditor ? 6 : 0));
    }

    if (! locks.isEmpty())
    {
        locksLabel.setBounds (area.removeFromTop (rowHeight));

        const int perRow = locksPerRow (locks.size());

        for (int i = 0; i < locks.size(); i += perRow)
        {
            auto line = area.removeFromTop (rowHeight);

            for (int j = i; j < juce::jmin (i + perRow, locks.size()); ++j)
                locks[j]->setBounds (line.removeFromLeft (line.getWidth() / (perRow - (j - i))));
        }
    }

    refusalLabel.setBounds (area.removeFromTop (2 * rowHeight));
    auto buttons = area.removeFromBottom (26);
    cancelButton.setBounds (buttons.removeFromRight (90));
    buttons.removeFromRight (10);
    applyButton.setBounds (buttons.removeFromRight (110));
}

juce::String StepToolDialog::read (Settings& settings) const
{
    settings.amount = (int) amountSlider.getValue();
    settings.scale = (VeskStepTools::Scale) juce::jmax (0, scaleCombo.getSelectedItemIndex());
    settings.root = juce::jmax (0, rootCombo.getSelectedItemIndex());
    settings.density = (int) densitySlider.getValue();
    settings.hits = (int) hitsSlider.getValue();
    settings.steps = (int) stepsSlider.getValue();
    settings.rotation = (int) rotationSlider.getValue();

    if (noteToggle.getToggleState())
        settings.note = (int) noteSlider.getValue();

    int locked = 0;

    for (int i = 0; i < locks.size(); ++i)
        if (locks[i]->getToggleState())
            locked |= 1 << i;

    (takes (VeskToolRunner::takesPanels) ? settings.lockedPanels : settings.lockedLanes) = locked;
    return takes (VeskToolRunner::takesSeed) ? settings.readSeed (seedEditor.getText()) : juce::String();
}

void StepToolDialog::nameBlended (const juce::String& a, const juce::String& b)
{
    for (auto [label, text] : { std::pair (&blendedA, a), std::pair (&blendedB, b) })
    {
        label->setText (text, juce::dontSendNotification);
        label->setTooltip (text);
    }
}

std::vector<StepToolDialog::Field*> StepToolDialog::fields()
{
    return { &amountSlider, &densitySlider, &hitsSlider, &stepsSlider, &rotationSlider, &noteSlider };
}

void StepToolDialog::focusFirstField()
{
    auto* first = createKeyboardFocusTraverser()->getDefaultComponent (this);

    if (auto* field = first != nullptr ? dynamic_cast<Field*> (first->getParentComponent()) : nullptr)
        field->showTextBox(); // its text selected, as Tab opens it
    else if (first != nullptr)
        first->grabKeyboardFocus();
}

void StepToolDialog::Field::lookAndFeelChanged()
{
    juce::Slider::lookAndFeelChanged();

    // The slider makes a new value box here, which it keeps out of Tab's way.
    for (auto* child : getChildren())
    {
        if (auto* box = dynamic_cast<juce::Label*> (child))
        {
            box->setWantsKeyboardFocus (true);
            box->addListener (this);
        }
    }
}

void StepToolDialog::Field::editorShown (juce::Label*, juce::TextEditor& editor)
{
    editor.setEscapeAndReturnKeysConsumed (false); // Escape closes the window

    if (keys != nullptr)
        editor.addKeyListener (keys);
}

bool StepToolDialog::Keys::keyPressed (const juce::KeyPress& key, juce::Component* origin)
{
    auto* button = dynamic_cast<juce::Button*> (origin);

    if (key == juce::KeyPress::spaceKey && button != nullptr)
    {
        button->triggerClick();
        return true;
    }

    // A focused push button takes Return itself, as a dialog's buttons do.
    if (key == juce::KeyPress::returnKey && (button == nullptr || button->getClickingTogglesState()))
    {
        dialog.apply();
        return true;
    }

    return false;
}

void StepToolDialog::apply()
{
    // A value still being typed counts, as it does when Tab leaves its box.
    for (auto* field : fields())
        field->hideTextBox (false);

    Settings settings;
    auto refusal = read (settings);

    if (refusal.isNotEmpty())
        refusal << ".";
    else if (onApply != nullptr)
        refusal = onApply (settings);

    refusalLabel.setText (refusal, juce::dontSendNotification);

    if (refusal.isEmpty() && onClose != nullptr)
        onClose();
}
