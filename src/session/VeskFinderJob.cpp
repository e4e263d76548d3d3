#include "VeskFinderJob.h"

double VeskFinderJob::getProgress() const
{
    const auto& result = finder.getResult();
    return finder.isRunning() ? result.outputsTried / (double) juce::jmax (1, result.numOutputs) : 1.0;
}

juce::String VeskFinderJob::getProgressText() const
{
    return finder.isRunning() ? "Asking on " + finder.getCurrentOutputName() : juce::String();
}

juce::String VeskFinderJob::getHeadline() const
{
    if (! hasEnded)
        return {};

    const auto& result = finder.getResult();

    if (foundUnit)
        return "Found";

    return result.cancelled ? "Cancelled" : (result.answered.empty() ? "Not found" : "More than one answered");
}

juce::String VeskFinderJob::getSummary (const VeskUnitFinder::Advice& advice) const
{
    if (! hasEnded)
        return {};

    const auto& result = finder.getResult();

    if (! foundUnit)
        return result.describe (advice);

    const auto& pair = result.answered.front();
    juce::String summary ("The unit answered on output " + pair.output.name + " and input " + pair.input.name
                          + ".\n\nBoth are chosen and saved to MidiSettings.xml.");

    if (result.unusable.size() > 0)
        summary << "\n\nNot searched:\n  " << result.unusable.joinIntoString ("\n  ");

    return summary;
}
