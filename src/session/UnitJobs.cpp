#include "UnitJobs.h"
#include "VeskFinderJob.h"
#include "VeskTransferJob.h"

#include <utility>

UnitJobs::UnitJobs (VeskModel& modelToUse, VeskClock& clockToUse, VeskUnitLink& linkToUse, SessionListeners& listenersToTell)
    : model (modelToUse),
      clock (clockToUse),
      link (linkToUse),
      listeners (listenersToTell),
      transfer (modelToUse, clockToUse)
{
    transfer.onProgress = [this]
    { listeners.jobChanged(); };
    transfer.onFinished = [this]
    { transferFinished(); };

    imageAtJobStart.allocate (VeskImage::imageSize, true);
}

UnitJobs::~UnitJobs()
{
    job = nullptr;
    finder = nullptr;
}

bool UnitJobs::isBusy() const noexcept
{
    return transfer.isRunning() || (finder != nullptr && finder->isRunning());
}

bool UnitJobs::isSendingSomeRecords() const noexcept
{
    const auto& report = transfer.getReport();
    return transfer.isRunning() && report.kind == VeskTransfer::Kind::sendAll
           && report.blocks.size() < VeskTransfer::blockOrder (VeskTransfer::Kind::sendAll).size();
}

bool UnitJobs::isGettingAll() const noexcept
{
    return transfer.isRunning() && transfer.getReport().kind == VeskTransfer::Kind::getAll;
}

SessionResult UnitJobs::refusalWhileBusy (const juce::String& command) const
{
    if (! isBusy())
        return SessionResult::ok();

    return SessionResult::busy (command, job->getTitle(), ! isSendingSomeRecords());
}

void UnitJobs::startJob (std::unique_ptr<VeskJob> newJob)
{
    job = std::move (newJob);
    listeners.jobChanged();
}

void UnitJobs::cancelJob()
{
    if (job != nullptr)
        job->cancel();
}

//==============================================================================
SessionResult UnitJobs::startTransfer (VeskTransfer::Kind kind)
{
    const auto title = VeskTransfer::title (kind);

    if (isBusy())
        return refusalWhileBusy (title);

    const auto missing = link.whatIsMissing (kind != VeskTransfer::Kind::sendAll);

    if (missing != SessionResult::Refusal::none)
        return SessionResult::refused (missing);

    std::copy (model.image, model.image + VeskImage::imageSize, imageAtJobStart.get());
    startJob (std::make_unique<VeskTransferJob> (transfer, title));
    transfer.start (kind);
    return SessionResult::ok();
}

void UnitJobs::sendRecords (const std::vector<int>& blocks, const juce::String& title)
{
    auto sends = [&blocks] (int block)
    { return std::find (blocks.begin(), blocks.end(), block) != blocks.end(); };

    // The records go into the unit's memory (the temporary one into its edit
    // buffer), so a user pattern selected before they arrive would be edited
    // from its old copy: the shown one is selected once they are in.
    startJob (std::make_unique<VeskTransferJob> (transfer, title));
    const bool sending = transfer.startSending (blocks);
    const int shown = model.getShownPattern();
    selectShownPatternAfterSending = sending && shown >= 1 && (sends (shown) || sends (0));
}

void UnitJobs::transferFinished()
{
    const auto& report = transfer.getReport();

    if (std::exchange (selectShownPatternAfterSending, false) && model.getShownPattern() >= 1)
        model.selectUserPattern();

    if (report.kind == VeskTransfer::Kind::getAll && onGotAll != nullptr)
    {
        std::vector<int> arrived;

        for (auto& block : report.blocks)
            if (block.status == VeskTransfer::BlockResult::Status::done)
                arrived.push_back (block.block);

        onGotAll (arrived, imageAtJobStart, report.libraryChangedBesides);
    }

    listeners.jobChanged();
}

//==============================================================================
SessionResult UnitJobs::findUnit()
{
    if (isBusy())
        return refusalWhileBusy ("Find Unit");

    finder = std::make_unique<VeskUnitFinder> (MidiDeviceLists::system(), clock);
    auto finderJob = std::make_unique<VeskFinderJob> (*finder);

    finder->onProgress = [this]
    { listeners.jobChanged(); };
    finder->onFinished = [this]
    { finderFinished(); };

    startJob (std::move (finderJob));
    finder->start();
    return SessionResult::ok();
}

void UnitJobs::finderFinished()
{
    const auto& result = finder->getResult();
    const bool found = result.answered.size() == 1 && ! result.cancelled;

    if (found)
        link.useFoundPair (result.answered.front());

    if (auto* finderJob = dynamic_cast<VeskFinderJob*> (job.get()))
        finderJob->ended (found);

    listeners.jobChanged();
}
