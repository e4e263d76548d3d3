#include "VeskSession.h"
#include "UnitJobs.h"
#include "midi/MidiSettingsFile.h"
#include "model/VeskFields.h"
#include "model/VeskPatternSlots.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"
#include "model/WholeFileWriter.h"
#include "unit/MessageThreadClock.h"

#include <algorithm>
#include <utility>

namespace
{
    // An import names at most this many messages it ignored; the summary counts them all.
    constexpr size_t maxImportDetails = 12;

    const char* const noOutputText = "No MIDI output is chosen, so nothing can reach the unit.\n\n"
                                     "Choose the unit's ports in Setup > Midi Settings, let Unit > Find Unit look for it, "
                                     "or try the program with Unit > Virtual Unit.";
    const char* const noInputText = "No MIDI input is ticked, so no answer of the unit could arrive.\n\n"
                                    "Tick the input the unit sends on in Setup > Midi Settings, let Unit > Find Unit look for it, "
                                    "or try the program with Unit > Virtual Unit.";
}

//==============================================================================
VeskSession::VeskSession (Options options)
    : ownClock (options.clock == nullptr ? std::make_unique<MessageThreadClock>() : nullptr),
      clock (options.clock != nullptr ? options.clock : ownClock.get()),
      virtualUnit (*clock)
{
    if (options.openDevices)
        startError = MidiSettingsFile::initialiseDeviceManager (deviceManager);

    if (options.wireTap != nullptr)
        tap = std::make_unique<MidiOutTee> (*options.wireTap, midiOut);
    else
        tap = MidiOutLog::fromEnvironment (midiOut);

    // The model sends its defaults at once, on whatever output just opened,
    // unless the user keeps the unit's own memory: then the whole start sends
    // nothing, the pattern page's first word to the unit included.
    startGate = std::make_unique<MidiOutGate> (tap != nullptr ? *tap : static_cast<MidiOut&> (midiOut));
    startGate->setOpen (options.resetUnitAtStart);
    model = std::make_unique<VeskModel> (*startGate);

    model->onLoaded = [this]
    { forgetHistory(); };

    model->onSaved = [this]
    {
        history.markSaved();
        unitChangedLibrary = false;
        historyChanged();
    };

    transfer = std::make_unique<VeskTransfer> (*model, *clock);
    transfer->onProgress = [this]
    { jobChanged(); };
    transfer->onFinished = [this]
    { transferFinished(); };

    imageAtJobStart.allocate (VeskImage::imageSize, true);
    attachReceivers();
}

VeskSession::~VeskSession()
{
    job = nullptr;
    finder = nullptr;
    detachReceivers();
    transfer = nullptr; // stops its timer; nothing more is sent
    model = nullptr;
}

