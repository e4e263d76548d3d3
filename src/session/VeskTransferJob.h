#pragma once

#include "VeskJob.h"
#include "unit/VeskTransfer.h"

/** A transfer as the progress window shows it. */
class VeskTransferJob : public VeskJob
{
public:
    VeskTransferJob (VeskTransfer& transferToShow, const juce::String& titleToShow);

    juce::String getTitle() const override { return title; }
    bool isRunning() const override { return transfer.isRunning(); }
    void cancel() override { transfer.cancel(); }
    double getProgress() const override;
    juce::String getProgressText() const override;
    juce::String getHeadline() const override;
    juce::String getSummary (const VeskUnitFinder::Advice& advice) const override;

private:
    VeskTransfer& transfer;
    juce::String title;
};
