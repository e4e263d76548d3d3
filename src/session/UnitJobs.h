#pragma once

#include "SessionListeners.h"
#include "VeskJob.h"
#include "VeskUnitLink.h"
#include "unit/VeskTransfer.h"

/**
    What the session does with the unit over time, one at a time: the
    transfers (Get All, Send All, Verify), Find Unit, and the paced sends of
    the few records a library step or its undo changed.

    Message thread only.
*/
class UnitJobs
{
public:
    UnitJobs (VeskModel& model, VeskClock& clock, VeskUnitLink& link, SessionListeners& listeners);
    ~UnitJobs();

    /** A transfer or a search runs. */
    bool isBusy() const noexcept;

    /** The job sends only the few records an undo step or a library step
        changed: it takes a moment, ends by itself and shows no window. */
    bool isSendingSomeRecords() const noexcept;

    /** A Get All runs: what arrives is its own undo step, taken when it ends. */
    bool isGettingAll() const noexcept;

    /** The refusal of command while a job runs, or ok when none runs. */
    SessionResult refusalWhileBusy (const juce::String& command) const;

    /** Starts Get All, Send All or Verify; refused while busy, without an
        output, or (but for Send All) without an input. */
    SessionResult startTransfer (VeskTransfer::Kind kind);

    /** Sends the records of blocks as Send All does, paced, as a job named
        title; the shown user pattern is selected on the unit once they are in. */
    void sendRecords (const std::vector<int>& blocks, const juce::String& title);

    /** Looks for the unit on every port; one answering pair is chosen and saved. */
    SessionResult findUnit();

    /** The running job, or the last one; nullptr before the first. */
    VeskJob* getJob() noexcept { return job.get(); }
    void cancelJob();

    VeskTransfer& getTransfer() noexcept { return transfer; }

    /** A Get All ended: the blocks that arrived, the library as it was when
        it started, and whether the unit changed it besides. */
    std::function<void (const std::vector<int>& arrived, const juce::uint8* before, bool changedBesides)> onGotAll;

private:
    void startJob (std::unique_ptr<VeskJob> newJob);
    void transferFinished();
    void finderFinished();

    VeskModel& model;
    VeskClock& clock;
    VeskUnitLink& link;
    SessionListeners& listeners;
    VeskTransfer transfer;
    std::unique_ptr<VeskUnitFinder> finder;
    std::unique_ptr<VeskJob> job;
    bool selectShownPatternAfterSending = false; // when the records of an undo or redo have gone out
    juce::HeapBlock<juce::uint8> imageAtJobStart;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UnitJobs)
};