void VeskSession::addListener (Listener* listener)
{
    if (std::find (listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back (listener);
}

void VeskSession::removeListener (Listener* listener)
{
    listeners.erase (std::remove (listeners.begin(), listeners.end(), listener), listeners.end());
}

void VeskSession::callListeners (const std::function<void (Listener&)>& call)
{
    // A listener may remove itself or another while it is told.
    const auto toTell = listeners;

    for (auto* listener : toTell)
        if (std::find (listeners.begin(), listeners.end(), listener) != listeners.end())
            call (*listener);
}

void VeskSession::addReceiverListener (MyMidiInputCallback::Listener* listener)
{
    receiverListeners.push_back (listener);

    for (auto* receiver : receivers)
        receiver->addListener (listener);
}

void VeskSession::removeReceiverListener (MyMidiInputCallback::Listener* listener)
{
    receiverListeners.erase (std::remove (receiverListeners.begin(), receiverListeners.end(), listener), receiverListeners.end());

    for (auto* receiver : receivers)
        receiver->removeListener (listener);
}

//==============================================================================
void VeskSession::edit (VeskField field, int value)
{
    auto* image = model->image;
    const int start = model->imageOffsetOf (field);
    const juce::uint8 before[2] = { image[start], image[start + (field.width > 1 ? 1 : 0)] };

    model->storeAndSend (field, value);

    std::vector<VeskHistory::Change> changes;

    for (int i = 0; i < field.width; ++i)
        if (before[i] != image[start + i])
            changes.push_back ({ (juce::uint16) (start + i), before[i], image[start + i] });

    const int block = field.isSystem() ? -1 : getShownPattern();
    const double now = clock->now();
    auto* last = history.stepToExtend();

    const bool sameGesture = last != nullptr && gestureOpen && last->gesture == gesture;
    const bool quickRepeat = last != nullptr && ! gestureOpen && last->gesture == 0 && last->fields.size() == 1
                             && last->fields.front() == field && now - last->lastEdit < mergeMs;

    if (last != nullptr && ! last->wholeBlocks && last->block == block && (sameGesture || quickRepeat))
    {
        last->lastEdit = now;

        if (std::find (last->fields.begin(), last->fields.end(), field) == last->fields.end())
            last->fields.push_back (field);

        if (changes.empty())
            return;

        for (auto& change : changes)
        {
            auto at = std::lower_bound (last->changes.begin(), last->changes.end(), change.offset,
                                        [] (const VeskHistory::Change& c, int offset)
                                        { return c.offset < offset; });

            if (at != last->changes.end() && at->offset == change.offset)
                at->after = change.after;
            else
                last->changes.insert (at, change);
        }

        history.extended();
    }
    else
    {
        // Storing the byte that is there (the page telling the unit the shown
        // loop control again) is no step.
        if (changes.empty())
            return;

        VeskHistory::Step step;
        step.name = VeskFields::controlName (field, model->currentPattern);
        step.block = block;
        step.fields = { field };
        step.changes = std::move (changes);
        step.lastEdit = now;
        step.gesture = gestureOpen ? gesture : 0;
        history.add (std::move (step));
    }

    updateChangedFlag();
    historyChanged();
}

void VeskSession::beginGesture() noexcept
{
    ++gesture;
    gestureOpen = true;
}

void VeskSession::endGesture() noexcept
{
    gestureOpen = false;
}

juce::Result VeskSession::undo() { return takeStep (true); }
juce::Result VeskSession::redo() { return takeStep (false); }

juce::Result VeskSession::takeStep (bool back)
{
    if (isBusy())
        return juce::Result::fail (describeBusy (back ? "Undo" : "Redo"));

    if (auto* step = back ? history.nextUndo() : history.nextRedo())
    {
        gestureOpen = false;

        if (back)
            history.stepBack();
        else
            history.stepForward();

        restore (*step, back);
    }

    return juce::Result::ok();
}

void VeskSession::restore (const VeskHistory::Step& step, bool undoing)
{
    if (step.wholeBlocks)
    {
        const auto blocks = step.blocks();

        if (blocks.size() == 1 && blocks.front() >= 0 && blocks.front() != getShownPattern())
            showPattern (blocks.front(), false);

        VeskHistory::writeBack (step, model->image, undoing);
        sendRecords (blocks, (undoing ? "Undo " : "Redo ") + step.name);
    }
    else
    {
        // The pattern the step changed is shown, and selected on the unit,
        // before its fields go back, so they reach the pattern the unit edits.
        if (step.block >= 0 && step.block != getShownPattern())
            showPattern (step.block);

        VeskHistory::writeBack (step, model->image, undoing);

        for (auto& field : step.fields)
            model->sendField (field);
    }

    updateChangedFlag();
    libraryRestored (step.wholeBlocks ? allBlocks : step.block);
    historyChanged();
}

void VeskSession::sendRecords (const std::vector<int>& blocks, const juce::String& title)
{
    auto sends = [&blocks] (int block)
    { return std::find (blocks.begin(), blocks.end(), block) != blocks.end(); };

    // The records go into the unit's memory (the temporary one into its edit
    // buffer), so a user pattern selected before they arrive would be edited
    // from its old copy: the shown one is selected once they are in.
    startJob (std::make_unique<VeskTransferJob> (*transfer, title));
    const bool sending = transfer->startSending (blocks);
    selectShownPatternAfterSending = sending && getShownPattern() >= 1 && (sends (getShownPattern()) || sends (0));
}

juce::Result VeskSession::changeRecords (const juce::String& name, const std::vector<int>& slots, const std::function<void()>& change)
{
    if (isBusy())
        return juce::Result::fail (describeBusy (name));

    for (int slot : slots)
        if (! VeskPatternSlots::isSlot (slot))
            return juce::Result::fail ("There is no pattern slot " + juce::String (slot) + ".");

    juce::HeapBlock<juce::uint8> before (VeskImage::imageSize);
    std::copy (model->image, model->image + VeskImage::imageSize, before.get());
    change();

    // A record that already held those bytes is neither a step nor sent.
    if (recordWholeBlocks (name, before, slots))
    {
        sendRecords (history.nextUndo()->blocks(), name);
        libraryRestored (allBlocks);
    }

    return juce::Result::ok();
}

void VeskSession::updateChangedFlag()
{
    model->setChangedFlag (unitChangedLibrary || ! history.isAtSavedState());
}

void VeskSession::libraryRestored (int block)
{
    callListeners ([block] (Listener& l)
                   { l.libraryRestored (block); });
}

void VeskSession::historyChanged()
{
    callListeners ([] (Listener& l)
                   { l.historyChanged(); });
}

void VeskSession::forgetHistory()
{
    history.clear();
    gestureOpen = false;
    unitChangedLibrary = false;
    historyChanged();
}

bool VeskSession::recordWholeBlocks (const juce::String& name, const juce::uint8* before, const std::vector<int>& blocks)
{
    VeskHistory::Step step;
    step.name = name;
    step.wholeBlocks = true;
    step.changes = VeskHistory::differences (before, model->image, blocks);
    step.lastEdit = clock->now();
    const bool changed = ! step.changes.empty();
    history.add (std::move (step));
    updateChangedFlag();
    historyChanged();
    return changed;
}

//==============================================================================
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

    const int shown = getShownPattern();
    callListeners ([shown] (Listener& l)
                   { l.patternShown (shown); });
}

void VeskSession::newLibrary()
{
    model->resetToDefaults();
    forgetHistory();
    libraryRestored (allBlocks);
}

VeskSession::Outcome VeskSession::importSyx (const juce::File& file)
{
    if (isBusy())
        return { true, describeBusy ("Import .syx") };

    VeskSyxFile::Contents contents;
    const auto read = VeskSyxFile::read (file, (size_t) VeskProtocol::patternBulkBodySize, contents);

    if (read.failed())
        return { true, file.getFileName() + " " + read.getErrorMessage() + ".\n\nThe library was left as it was." };

    juce::HeapBlock<juce::uint8> before (VeskImage::imageSize);
    std::copy (model->image, model->image + VeskImage::imageSize, before.get());

    const auto import = VeskSyxFile::applyDumps (contents, model->image);
    auto text = VeskSyxFile::describeImport (contents, import, maxImportDetails).lines (file.getFileName());
    text.add ({});

    if (import.applied == 0)
    {
        text.add ("It holds no dump of this unit: the library was left as it was.");
        return { true, text.joinIntoString ("\n") };
    }

    const bool changedAnything = recordWholeBlocks ("Import .syx", before, VeskHistory::everyBlock());
    libraryRestored (allBlocks);
    text.add (changedAnything ? "The library is marked changed: save it to keep them. Nothing was sent to the unit."
                              : "The library already held every byte of them. Nothing was sent to the unit.");

    return { false, text.joinIntoString ("\n") };
}

juce::Result VeskSession::exportSyx (const juce::File& file)
{
    // A library named *.syx (or a link to it) is never replaced by its own export.
    const auto result = WholeFileWriter::isSameFile (file, model->getFile())
                            ? juce::Result::fail ("it is the library's own file")
                            : VeskSyxFile::writeImage (file, model->image);

    if (result.failed())
        return juce::Result::fail ("Could not export \"" + file.getFileName() + "\": " + result.getErrorMessage()
                                   + ". Nothing on disk was changed, and the library is still open here.");

    return result;
}

//==============================================================================
bool VeskSession::isBusy() const noexcept
{
    return transfer->isRunning() || (finder != nullptr && finder->isRunning());
}

juce::String VeskSession::describeBusy (const juce::String& what) const
{
    if (! isBusy())
        return {};

    return "The unit is busy with \"" + job->getTitle() + "\".\n\n" + what + " waits until it has ended: "
           + (isSendingSomeRecords() ? "wait a moment." : "wait, or press Cancel in its window.");
}

void VeskSession::startJob (std::unique_ptr<VeskJob> newJob)
{
    job = std::move (newJob);
    jobChanged();
}

void VeskSession::jobChanged()
{
    callListeners ([] (Listener& l)
                   { l.jobChanged(); });
}

void VeskSession::cancelJob()
{
    if (job != nullptr)
        job->cancel();
}

juce::Result VeskSession::startTransfer (VeskTransfer::Kind kind)
{
    const auto title = VeskTransfer::title (kind);

    if (isBusy())
        return juce::Result::fail (describeBusy (title));

    if (! virtualUnitInUse)
    {
        if (deviceManager.getDefaultMidiOutput() == nullptr)
            return juce::Result::fail (noOutputText);

        if (kind != VeskTransfer::Kind::sendAll && receivers.isEmpty())
            return juce::Result::fail (noInputText);
    }

    std::copy (model->image, model->image + VeskImage::imageSize, imageAtJobStart.get());
    startJob (std::make_unique<VeskTransferJob> (*transfer, title));
    transfer->start (kind);
    return juce::Result::ok();
}

void VeskSession::transferFinished()
{
    const auto& report = transfer->getReport();

    if (std::exchange (selectShownPatternAfterSending, false) && getShownPattern() >= 1)
        model->selectUserPattern();

    if (report.kind == VeskTransfer::Kind::getAll)
    {
        std::vector<int> arrived;

        for (auto& block : report.blocks)
            if (block.status == VeskTransfer::BlockResult::Status::done)
                arrived.push_back (block.block);

        unitChangedLibrary = unitChangedLibrary || report.libraryChangedBesides;
        recordWholeBlocks (VeskTransfer::title (report.kind), imageAtJobStart, arrived);
        libraryRestored (allBlocks);
    }

    jobChanged();
}

juce::Result VeskSession::findUnit()
{
    if (isBusy())
        return juce::Result::fail (describeBusy ("Find Unit"));

    finder = std::make_unique<VeskUnitFinder> (MidiDeviceLists::system(), *clock);
    auto finderJob = std::make_unique<VeskFinderJob> (*finder);

    finder->onProgress = [this]
    { jobChanged(); };
    finder->onFinished = [this]
    { finderFinished(); };

    startJob (std::move (finderJob));
    finder->start();
    return juce::Result::ok();
}

void VeskSession::finderFinished()
{
    const auto& result = finder->getResult();
    const bool found = result.answered.size() == 1 && ! result.cancelled;

    if (found)
    {
        // As if picked by hand in the MIDI settings, and saved at once.
        const auto& pair = result.answered.front();
        deviceManager.setDefaultMidiOutputDevice (pair.output.identifier);
        deviceManager.setMidiInputDeviceEnabled (pair.input.identifier, true);
        outputChosenSinceStart = true;
        MidiSettingsFile::save (deviceManager, true);

        if (virtualUnitInUse)
            setVirtualUnitInUse (false);
        else
            attachReceivers();
    }

    if (auto* finderJob = dynamic_cast<VeskFinderJob*> (job.get()))
        finderJob->describeEnd (found);

    jobChanged();
}

//==============================================================================
void VeskSession::setVirtualUnitInUse (bool shouldBeInUse)
{
    virtualUnitInUse = shouldBeInUse;
    midiOut.setTarget (shouldBeInUse ? static_cast<MidiOut&> (virtualUnit) : static_cast<MidiOut&> (deviceOut));
    attachReceivers();
}

void VeskSession::attachReceivers()
{
    detachReceivers();

    auto addReceiver = [this] (const juce::String& identifier)
    {
        // The session keeps the changed mark, a transfer waits for its dumps,
        // the pages show what arrived.
        auto* receiver = receivers.add (std::make_unique<MyMidiInputCallback> (*model, *this));
        receiver->addListener (transfer.get());

        for (auto* listener : receiverListeners)
            receiver->addListener (listener);

        receiverInputs.add (identifier);
        return receiver;
    };

    if (virtualUnitInUse)
    {
        virtualUnit.connectTo (addReceiver ({}));
        return;
    }

    for (const auto& input : juce::MidiInput::getAvailableDevices())
        if (deviceManager.isMidiInputDeviceEnabled (input.identifier))
            deviceManager.addMidiInputDeviceCallback (input.identifier, addReceiver (input.identifier));
}

void VeskSession::detachReceivers()
{
    virtualUnit.connectTo (nullptr);

    for (int i = 0; i < receivers.size(); ++i)
        if (receiverInputs[i].isNotEmpty())
            deviceManager.removeMidiInputDeviceCallback (receiverInputs[i], receivers[i]);

    receivers.clear();
    receiverInputs.clear();
}

void VeskSession::midiSettingsClosed()
{
    MidiSettingsFile::save (deviceManager, outputChosenSinceStart);
    attachReceivers();
}

//==============================================================================
void VeskSession::dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary)
{
    if (! intoLibrary || ! dump.applied())
        return;

    // A Get All's answers are its own undo step, taken when it ends.
    if (transfer->isRunning() && transfer->getReport().kind == VeskTransfer::Kind::getAll)
        return;

    unitChangedLibrary = true;
    updateChangedFlag();
}

void VeskSession::controllerReceived (int)
{
    unitChangedLibrary = true;
    updateChangedFlag();
}
