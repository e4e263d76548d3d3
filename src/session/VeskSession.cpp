#include "VeskSession.h"
#include "unit/MessageThreadClock.h"

VeskSession::VeskSession (Options options)
    : ownClock (options.clock == nullptr ? std::make_unique<MessageThreadClock>() : nullptr),
      clock (options.clock != nullptr ? options.clock : ownClock.get()),
      link (*clock, options.openDevices, options.wireTap, options.resetUnitAtStart)
{
    // The model sends its defaults at once, through the start gate.
    model = std::make_unique<VeskModel> (link.getOutput());
    jobs = std::make_unique<UnitJobs> (*model, *clock, link, listeners);
    history = std::make_unique<EditHistory> (*model, *clock, *jobs, listeners);
    files = std::make_unique<FileExchange> (*model, *jobs, *history, listeners);

    model->onLoaded = [this]
    { history->forget(); };
    model->onSaved = [this]
    { history->librarySaved(); };

    history->showPattern = [this] (int patternItem, bool selectOnUnit)
    { showPattern (patternItem, selectOnUnit); };

    jobs->onGotAll = [this] (const std::vector<int>& arrived, const juce::uint8* before, bool changedBesides)
    {
        if (changedBesides)
            history->unitChangedLibrary();

        history->recordWholeBlocks (VeskTransfer::title (VeskTransfer::Kind::getAll), before, arrived);
        listeners.libraryRestored (allBlocks);
    };

    // The history keeps the changed mark, a transfer waits for its dumps,
    // the pages show what arrived.
    link.connect (*model, { history.get(), &jobs->getTransfer() });
}

VeskSession::~VeskSession()
{
    link.detachReceivers();
    files = nullptr;
    history = nullptr;
    jobs = nullptr; // stops the transfer's timer; nothing more is sent
    model = nullptr;
}

void VeskSession::showPattern (int patternItem)
{
    showPattern (patternItem, true);
}

void VeskSession::showPattern (int patternItem, bool selectOnUnit)
{
    if (patternItem >= 1 && patternItem <= VeskImage::numUserPatterns)
    {
        model->currentPatternIndex = patternItem - 1;

        if (selectOnUnit)
            model->selectUserPattern();
        else
            model->currentPattern = model->userPattern (model->currentPatternIndex);
    }
    else
    {
        model->selectTemporaryPattern();
    }

    listeners.patternShown (getShownPattern());
}

void VeskSession::newLibrary()
{
    model->resetToDefaults();
    history->forget();
    listeners.libraryRestored (allBlocks);
}
