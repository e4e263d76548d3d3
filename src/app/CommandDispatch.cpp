#include "CommandDispatch.h"

#include <algorithm>

bool CommandDispatch::add (CommandRange block, Handler handler)
{
    const bool overlaps = std::any_of (handlers.begin(), handlers.end(), [block] (const auto& h)
                                       { return h.first.overlaps (block); });

    if (overlaps)
        return false;

    handlers.emplace_back (block, std::move (handler));
    return true;
}

const CommandDispatch::Handler* CommandDispatch::find (juce::CommandID commandID) const
{
    for (const auto& [block, handler] : handlers)
        if (block.contains (commandID))
            return &handler;

    return nullptr;
}

bool CommandDispatch::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) const
{
    const auto* handler = find (commandID);

    if (handler == nullptr)
        return false;

    handler->describe (commandID, result);
    return true;
}

bool CommandDispatch::perform (juce::CommandID commandID) const
{
    const auto* handler = find (commandID);
    return handler != nullptr && handler->perform (commandID);
}
