#include "PatternsComponent.h"

#include "VeskBassComponent.h"
#include "VeskLeadComponent.h"
#include "VeskLineinComponent.h"
#include "VeskRythmComponent.h"
#include "model/VeskFieldTable.h"
#include "model/VeskNames.h"

namespace
{
    juce::StringArray patternItems()
    {
        juce::StringArray items;

        for (const auto block : VeskBlock::patterns())
        {
            jassert (block.selectorIndex() == items.size());
            items.add (block.name());
        }

        return items;
    }

    juce::ToggleButton* createToggle (const juce::String& text, int radioGroup)
    {
        auto* toggle = new juce::ToggleButton (text);
        toggle->setName (text);

        if (radioGroup != 0)
            toggle->setRadioGroupId (radioGroup);

        return toggle;
    }

    const VeskFieldTable::Entry& entryOf (const VeskModel& model, int offset)
    {
        return VeskFieldTable::pattern (offset, model.currentPattern);
    }
}

PatternsComponent::PatternsComponent (VeskSession& sessionToUse)
    : session (sessionToUse),
      model (&sessionToUse.getModel()),
      commonPicture (VeskTypeComponent::panelPicture ("commonGroup"))
{
    pageLookAndFeel.usePageColours();
    setLookAndFeel (&pageLookAndFeel);

    commonGroup = new MyGroupComponent ("commonGroup", &commonPicture);
    addAndMakeVisible (commonGroup);
    dragOut = std::make_unique<PatternDragOut> (session, *commonGroup, 15); // the picture's title bar

    patternsCombo = VeskTypeComponent::createCombo ("patternsCombo", this, patternItems());
    commonGroup->addAndMakeVisible (patternsCombo);
    patternsCombo->setSelectedItemIndex (model->getShownBlock().selectorIndex(), juce::dontSendNotification);

    sendButton = new juce::TextButton ("Send");
    commonGroup->addAndMakeVisible (sendButton);
    sendButton->addListener (this);

    storeButton = new juce::TextButton ("Store");
    commonGroup->addAndMakeVisible (storeButton);
    storeButton->addListener (this);

    typeCombo = VeskTypeComponent::createCombo ("typeCombo", this, VeskNames::partTypes());
    commonGroup->addAndMakeVisible (typeCombo);

    tempoSlider = new juce::Slider ("tempoSlider");
    commonGroup->addAndMakeVisible (tempoSlider);
    tempoSlider->addListener (this);
    tempoSlider->addListener (&tempoGestures);
    const auto& tempo = entryOf (*model, VeskImage::Pattern::tempoHigh);
    tempoSlider->setRange (tempo.lowest, tempo.highest, tempo.interval);
    tempoSlider->setPopupMenuEnabled (true);
    tempoSlider->setSliderStyle (juce::Slider::SliderStyle::IncDecButtons);
    tempoSlider->setTextBoxStyle (juce::Slider::TextEntryBoxPosition::TextBoxLeft, false, 30, 15);
    tempoSlider->setIncDecButtonsMode (juce::Slider::IncDecButtonMode::incDecButtonsDraggable_Vertical);

    loopCtrlCombo = VeskTypeComponent::createCombo ("loopCtrlCombo", this, VeskNames::loopCtrls());
    commonGroup->addAndMakeVisible (loopCtrlCombo);

    oneBarToggle = createToggle ("1", 1);
    twoBarsToggle = createToggle ("2", 1);
    twelveStepsToggle = createToggle ("12", 2);
    sixteenStepsToggle = createToggle ("16", 2);
    synthSeqToggle = createToggle ("Synth / Seq", 0);

    for (auto* toggle : { oneBarToggle, twoBarsToggle, twelveStepsToggle, sixteenStepsToggle, synthSeqToggle })
    {
        commonGroup->addAndMakeVisible (toggle);
        toggle->addListener (this);
    }

    // Until a part editor sizes the page, it is as large as the band.
    setSize (groupWidth + 2, groupHeight + 3);

    // The type combo shows nothing yet, so this builds the part editor (once).
    resized();
    updateFromPattern (0);
}

PatternsComponent::~PatternsComponent()
{
    dragOut = nullptr;
    deleteAllChildren();
    setLookAndFeel (nullptr);
}

void PatternsComponent::resized()
{
    // The size only: the viewport scrolls the page by moving it, and keeps
    // that place as far as the new size allows.
    if (partEditor != nullptr)
        setSize (juce::jmax (groupWidth, partEditor->getWidth()) + 2, partEditor->getHeight() + groupHeight + 3);

    commonGroup->setBounds (1, 1, groupWidth, groupHeight);
    patternsCombo->setBounds (7, 32, 96, 17);
    sendButton->setBounds (110, 32, 45, 17);
    storeButton->setBounds (162, 32, 45, 17);
    synthSeqToggle->setBounds (214, 32, 90, 17);
    typeCombo->setBounds (7, 65, 60, 17);
    tempoSlider->setBounds (74, 65, 60, 15);
    loopCtrlCombo->setBounds (141, 65, 60, 17);
    oneBarToggle->setBounds (208, 65, 30, 17);
    twoBarsToggle->setBounds (238, 65, 30, 17);
    twelveStepsToggle->setBounds (275, 65, 30, 17);
    sixteenStepsToggle->setBounds (305, 65, 30, 17);
}

