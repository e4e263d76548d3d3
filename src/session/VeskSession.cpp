#include "VeskSession.h"
#include "unit/MessageThreadClock.h"

VeskSession::VeskSession (Options options)
    : ownClock (options.clock == nullptr ? std::make_unique<MessageThreadClock>() : nullptr),
      clock (options.clock != nullptr ? options.clock : ownClock.get()),
      link (*clock, options.openDevices, options.wireTap, options.resetUnitAtStart, options.deferStart)
{
    // The model sends its defaults at once, through the start gate.
    model = std::make_unique<VeskModel> (link.getOutput());
    jobs = std::make_unique<UnitJobs> (*model, *clock, link, listeners);
    history = std::make_unique<EditHistory> (*model, *clock, *jobs, listeners);
    files = std::make_unique<FileExchange> (*model, *jobs, *history, listeners);
    intake = std::make_unique<CollectionIntake> (*model, options.collectionFile, options.addToCollection, listeners);
    audition = std::make_unique<PatternAudition> (*model, *history, *jobs, listeners);

    model->onLoaded = [this] (const juce::File& file)
    {
        audition->libraryReplaced();
        history->forget();
        intake->libraryReadOrWritten (file);
    };

    model->onSaved = [this] (const juce::File& file)
    {
        history->librarySaved();
        intake->libraryReadOrWritten (file);
    };

    files->onSyxImported = [this] (const juce::File& file, const std::vector<VeskBlock>& slots)
    { intake->syxImported (file, slots); };
    files->onMidiImported = [this] (const juce::File& file, const std::vector<VeskBlock>& slots)
    { intake->midiImported (file, slots); };

    history->showPattern = [this] (VeskBlock pattern, bool selectOnUnit)
    { showPattern (pattern, selectOnUnit); };

    jobs->onGotAll = [this] (const std::vector<VeskBlock>& arrived, const juce::uint8* before, bool changedBesides)
    {
        if (changedBesides)
            history->unitChangedLibrary();

        history->recordWholeBlocks (VeskTransfer::title (VeskTransfer::Kind::getAll), before, arrived);
        listeners.libraryRestored (std::nullopt);
        intake->gotAll (arrived);
    };

    // The history keeps the changed mark, a transfer waits for its dumps
    // (and says where they go), then the listeners hear what arrived.
    link.connect (*model, { history.get(), &jobs->getTransfer(), listeners.fromReceivers() });
}

VeskSession::~VeskSession()
{
    link.detachReceivers();
    intake = nullptr;
    audition = nullptr;
    files = nullptr;
    history = nullptr;
    jobs = nullptr; // stops the transfer's timer; nothing more is sent
    model = nullptr;
}

void VeskSession::showPattern (VeskBlock pattern)
{
    showPattern (pattern, true);
}

void VeskSession::showPattern (VeskBlock pattern, bool selectOnUnit)
{
    model->showBlock (pattern.isUser() ? pattern : VeskBlock::temporary());

    if (pattern.isUser() && selectOnUnit)
        model->selectUserPattern();

    listeners.patternShown (getShownPattern());
}

void VeskSession::newLibrary()
{
    audition->libraryReplaced();
    model->resetToDefaults();
    history->forget();
    listeners.libraryRestored (std::nullopt);
}

SessionResult VeskSession::sendToUnit (VeskBlock block)
{
    // Between a transfer's own messages a bulk or a request would be taken for its answers.
    if (isBusy())
        return refusalWhileBusy ("Send");

    block.isSystem() ? model->sendSystemBlock() : model->sendCurrentPattern (false);
    return SessionResult::ok();
}

SessionResult VeskSession::askUnitFor (VeskBlock block)
{
    if (isBusy())
        return refusalWhileBusy ("Store");

    block.isSystem() ? model->requestSystemBlock() : model->requestCurrentPattern();
    return SessionResult::ok();
}

SessionResult VeskSession::refusalWhileHeld (const juce::String& command) const
{
    if (isBusy())
        return refusalWhileBusy (command);

    return audition->refusalWhileOpen (command);
}

SessionResult VeskSession::importSyx (const juce::File& file)
{
    if (const auto held = audition->refusalWhileOpen ("Import .syx"); held.failed())
        return held;

    return files->importSyx (file);
}

SessionResult VeskSession::importMidi (const juce::File& file, const VeskMidiFile::ImportOptions& options)
{
    if (const auto held = audition->refusalWhileOpen ("Import MIDI File"); held.failed())
        return held;

    return files->importMidi (file, options);
}
