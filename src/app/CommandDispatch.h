#pragma once

#include "CommandIDs.h"

#include <functional>
#include <vector>

/**
    Hands each command of the window to the one part whose block of command
    numbers holds it (see CommandIDs.h): a part is never asked about another
    part's commands, so the order the parts are added in does not matter.
*/
class CommandDispatch
{
public:
    struct Handler
    {
        /** Fills in what the command is and whether it can run now. */
        std::function<void (juce::CommandID, juce::ApplicationCommandInfo&)> describe;

        /** False when the part has no such command after all. */
        std::function<bool (juce::CommandID)> perform;
    };

    /** The part that handles block's commands. A block that overlaps one
        added before is refused (false), leaving the other in place. */
    bool add (CommandRange block, Handler handler);

    /** False, leaving result alone, for a command no part has. */
    bool getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) const;

    /** False for a command no part has. */
    bool perform (juce::CommandID commandID) const;

private:
    const Handler* find (juce::CommandID commandID) const;

    std::vector<std::pair<CommandRange, Handler>> handlers;
};
