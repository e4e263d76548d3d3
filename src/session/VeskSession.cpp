#include "VeskSession.h"
#include "midi/MidiSettingsFile.h"
#include "model/VeskFields.h"
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

    /** Passes every message to the tests' tap, then on. */
    struct TapOut : MidiOut
    {
        TapOut (MidiOut& tapToUse, MidiOut& destinationToUse) : tap (tapToUse), destination (destinationToUse) {}

        void send (const juce::MidiMessage& message) override
        {
            tap.send (message);
            destination.send (message);
        }

        MidiOut& tap;
        MidiOut& destination;
    };

    juce::String patternFieldName (int offset, int partType)
    {
        using namespace VeskImage::Pattern;
        const bool rythm = partType == VeskImage::PartType::rythm;
        const bool bass = partType == VeskImage::PartType::bass;

        if (offset >= stepNote && offset < stepNote + 4 * numSteps)
        {
            static const char* const arrays[] = { "Note", "Velocity", "Gate", "Type" };
            const int array = (offset - stepNote) / numSteps;
            return "Step " + juce::String ((offset - stepNote) % numSteps + 1) + " " + arrays[array];
        }

        switch (offset)
        {
            case tempoHigh:
            case tempoLow: return "Tempo";
            case patternLength: return "Length";
            case stepsPerBar: return "Scale";
            case loopCtrl: return "Loop Control";
            case type: return "Type";
            case toneOrKit: return rythm ? "Kit" : "Tone";
            case tuneOrEffectParam1: return bass ? "Tune" : "Effect Param 1";
            case envModOrEffectParam2: return bass ? "Env Mod" : "Effect Param 2";
            case accentOrEffectParam3: return bass ? "Accent" : "Effect Param 3";
            case filterCutoffOrBdLevel: return rythm ? "BD Level" : "Cutoff";
            case filterResonanceOrSdLevel: return rythm ? "SD Level" : "Resonance";
            case filterDecayOrHhLevel: return rythm ? "HH Level" : "Filter Decay";
            case level: return "Level";
            case pan: return "Pan";
            case lfoRate: return "LFO Rate";
            case lfoWave: return "LFO Wave";
            case wave: return "Wave";
            case vibratoDepth: return "Vibrato Depth";
            case filterType: return "Filter Type";
            case filterAttack: return "Filter Attack";
            case filterSustain: return "Filter Sustain";
            case filterRelease: return "Filter Release";
            case filterLfoDepth: return "Filter LFO Depth";
            case amplifierEnvDepth: return "Amp Env Depth";
            case amplifierAttack: return "Amp Attack";
            case amplifierDecay: return "Amp Decay";
            case amplifierSustain: return "Amp Sustain";
            case amplifierRelease: return "Amp Release";
            case amplifierLfoDepth: return "Amp LFO Depth";
            case vintageOrEffectType: return bass ? "Vintage" : "Effect Type";
            default: return VeskFields::patternFieldName (offset);
        }
    }

    juce::String systemFieldName (int offset)
    {
        using namespace VeskImage::System;

        switch (offset)
        {
            case masterTune: return "Master Tune";
            case receiveProgramChange: return "Receive Program Change";
            case receiveControlChange: return "Receive Control Change";
            case receivePitchBend: return "Receive Pitch Bend";
            case midiChannel: return "MIDI Channel";
            case transmitProgramChange: return "Transmit Program Change";
            case transpose: return "Transpose";
            default: return VeskFields::systemFieldName (offset);
        }
    }
}

//==============================================================================
class VeskSession::TransferJob : public VeskJob
{
public:
    TransferJob (VeskTransfer& t, const juce::String& titleToShow) : transfer (t), title (titleToShow) {}

    juce::String getTitle() const override { return title; }
    bool isRunning() const override { return transfer.isRunning(); }
    void cancel() override { transfer.cancel(); }

