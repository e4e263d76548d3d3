#include "StepsCommands.h"
#include "SessionTexts.h"
#include "editors/LibraryRows.h"
#include "editors/VariationsComponent.h"
#include "model/VeskSoundTools.h"
#include "model/VeskStepTypes.h"

namespace
{
    using Refusal = VeskToolResult::Refusal;

    juce::String describe (Refusal refusal, const juce::uint8* record)
    {
        switch (refusal)
        {
            case Refusal::stepsOverPlayed:
                return "The cycle can be at most as long as the pattern plays: "
                       + juce::String (VeskImage::Pattern::playedSteps (record)) + " steps.";
            case Refusal::hitsOverSteps: return "A cycle has room for as many hits as it has steps, and no fewer than none.";
            case Refusal::tooFewSteps: return "A cycle needs at least one step.";
            case Refusal::alreadyTwoBars: return "The pattern already has two bars: doubling it would lose its second bar.";
            case Refusal::noteOutOfRange: return "A note lies from 0 to 127.";
            case Refusal::differentTypes: return "Only two patterns of the same type can be blended.";
            case Refusal::percentOutOfRange: return "The amount lies from 0 to 100.";
            case Refusal::noSteps: return "A Line In pattern plays the input, not steps: it has no steps to change.";
            case Refusal::none: break;
        }

        return {};
    }

    juce::String clampedText (int clamped)
    {
        return (clamped == 1 ? juce::String ("1 note") : juce::String (clamped) + " notes")
               + " could not move that far and stopped at the end of the range.";
    }

    std::uint64_t newSeed()
    {
        return (std::uint64_t) juce::Random::getSystemRandom().nextInt (juce::Range<int> (1, 1000000000));
    }

    StepToolDialog::Kind kindOf (juce::CommandID commandID)
    {
        using Kind = StepToolDialog::Kind;

        switch (commandID)
        {
            case StepsCommands::humanize: return Kind::humanize;
            case StepsCommands::randomize: return Kind::randomize;
            case StepsCommands::mutate: return Kind::mutate;
            case StepsCommands::euclid: return Kind::euclid;
            case StepsCommands::randomizeSound: return Kind::randomizeSound;
            case StepsCommands::mutateSound: return Kind::mutateSound;
            default: return Kind::blend;
        }
    }

    bool hasSettings (juce::CommandID commandID)
    {
        return (commandID >= StepsCommands::humanize && commandID <= StepsCommands::euclid)
               || (commandID >= StepsCommands::randomizeSound && commandID <= StepsCommands::blend);
    }
}

StepsCommands::StepsCommands (VeskComponent& editorToUse, AppDialogs& dialogsToUse, juce::ApplicationCommandManager& commandManagerToUse)
    : editor (editorToUse),
      session (editorToUse.session),
      dialogs (dialogsToUse),
      commandManager (commandManagerToUse)
{
}

juce::String StepsCommands::nameOf (juce::CommandID commandID)
{
    switch (commandID)
    {
        case rotateLeft: return "Rotate Left";
        case rotateRight: return "Rotate Right";
        case reverseSteps: return "Reverse";
        case transposeUp: return "Transpose Up A Semitone";
        case transposeDown: return "Transpose Down A Semitone";
        case octaveUp: return "Transpose Up An Octave";
        case octaveDown: return "Transpose Down An Octave";
        case doubleLength: return "Double";
        case clearSteps: return "Clear";
        case humanize: return "Humanize";
        case randomize: return "Randomize";
        case mutate: return "Mutate";
        case euclid: return "Euclid";
        case variations: return "Variations";
        case randomizeSound: return "Randomize Sound";
        case mutateSound: return "Mutate Sound";
        case blend: return "Blend";
        default: return {};
    }
}

juce::PopupMenu StepsCommands::getMenu()
{
    juce::PopupMenu menu;

    for (int id : { (int) rotateLeft, (int) rotateRight, (int) reverseSteps, 0, (int) transposeUp, (int) transposeDown, (int) octaveUp,
                    (int) octaveDown, 0, (int) doubleLength, (int) clearSteps, 0, (int) humanize, (int) randomize, (int) mutate,
                    (int) euclid, 0, (int) variations, 0, (int) randomizeSound, (int) mutateSound, (int) blend })
    {
        if (id == 0)
            menu.addSeparator();
        else
            menu.addCommandItem (&commandManager, id);
    }

    return menu;
}

void StepsCommands::getAllCommands (juce::Array<juce::CommandID>& commands) const
{
    for (juce::CommandID id = rotateLeft; id <= blend; ++id)
        commands.add (id);
}

