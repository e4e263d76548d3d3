#pragma once

#include "VeskJob.h"

/** Find Unit as the progress window shows it; the jobs tell it how it ended. */
class VeskFinderJob : public VeskJob
{
public:
    explicit VeskFinderJob (VeskUnitFinder& finderToShow) : finder (finderToShow) {}

    juce::String getTitle() const override { return "Find Unit"; }
    bool isRunning() const override { return finder.isRunning(); }
    void cancel() override { finder.cancel(); }
    double getProgress() const override;
    juce::String getProgressText() const override;
    juce::String getHeadline() const override;
    juce::String getSummary (const VeskUnitFinder::Advice& advice) const override;

    /** Once it has ended; found: the one pair that answered is now chosen and saved. */
    void ended (bool found) noexcept
    {
        hasEnded = true;
        foundUnit = found;
    }

private:
    VeskUnitFinder& finder;
    bool hasEnded = false, foundUnit = false;
};