    double getProgress() const override
    {
        const auto& report = transfer.getReport();
        return report.numDone() / (double) juce::jmax ((size_t) 1, report.blocks.size());
    }

    juce::String getProgressText() const override
    {
        if (! transfer.isRunning())
            return {};

        const auto& report = transfer.getReport();
        return (report.kind == VeskTransfer::Kind::sendAll ? "Sending " : "Asking for ") + report.progressText();
    }

    juce::String getHeadline() const override { return transfer.getReport().cancelled ? "Cancelled" : "Done"; }
    juce::String getSummary() const override { return transfer.getReport().summary(); }

private:
    VeskTransfer& transfer;
    juce::String title;
};

class VeskSession::FinderJob : public VeskJob
{
public:
    explicit FinderJob (VeskUnitFinder& f) : finder (f) {}

    juce::String getTitle() const override { return "Find Unit"; }
    bool isRunning() const override { return finder.isRunning(); }
    void cancel() override { finder.cancel(); }

    double getProgress() const override
    {
        const auto& result = finder.getResult();
        return finder.isRunning() ? result.outputsTried / (double) juce::jmax (1, result.numOutputs) : 1.0;
    }

    juce::String getProgressText() const override
    {
        return finder.isRunning() ? "Asking on " + finder.getCurrentOutputName() : juce::String();
    }

    juce::String getHeadline() const override { return headline; }
    juce::String getSummary() const override { return summary; }

    juce::String headline, summary;

private:
    VeskUnitFinder& finder;
};

