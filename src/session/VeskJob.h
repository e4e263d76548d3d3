#pragma once

#include "unit/VeskUnitFinder.h"

/**
    Something the session does with the unit over time (a transfer, Find
    Unit), as the progress window shows it: a title, how far it is and what
    it does now, and at the end a headline and a summary.
*/
struct VeskJob
{
    virtual ~VeskJob() = default;

    virtual juce::String getTitle() const = 0;
    virtual bool isRunning() const = 0;
    virtual void cancel() = 0;

    /** 0 to 1. */
    virtual double getProgress() const = 0;

    /** "Asking for User 05 (7 of 22)"; empty once it has ended. */
    virtual juce::String getProgressText() const = 0;

    /** Once it has ended: "Done", "Cancelled", "Found" ... and what a person
        reads, with the next steps in the words of whoever shows it. */
    virtual juce::String getHeadline() const = 0;
    virtual juce::String getSummary (const VeskUnitFinder::Advice& advice) const = 0;
};