void PatternsComponent::rebuildPartEditor()
{
    if (partEditor != nullptr)
    {
        removeChildComponent (partEditor);
        delete partEditor;
        partEditor = nullptr;
    }

    switch (model->currentPattern[VeskImage::Pattern::type])
    {
        case VeskImage::PartType::lineIn:
            partEditor = new VeskLineinComponent (session);
            break;

        case VeskImage::PartType::lead:
            partEditor = new VeskLeadComponent (session);
            break;

        case VeskImage::PartType::bass:
            partEditor = new VeskBassComponent (session);
            break;

        case VeskImage::PartType::rythm:
            partEditor = new VeskRythmComponent (session);
            break;

        // Filter, Isolator, Phaser and Slicer have nothing to edit below the band.
        default:
            break;
    }

    if (partEditor == nullptr)
        return;

    addAndMakeVisible (partEditor);
    partEditor->setLookAndFeel (&pageLookAndFeel);
    partEditor->resized();
    resized();
    partEditor->updateFromPattern (0);

    // A new editor shows the view the toggle says, so the two never disagree.
    if (synthSeqToggle->getToggleState())
        partEditor->showSequencer (true);
}

void PatternsComponent::updateFromPattern (int controllerNumber)
{
    using namespace VeskImage::Pattern;
    auto* pattern = model->currentPattern;

    bool editorIsNew = false;

    if (controllerNumber == 0)
    {
        const int shownType = typeCombo->getSelectedItemIndex();
        typeCombo->setSelectedItemIndex ((int) entryOf (*model, type).shownAt (pattern, type), juce::dontSendNotification);

        if (typeCombo->getSelectedItemIndex() != shownType)
        {
            rebuildPartEditor();
            editorIsNew = true;
        }

        tempoSlider->setValue (entryOf (*model, tempoHigh).shownAt (pattern, tempoHigh), juce::dontSendNotification);

        const bool oneBar = entryOf (*model, patternLength).shownAt (pattern, patternLength) == 1;
        const bool twelveSteps = entryOf (*model, stepsPerBar).shownAt (pattern, stepsPerBar) == 12;
        (oneBar ? oneBarToggle : twoBarsToggle)->setToggleState (true, juce::dontSendNotification);
        (twelveSteps ? twelveStepsToggle : sixteenStepsToggle)->setToggleState (true, juce::dontSendNotification);

        // The unit is told the loop control again when the shown one changes.
        loopCtrlCombo->setSelectedItemIndex ((int) entryOf (*model, loopCtrl).shownAt (pattern, loopCtrl), juce::sendNotificationAsync);
    }

    // A new editor has read the whole pattern already.
    if (partEditor != nullptr && ! editorIsNew)
        partEditor->updateFromPattern (controllerNumber);
}

void PatternsComponent::comboBoxChanged (juce::ComboBox* combo)
{
    using namespace VeskImage::Pattern;

    if (combo == patternsCombo)
    {
        // No valid selection is the temporary pattern.
        const auto chosen = VeskBlock::fromSelectorIndex (patternsCombo->getSelectedItemIndex());
        session.showPattern (chosen.value_or (VeskBlock::temporary()));

        // Shows the pattern, and replaces the editor (once) when its type differs
        // from the one shown. The toggle keeps the view the user was in; a new
        // editor follows it.
        updateFromPattern (0);

        // Another pattern's notes may lie far from the rows of the last one.
        if (partEditor != nullptr)
            for (auto* child : partEditor->getChildren())
                if (auto* grid = dynamic_cast<SequencerComponent*> (child))
                    grid->revealNotes (false);
    }
    else if (combo == typeCombo)
    {
        const int value = typeCombo->getSelectedItemIndex();

        if (value < 0)
            return;

        session.edit (VeskField::pattern (type), entryOf (*model, type).stored (value));
        synthSeqToggle->setToggleState (false, juce::dontSendNotification);
        rebuildPartEditor();
    }
    else if (combo == loopCtrlCombo)
    {
        const int value = loopCtrlCombo->getSelectedItemIndex();

        // A stored value beyond the list empties the combo; that must not be
        // written back as an index of -1.
        if (value < 0)
            return;

        session.edit (VeskField::pattern (loopCtrl), entryOf (*model, loopCtrl).stored (value));
    }
}

void PatternsComponent::sliderValueChanged (juce::Slider* slider)
{
    if (slider == tempoSlider)
        session.edit (VeskField::tempo(), entryOf (*model, VeskImage::Pattern::tempoHigh).stored (tempoSlider->getValue()));
}

void PatternsComponent::buttonClicked (juce::Button* button)
{
    using namespace VeskImage::Pattern;

    // A radio click also reports the partner being switched off; only the
    // button now on speaks, so one click sends one message.
    if ((button == oneBarToggle || button == twoBarsToggle || button == twelveStepsToggle || button == sixteenStepsToggle)
        && ! button->getToggleState())
        return;

    if (button == oneBarToggle || button == twoBarsToggle)
    {
        const int bars = oneBarToggle->getToggleState() ? 1 : 2;
        session.edit (VeskField::pattern (patternLength), entryOf (*model, patternLength).stored (bars));

        if (partEditor != nullptr)
            partEditor->updateFromPattern (0);
    }
    else if (button == twelveStepsToggle || button == sixteenStepsToggle)
    {
        const int steps = twelveStepsToggle->getToggleState() ? 12 : 16;
        session.edit (VeskField::pattern (stepsPerBar), entryOf (*model, stepsPerBar).stored (steps));

        if (partEditor != nullptr)
            partEditor->updateFromPattern (0);
    }
    else if (button == sendButton || button == storeButton)
    {
        const bool sending = button == sendButton;
        const auto shown = session.getShownPattern();
        const auto result = sending ? session.sendToUnit (shown) : session.askUnitFor (shown);

        if (result.failed() && onMessage != nullptr)
            onMessage (sending ? "Send" : "Store", result);
    }
    else if (button == synthSeqToggle)
    {
        if (partEditor != nullptr)
            partEditor->showSequencer (synthSeqToggle->getToggleState());
    }
}
