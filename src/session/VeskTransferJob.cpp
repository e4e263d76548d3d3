#include "VeskTransferJob.h"

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

juce::String VeskTransferJob::getSummary (const VeskUnitFinder::Advice&) const
{
    return transfer.getReport().summary();
}
