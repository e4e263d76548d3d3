#pragma once

#include "AppDialogs.h"
#include "CommandIDs.h"
#include "StepToolDialog.h"
#include "editors/VeskComponent.h"
#include "model/VeskToolResult.h"

#include <map>

/**
    The Steps menu: tools that make the shown pattern's steps (and sound) new
    from what they are, each one undo step named after it and sent to the
    unit as edits of the fields it changed; Variations... to listen through
    versions before keeping one; and Blend, of two patterns selected on the
    Library page into the first of them. The tools themselves, their settings
    and their refusals are VeskToolRunner's, which vesk runs too.

    The step tools act on the Patterns page and are enabled while it is in
    front and the shown pattern plays steps (not on Line In); the sound tools
    while it is in front; Blend while the Library page is, with two slots
    selected.
*/
class StepsCommands : public StepsCommandIDs
{
public:
    StepsCommands (VeskComponent& editorToUse, AppDialogs& dialogsToUse, juce::ApplicationCommandManager& commandManagerToUse);

    /** The tool's name, as its undo step and its window are called: "Rotate Right". */
    static juce::String nameOf (juce::CommandID commandID);

    juce::PopupMenu getMenu();

    void getAllCommands (juce::Array<juce::CommandID>& commands) const;

    /** False, leaving result alone, for a command that is not one of these. */
    bool getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) const;

    /** False for a command that is not one of these. A tool with settings
        opens its window; the others run at once. */
    bool perform (juce::CommandID commandID);

    /** Runs a tool with settings: the step it makes, or why it was refused
        in a sentence (empty when it ran). */
    juce::String apply (juce::CommandID commandID, const StepToolDialog::Settings& settings);

    /** The settings a tool's window opens with: the last ones used, a new seed. */
    StepToolDialog::Settings settingsFor (juce::CommandID commandID);

    /** Opens the Variations window on the shown pattern, with firstSeed. */
    void showVariations (std::uint64_t firstSeed);

private:
    void showSettings (juce::CommandID commandID);
    bool patternsInFront() const { return editor.isCurrent (VeskComponent::Tab::patterns); }
    bool canBlend() const;
    /** Rotate Left to Variations...: they change or sketch the steps, and the sound tools do not. */
    static bool isStepTool (juce::CommandID commandID);
    bool shownHasSteps() const;

    VeskComponent& editor;
    VeskSession& session;
    AppDialogs& dialogs;
    juce::ApplicationCommandManager& commandManager;
    std::map<juce::CommandID, StepToolDialog::Settings> lastSettings;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StepsCommands)
};
