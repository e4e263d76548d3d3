#pragma once

#include "VeskJob.h"
#include "unit/VeskTransfer.h"
#include "unit/VeskUnitFinder.h"

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
    juce::String getSummary() const override;

private:
    VeskTransfer& transfer;
    juce::String title;
};

/** Find Unit as the progress window shows it; the session writes the end. */
class VeskFinderJob : public VeskJob
{
public:
    explicit VeskFinderJob (VeskUnitFinder& finderToShow) : finder (finderToShow) {}

    juce::String getTitle() const override { return "Find Unit"; }
    bool isRunning() const override { return finder.isRunning(); }
    void cancel() override { finder.cancel(); }
    double getProgress() const override;
    juce::String getProgressText() const override;
    juce::String getHeadline() const override { return headline; }
    juce::String getSummary() const override { return summary; }

    /** Once it has ended; found: the one pair that answered is now chosen and saved. */
    void describeEnd (bool found);

private:
    VeskUnitFinder& finder;
    juce::String headline, summary;
};