bool StepsCommands::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) const
{
    if (commandID < rotateLeft || commandID > blend)
        return false;

    const auto ctrl = juce::ModifierKeys::commandModifier;
    const auto shift = juce::ModifierKeys::shiftModifier;
    const auto text = nameOf (commandID) + (hasSettings (commandID) || commandID == variations ? "..." : "");

    static const std::map<juce::CommandID, const char*> descriptions {
        { rotateLeft, "Move every played step one step earlier; the first becomes the last" },
        { rotateRight, "Move every played step one step later; the last becomes the first" },
        { reverseSteps, "Play the steps in the opposite order" },
        { transposeUp, "Move every step's note a semitone up" },
        { transposeDown, "Move every step's note a semitone down" },
        { octaveUp, "Move every step's note an octave up" },
        { octaveDown, "Move every step's note an octave down" },
        { doubleLength, "Copy bar 1 into bar 2 and make the pattern two bars long" },
        { clearSteps, "Make every played step a rest (on a Rythm pattern empty)" },
        { humanize, "Move the steps' levels and gates by a random amount" },
        { randomize, "New notes from a scale, levels, gates and step types, from a seed" },
        { mutate, "Change some of the steps a little, from a seed" },
        { euclid, "Spread hits as evenly as possible over the steps" },
        { variations, "Listen through mutations of the pattern and keep one" },
        { randomizeSound, "Give the shown sound's knobs random values, from a seed" },
        { mutateSound, "Change some of the shown sound's knobs a little, from a seed" },
        { blend, "Mix the second selected pattern into the first" },
    };

    result.setInfo (text, descriptions.at (commandID), "Steps", 0);
    result.setActive (commandID == blend ? canBlend() : patternsInFront() && (! isStepTool (commandID) || shownHasSteps()));

    switch (commandID)
    {
        case rotateLeft: result.addDefaultKeypress ('[', ctrl); break;
        case rotateRight: result.addDefaultKeypress (']', ctrl); break;
        case reverseSteps: result.addDefaultKeypress ('r', ctrl); break;
        case transposeUp: result.addDefaultKeypress (juce::KeyPress::upKey, ctrl); break;
        case transposeDown: result.addDefaultKeypress (juce::KeyPress::downKey, ctrl); break;
        case octaveUp: result.addDefaultKeypress (juce::KeyPress::upKey, ctrl | shift); break;
        case octaveDown: result.addDefaultKeypress (juce::KeyPress::downKey, ctrl | shift); break;
        case doubleLength: result.addDefaultKeypress ('d', ctrl); break;
        case variations: result.addDefaultKeypress ('v', ctrl | shift); break;
        default: break;
    }

    return true;
}

bool StepsCommands::perform (juce::CommandID commandID)
{
    if (commandID < rotateLeft || commandID > blend)
        return false;

    const auto name = nameOf (commandID);

    if (dialogs.refusedWhileBusy (name))
        return true;

    // Greyed in the menu; a caller that invokes it anyway gets no window and no undo step.
    if (isStepTool (commandID) && ! shownHasSteps())
        return true;

    if (commandID == variations)
        showVariations (newSeed());
    else if (hasSettings (commandID))
        showSettings (commandID);
    else if (const auto refusal = apply (commandID, {}); refusal.isNotEmpty())
        dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, name, refusal);

    return true;
}

VeskToolResult StepsCommands::run (juce::CommandID commandID, const StepToolDialog::Settings& settings) const
{
    const auto* shown = session.getModel().currentPattern;
    const auto seed = settings.seed;
    const auto lanes = settings.lockedLanes;

    switch (commandID)
    {
        case rotateLeft: return VeskStepTools::rotate (shown, -1);
        case rotateRight: return VeskStepTools::rotate (shown, 1);
        case reverseSteps: return VeskStepTools::reverse (shown);
        case transposeUp: return VeskStepTools::transpose (shown, 1);
        case transposeDown: return VeskStepTools::transpose (shown, -1);
        case octaveUp: return VeskStepTools::transpose (shown, 12);
        case octaveDown: return VeskStepTools::transpose (shown, -12);
        case doubleLength: return VeskStepTools::doubleLength (shown);
        case clearSteps: return VeskStepTools::clear (shown);
        case humanize: return VeskStepTools::humanize (shown, settings.amount, seed, lanes);
        case mutate: return VeskStepTools::mutate (shown, settings.amount, seed, lanes, settings.scale, settings.root);
        case euclid: return VeskStepTools::euclid (shown, settings.hits, settings.steps, settings.rotation, settings.note);
        case randomizeSound: return VeskSoundTools::randomize (shown, seed, settings.lockedPanels);
        case mutateSound: return VeskSoundTools::mutate (shown, settings.amount, seed, settings.lockedPanels);

        case randomize:
        {
            VeskStepTools::RandomizeOptions options;
            options.scale = settings.scale;
            options.root = settings.root;
            options.density = settings.density;
            return VeskStepTools::randomize (shown, options, seed, lanes);
        }

        default:
            return {};
    }
}

