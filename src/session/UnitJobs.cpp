#include "UnitJobs.h"

VeskTransferJob::VeskTransferJob (VeskTransfer& transferToShow, const juce::String& titleToShow)
    : transfer (transferToShow),
      title (titleToShow)
{
}

double VeskTransferJob::getProgress() const
{
    const auto& report = transfer.getReport();
    return report.numDone() / (double) juce::jmax ((size_t) 1, report.blocks.size());
}

juce::String VeskTransferJob::getProgressText() const
{
    if (! transfer.isRunning())
        return {};

    const auto& report = transfer.getReport();
    return (report.kind == VeskTransfer::Kind::sendAll ? "Sending " : "Asking for ") + report.progressText();
}

juce::String VeskTransferJob::getHeadline() const
{
    return transfer.getReport().cancelled ? "Cancelled" : "Done";
}

juce::String VeskTransferJob::getSummary() const
{
    return transfer.getReport().summary();
}

double VeskFinderJob::getProgress() const
{
    const auto& result = finder.getResult();
    return finder.isRunning() ? result.outputsTried / (double) juce::jmax (1, result.numOutputs) : 1.0;
}

juce::String VeskFinderJob::getProgressText() const
{
    return finder.isRunning() ? "Asking on " + finder.getCurrentOutputName() : juce::String();
}

void VeskFinderJob::describeEnd (bool found)
{
    const auto& result = finder.getResult();

    if (! found)
    {
        headline = result.cancelled ? "Cancelled" : (result.answered.empty() ? "Not found" : "More than one answered");
        summary = result.describe();
        return;
    }

    const auto& pair = result.answered.front();
    headline = "Found";
    summary = "The unit answered on output " + pair.output.name + " and input " + pair.input.name
              + ".\n\nBoth are chosen and saved to MidiSettings.xml.";

    if (result.unusable.size() > 0)
        summary << "\n\nNot searched:\n  " << result.unusable.joinIntoString ("\n  ");
}
