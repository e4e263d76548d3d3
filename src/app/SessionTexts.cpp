#include "SessionTexts.h"

juce::String SessionTexts::describe (const SessionResult& result)
{
    switch (result.getRefusal())
    {
        case SessionResult::Refusal::busy:
            return "The unit is busy with \"" + result.getJobTitle() + "\".\n\n" + result.getCommand() + " waits until it has ended: "
                   + (result.jobHasWindow() ? "wait, or press Cancel in its window." : "wait a moment.");

        case SessionResult::Refusal::heldBack:
            return "\"" + result.getJobTitle() + "\" is open, and puts the shown pattern back if cancelled.\n\n" + result.getCommand()
                   + " waits until it is closed: choose Keep or Cancel in its window.";

        case SessionResult::Refusal::noOutput:
            return "No MIDI output is chosen, so nothing can reach the unit.\n\n"
                   "Choose the unit's ports in Setup > Midi Settings, let Unit > Find Unit look for it, "
                   "or try the program with Unit > Virtual Unit.";

        case SessionResult::Refusal::noInput:
            return "No MIDI input is ticked, so no answer of the unit could arrive.\n\n"
                   "Tick the input the unit sends on in Setup > Midi Settings, let Unit > Find Unit look for it, "
                   "or try the program with Unit > Virtual Unit.";

        case SessionResult::Refusal::none:
        case SessionResult::Refusal::failed:
        default:
            return result.getText();
    }
}

const VeskUnitFinder::Advice& SessionTexts::finderAdvice()
{
    static const VeskUnitFinder::Advice advice {
        "Check the cables and that the unit is switched on, or try the program with Unit > Virtual Unit.",
        "Choose the pair of the unit in Setup > Midi Settings."
    };

    return advice;
}
