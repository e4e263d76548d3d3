#include "StepsCommands.h"
#include "SessionTexts.h"
#include "editors/LibraryRows.h"
#include "editors/VariationsComponent.h"
#include "model/VeskStepTypes.h"

#include <optional>

namespace
{
    using Tool = VeskToolRunner::Tool;

    /** The runner's tool a command runs, and the shift it runs it by (Rotate's and Transpose's); none for Variations. */
    std::optional<std::pair<Tool, int>> toolOf (juce::CommandID commandID)
    {
        switch (commandID)
        {
            case StepsCommands::rotateLeft: return std::pair (Tool::rotate, -1);
            case StepsCommands::rotateRight: return std::pair (Tool::rotate, 1);
            case StepsCommands::reverseSteps: return std::pair (Tool::reverse, 0);
            case StepsCommands::transposeUp: return std::pair (Tool::transpose, 1);
            case StepsCommands::transposeDown: return std::pair (Tool::transpose, -1);
            case StepsCommands::octaveUp: return std::pair (Tool::transpose, 12);
            case StepsCommands::octaveDown: return std::pair (Tool::transpose, -12);
            case StepsCommands::doubleLength: return std::pair (Tool::doubleLength, 0);
            case StepsCommands::clearSteps: return std::pair (Tool::clear, 0);
            case StepsCommands::humanize: return std::pair (Tool::humanize, 0);
            case StepsCommands::randomize: return std::pair (Tool::randomize, 0);
            case StepsCommands::mutate: return std::pair (Tool::mutate, 0);
            case StepsCommands::euclid: return std::pair (Tool::euclid, 0);
            case StepsCommands::randomizeSound: return std::pair (Tool::randomizeSound, 0);
            case StepsCommands::mutateSound: return std::pair (Tool::mutateSound, 0);
            case StepsCommands::blend: return std::pair (Tool::blend, 0);
            default: return std::nullopt;
        }
    }

    juce::String clampedText (int clamped)
    {
        return (clamped == 1 ? juce::String ("1 note") : juce::String (clamped) + " notes")
               + " could not move that far and stopped at the end of the range.";
    }

    /** A tool with settings opens a window for them; Rotate's and Transpose's shift is the command's own. */
    bool hasSettings (juce::CommandID commandID)
    {
        const auto tool = toolOf (commandID);
        return tool.has_value() && VeskToolRunner::settingsOf (tool->first) != 0 && ! VeskToolRunner::takes (tool->first, VeskToolRunner::takesShift);
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
        showVariations (VeskSeed::make());
    else if (hasSettings (commandID))
        showSettings (commandID);
    else if (const auto refusal = apply (commandID, {}); refusal.isNotEmpty())
        dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, name, refusal);

    return true;
}

juce::String StepsCommands::apply (juce::CommandID commandID, const StepToolDialog::Settings& settings)
{
    const auto name = nameOf (commandID);
    const auto tool = toolOf (commandID);
    lastSettings[commandID] = settings;
    jassert (tool.has_value());

    if (! tool.has_value())
        return {};

    if (tool->first == Tool::blend && ! canBlend())
        return "Select two patterns on the Library page: the first takes the blend.";

    // Blend mixes the second selected slot into the first; the others change the shown pattern.
    auto& model = session.getModel();
    const auto target = tool->first == Tool::blend ? editor.libraryPage->getSelectedSlots() : std::vector<VeskBlock> { model.getShownBlock() };
    auto running = settings;
    running.shift = tool->second;
    auto* record = model.bytesOf (target[0]);
    const auto result = VeskToolRunner::run (tool->first, record, running, target.size() > 1 ? model.bytesOf (target[1]) : nullptr);

    if (result.refused())
        return VeskToolRunner::whyRefused (tool->first, result.refusal, record, running, target[0].name()) + ".";

    const auto outcome = tool->first == Tool::blend ? session.changeRecords (name, { target[0] }, [&]
                                                                             { std::copy (result.record.begin(), result.record.end(), record); })
                                                    : session.editShownPattern (name, result.record.data());

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

    settings.seed = VeskSeed::make();
    return settings;
}

void StepsCommands::showSettings (juce::CommandID commandID)
{
    const auto name = nameOf (commandID);
    auto panel = std::make_unique<StepToolDialog> (toolOf (commandID)->first, name, settingsFor (commandID));
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
        // Its rounds are mutations, refused as Mutate is.
        const auto& model = session.getModel();
        dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, name,
                             VeskToolRunner::whyRefused (Tool::mutate, VeskToolResult::Refusal::noSteps, model.currentPattern, {}, model.getShownBlock().name()) + ".");
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