//==============================================================================
VeskSession::VeskSession (Options options)
    : ownClock (options.clock == nullptr ? std::make_unique<MessageThreadClock>() : nullptr),
      clock (options.clock != nullptr ? options.clock : ownClock.get()),
      virtualUnit (*clock)
{
    if (options.openDevices)
        startError = MidiSettingsFile::initialiseDeviceManager (deviceManager);

    if (options.wireTap != nullptr)
        tap = std::make_unique<TapOut> (*options.wireTap, midiOut);
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

void VeskSession::openStartGate()
{
    startGate->setOpen (true);
}

void VeskSession::addListener (Listener* listener) { listeners.add (listener); }
void VeskSession::removeListener (Listener* listener) { listeners.remove (listener); }

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

    model->storeField (field, value);
    model->sendField (field);

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
        step.name = nameOf (field, model->currentPattern);
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

juce::String VeskSession::nameOf (VeskField field, const juce::uint8* record)
{
    return field.isSystem() ? systemFieldName (field.offset)
                            : patternFieldName (field.offset, record[VeskImage::Pattern::type]);
}

juce::String VeskSession::getUndoName() const
{
    auto* step = history.nextUndo();
    return step != nullptr ? step->name : juce::String();
}

juce::String VeskSession::getRedoName() const
{
    auto* step = history.nextRedo();
    return step != nullptr ? step->name : juce::String();
}

juce::Result VeskSession::undo()
{
    if (isBusy())
        return juce::Result::fail (describeBusy ("Undo"));

    if (auto* step = history.nextUndo())
    {
        gestureOpen = false;
        history.stepBack();
        restore (*step, true);
    }

    return juce::Result::ok();
}

juce::Result VeskSession::redo()
{
    if (isBusy())
        return juce::Result::fail (describeBusy ("Redo"));

    if (auto* step = history.nextRedo())
    {
        gestureOpen = false;
        history.stepForward();
        restore (*step, false);
    }

    return juce::Result::ok();
}

void VeskSession::restore (const VeskHistory::Step& step, bool undoing)
{
    if (step.wholeBlocks)
    {
        const auto blocks = step.blocks();
        auto sends = [&blocks] (int block)
        { return std::find (blocks.begin(), blocks.end(), block) != blocks.end(); };

        // The records go into the unit's memory (the temporary one into its
        // edit buffer), so a user pattern selected before they arrive would be
        // edited from its old copy: the shown one is selected once they are in.
        if (blocks.size() == 1 && blocks.front() >= 0 && blocks.front() != getShownPattern())
            showPattern (blocks.front(), false);

        VeskHistory::writeBack (step, model->image, undoing);
        startJob (std::make_unique<TransferJob> (*transfer, (undoing ? "Undo " : "Redo ") + step.name));
        const bool sending = transfer->startSending (blocks);
        selectShownPatternAfterSending = sending && getShownPattern() >= 1 && (sends (getShownPattern()) || sends (0));
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

void VeskSession::updateChangedFlag()
{
    model->setChangedFlag (unitChangedLibrary || ! history.isAtSavedState());
}

void VeskSession::libraryRestored (int block)
{
    listeners.call ([block] (Listener& l)
                    { l.libraryRestored (block); });
}

void VeskSession::historyChanged()
{
    listeners.call ([] (Listener& l)
                    { l.historyChanged(); });
}

void VeskSession::forgetHistory()
{
    history.clear();
    gestureOpen = false;
    unitChangedLibrary = false;
    historyChanged();
}

void VeskSession::recordWholeBlocks (const juce::String& name, const juce::uint8* before, const std::vector<int>& blocks)
{
    VeskHistory::Step step;
    step.name = name;
    step.wholeBlocks = true;
    step.changes = VeskHistory::differences (before, model->image, blocks);
    step.lastEdit = clock->now();
    history.add (std::move (step));
    updateChangedFlag();
    historyChanged();
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
    listeners.call ([shown] (Listener& l)
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
    const auto report = VeskSyxFile::describeImport (contents, import, maxImportDetails);

    juce::StringArray text (file.getFileName() + ": " + report.summary + ".");

    if (! report.details.empty())
    {
        text.add ({});

        for (auto& detail : report.details)
            text.add (detail);
    }

    text.add ({});

    if (import.applied == 0)
    {
        text.add ("It holds no dump of this unit: the library was left as it was.");
        return { true, text.joinIntoString ("\n") };
    }

    std::vector<int> blocks { -1 };

    for (int record = 0; record < VeskImage::numPatternRecords; ++record)
        blocks.push_back (record);

    const bool changedAnything = ! VeskHistory::differences (before, model->image, blocks).empty();
    recordWholeBlocks ("Import .syx", before, blocks);
    libraryRestored (allBlocks);

    if (! changedAnything)
        text.add ("The library already held every byte of them. Nothing was sent to the unit.");
    else
        text.add ("The library is marked changed: save it to keep them. Nothing was sent to the unit.");

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

    return "The unit is busy with \"" + job->getTitle() + "\".\n\n" + what
           + " waits until it has ended: wait, or press Cancel in its window.";
}

void VeskSession::startJob (std::unique_ptr<VeskJob> newJob)
{
    job = std::move (newJob);
    jobChanged();
}

void VeskSession::jobChanged()
{
    listeners.call ([] (Listener& l)
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
    startJob (std::make_unique<TransferJob> (*transfer, title));
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
    auto finderJob = std::make_unique<FinderJob> (*finder);

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
    auto* finderJob = dynamic_cast<FinderJob*> (job.get());
    jassert (finderJob != nullptr);

    const auto& result = finder->getResult();

    if (result.answered.size() == 1 && ! result.cancelled)
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

        finderJob->headline = "Found";
        finderJob->summary = "The unit answered on output " + pair.output.name + " and input " + pair.input.name
                             + ".\n\nBoth are chosen and saved to MidiSettings.xml.";

        if (result.unusable.size() > 0)
            finderJob->summary << "\n\nNot searched:\n  " << result.unusable.joinIntoString ("\n  ");
    }
    else
    {
        finderJob->headline = result.cancelled ? "Cancelled" : (result.answered.empty() ? "Not found" : "More than one answered");
        finderJob->summary = result.describe();
    }

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