juce::String StepsCommands::apply (juce::CommandID commandID, const StepToolDialog::Settings& settings)
{
    const auto name = nameOf (commandID);
    lastSettings[commandID] = settings;

    if (commandID == blend)
    {
        if (! canBlend())
            return "Select two patterns on the Library page: the first takes the blend.";

        const auto slots = editor.libraryPage->getSelectedSlots();
        auto& model = session.getModel();
        const auto mixed = VeskSoundTools::blend (model.bytesOf (slots[0]), model.bytesOf (slots[1]), settings.amount);

        if (mixed.refused())
            return describe (mixed.refusal, model.bytesOf (slots[0]));

        const auto outcome = session.changeRecords (name, { slots[0] }, [&]
                                                    { std::copy (mixed.record.begin(), mixed.record.end(), model.bytesOf (slots[0])); });
        return outcome.failed() ? SessionTexts::describe (outcome) : juce::String();
    }

    const auto result = run (commandID, settings);

    if (result.refused())
        return describe (result.refusal, session.getModel().currentPattern);

    const auto outcome = session.editShownPattern (name, result.record.data());

    if (outcome.failed())
        return SessionTexts::describe (outcome);

    if (result.clamped > 0)
        dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, name, clampedText (result.clamped));

    return {};
}

StepToolDialog::Settings StepsCommands::settingsFor (juce::CommandID commandID)
{
    auto settings = lastSettings.count (commandID) != 0 ? lastSettings[commandID] : StepToolDialog::Settings();

    if (lastSettings.count (commandID) == 0 && commandID == humanize)
        settings.amount = 8;

    if (lastSettings.count (commandID) == 0 && commandID == blend)
        settings.amount = 50;

    settings.seed = newSeed();
    return settings;
}

void StepsCommands::showSettings (juce::CommandID commandID)
{
    const auto name = nameOf (commandID);
    auto panel = std::make_unique<StepToolDialog> (kindOf (commandID), name, settingsFor (commandID));
    auto* dialog = panel.get();
    panel->onApply = [this, commandID] (const StepToolDialog::Settings& settings)
    { return apply (commandID, settings); };
    panel->onClose = [dialog]
    { AppDialogs::close (*dialog); };

    if (commandID == blend && canBlend())
    {
        const auto slots = editor.libraryPage->getSelectedSlots();
        auto& model = session.getModel();
        dialog->nameBlended (LibraryRows::describe (model.bytesOf (slots[0]), slots[0]),
                             LibraryRows::describe (model.bytesOf (slots[1]), slots[1]));
    }

    dialogs.showToolWindow (name, std::move (panel));
}

void StepsCommands::showVariations (std::uint64_t firstSeed)
{
    const auto name = nameOf (variations);

    if (! shownHasSteps())
    {
        dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, name, describe (Refusal::noSteps, session.getModel().currentPattern));
        return;
    }

    const auto begun = session.getAudition().begin (name);

    if (begun.failed())
    {
        dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, name, SessionTexts::describe (begun));
        return;
    }

    auto panel = std::make_unique<VariationsComponent> (session, firstSeed);
    auto* shown = panel.get();
    panel->onFinished = [shown] (const SessionResult&)
    { AppDialogs::close (*shown); };
    panel->onRefused = [this, name] (const SessionResult& result)
    { dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, name, SessionTexts::describe (result)); };

    // Its number keys and Return reach it at once: the focus is taken once
    // the window is on screen, as the window takes it first for itself.
    if (dialogs.showToolWindow (name, std::move (panel)) != nullptr)
    {
        juce::Component::SafePointer<VariationsComponent> safePanel (shown);
        juce::MessageManager::callAsync ([safePanel]
                                         {
                                             if (safePanel != nullptr)
                                                 safePanel->grabKeyboardFocus(); });
    }
}

bool StepsCommands::isStepTool (juce::CommandID commandID)
{
    return commandID >= rotateLeft && commandID <= variations;
}

bool StepsCommands::shownHasSteps() const
{
    return VeskStepTypes::hasSteps (session.getModel().currentPattern[VeskImage::Pattern::type]);
}

bool StepsCommands::canBlend() const
{
    return editor.isLibraryPageCurrent() && editor.libraryPage->getSelectedSlots().size() == 2;
}
