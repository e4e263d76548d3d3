#include "PatternAudition.h"

#include <algorithm>

PatternAudition::PatternAudition (VeskModel& modelToUse, EditHistory& historyToUse, UnitJobs& jobsToUse, SessionListeners& listenersToTell)
    : model (modelToUse),
      history (historyToUse),
      jobs (jobsToUse),
      listeners (listenersToTell)
{
}

SessionResult PatternAudition::begin (const juce::String& name)
{
    if (jobs.isBusy())
        return jobs.refusalWhileBusy (name);

    stepName = name;
    pattern = model.getShownBlock();
    std::copy (model.currentPattern, model.currentPattern + VeskImage::patternSize, original);
    open = true;
    listeners.auditionChanged();
    return SessionResult::ok();
}

SessionResult PatternAudition::audition (const juce::uint8* record)
{
    if (! open)
        return SessionResult::fail ("Nothing is being auditioned.");

    if (jobs.isBusy())
        return jobs.refusalWhileBusy (stepName);

    sendAsShown (record);
    return SessionResult::ok();
}

SessionResult PatternAudition::keep()
{
    if (! open)
        return SessionResult::ok();

    if (jobs.isBusy())
        return jobs.refusalWhileBusy (stepName);

    end();

    if (model.getShownBlock() != pattern)
        return SessionResult::ok();

    // The step is made from the pattern as it was, as the tools make theirs:
    // the library goes back without a sound and comes forward as edits.
    juce::uint8 chosen[VeskImage::patternSize];
    std::copy (model.currentPattern, model.currentPattern + VeskImage::patternSize, chosen);
    std::copy (original, original + VeskImage::patternSize, model.currentPattern);
    return history.editShownPattern (stepName, chosen);
}

void PatternAudition::cancel()
{
    if (! open)
        return;

    // Another pattern shown since (the unit's own selection) keeps what it has.
    if (model.getShownBlock() == pattern)
        sendAsShown (original);

    end();
}

void PatternAudition::libraryReplaced()
{
    if (open)
        end();
}

SessionResult PatternAudition::refusalWhileOpen (const juce::String& command) const
{
    return open ? SessionResult::heldBack (command, stepName) : SessionResult::ok();
}

void PatternAudition::end()
{
    open = false;
    listeners.auditionChanged();
}

void PatternAudition::sendAsShown (const juce::uint8* record)
{
    const auto edits = EditHistory::fieldEdits (model.currentPattern, record);

    if (edits.empty())
        return;

    for (const auto& [field, value] : edits)
        model.storeAndSend (field, value);

    listeners.libraryRestored (model.getShownBlock());
}
