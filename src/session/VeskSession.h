#pragma once

#include "VeskHistory.h"
#include "VeskJob.h"
#include "midi/DeviceMidiOut.h"
#include "midi/MidiOutGate.h"
#include "midi/MidiOutHold.h"
#include "midi/MidiOutLog.h"
#include "midi/MidiOutTee.h"
#include "midi/MyMidiInputCallback.h"
#include "midi/SelectableMidiOut.h"
#include "model/VeskModel.h"
#include "unit/VeskTransfer.h"
#include "unit/VeskUnitFinder.h"
#include "unit/VeskVirtualUnit.h"

#include <juce_audio_devices/juce_audio_devices.h>

/**
    Everything the program does with the library and the unit, without a
    window: the library (the model), the way out to the unit (start gate,
    log, port or virtual unit), the receivers, the unit jobs (transfers and
    Find Unit) and the undo history.

    Every change of a library byte the user makes goes through edit: it is
    stored, sent to the unit as an edit of that field is sent, and recorded
    as an undo step. Undo and redo write the bytes back the same way. The
    library's changed mark follows the history: back at the state last saved
    (or opened), it is unchanged, unless the unit changed it meanwhile.

    Pages read the model directly and are told through Listener what changed
    under them. Message thread only.
*/
class VeskSession : public MyMidiInputCallback::Listener
{
public:
    struct Options
    {
        /** Time for the jobs and for merging quick steps; the message thread's when null. */
        VeskClock* clock = nullptr;

        /** Sends the defaults of a fresh library to the unit at start. */
        bool resetUnitAtStart = true;

        /** Sees every message on its way to the port or the virtual unit (tests). */
        MidiOut* wireTap = nullptr;

        /** Opens the MIDI ports MidiSettings.xml names. */
        bool openDevices = true;

        /** Opens no port and sends nothing until start(): what is sent
            meanwhile (the start-up reset, early edits) waits there, in order. */
        bool deferStart = false;

        /** No ports: everything sent goes to out, on the given clock (tests, benchmarks, tools). */
        static Options headless (VeskClock& clockToUse, MidiOut& out)
        {
            Options options;
            options.clock = &clockToUse;
            options.wireTap = &out;
            options.openDevices = false;
            return options;
        }
    };

    explicit VeskSession (Options options);
    ~VeskSession() override;

    VeskModel& getModel() noexcept { return *model; }
    juce::AudioDeviceManager& getDeviceManager() noexcept { return deviceManager; }
    VeskVirtualUnit& getVirtualUnit() noexcept { return virtualUnit; }
    VeskTransfer& getTransfer() noexcept { return *transfer; }
    VeskClock& getClock() noexcept { return *clock; }
    const VeskHistory& getHistory() const noexcept { return history; }

    /** With Options::deferStart: opens the ports, attaches the receivers and
        lets out what waited, in order. Does nothing the second time. */
    void start();
    bool isStarted() const noexcept { return started; }

    /** Why the MIDI ports of the settings could not be opened at start, or empty. */
    const juce::String& getStartError() const noexcept { return startError; }

    /** Lets the start's own messages through; until then, with the start-up
        reset off, nothing reaches the unit. */
    void openStartGate() { startGate->setOpen (true); }

    //==============================================================================
    struct Listener
    {
        virtual ~Listener() = default;

        /** Bytes changed that the pages did not change themselves: an undo or
            redo, a whole-block step, a new or opened library. block is -1 for
            the system block, 0-20 for a record, allBlocks for any. */
        virtual void libraryRestored (int block) { juce::ignoreUnused (block); }

        /** The session showed another pattern (0 temporary, 1-20 user). */
        virtual void patternShown (int patternItem) { juce::ignoreUnused (patternItem); }

        /** A job started, progressed or finished. */
        virtual void jobChanged() {}

        /** What undo and redo would do, or the changed mark, may differ. */
        virtual void historyChanged() {}
    };

    static constexpr int allBlocks = 100;

    void addListener (Listener* listener);
    void removeListener (Listener* listener);

    /** Also told of everything the receivers apply (the pages). */
    void addReceiverListener (MyMidiInputCallback::Listener* listener);
    void removeReceiverListener (MyMidiInputCallback::Listener* listener);

    //==============================================================================
    /** The one way a user's edit reaches the library: stores the value (see
        VeskField), sends it to the unit and records the undo step. */
    void edit (VeskField field, int value);

    /** A press, drag and release of one control: its edits make one step.
        Edits outside a gesture (wheel, keys, typed values) merge with the
        step before when they edit the same field within mergeMs. */
    void beginGesture() noexcept;
    void endGesture() noexcept;

    static constexpr double mergeMs = 500.0;

    bool canUndo() const noexcept { return history.nextUndo() != nullptr; }
    bool canRedo() const noexcept { return history.nextRedo() != nullptr; }
    juce::String getUndoName() const { return canUndo() ? history.nextUndo()->name : juce::String(); }
    juce::String getRedoName() const { return canRedo() ? history.nextRedo()->name : juce::String(); }

    /** Refused while a job runs: a transfer would take the bytes back. */
    juce::Result undo();
    juce::Result redo();

    //==============================================================================
    /** The pattern shown and edited: 0 temporary, 1-20 user patterns; a user
        pattern is selected on the unit as the pattern selector does. */
    void showPattern (int patternItem);
    int getShownPattern() const noexcept { return model->currentPatternIndex + 1; }

    /** File > New: a fresh library of defaults, sent to the unit; no history. */
    void newLibrary();

    /** A message for the user and whether it reports a failure. */
    struct Outcome
    {
        bool failed = false;
        juce::String text;
    };

    /** Applies every dump of a .syx file to the library as one undo step;
        sends nothing. The outcome says what was applied and ignored. */
    Outcome importSyx (const juce::File& file);

    /** A change of whole pattern records (slots 0 temporary, 1-20 user; see
        VeskSlotSteps): change writes them, and it is one undo step, named,
        that sends the records it changed as Send All does, paced. Refused
        while a job runs, and for a slot that does not exist. */
    juce::Result changeRecords (const juce::String& name, const std::vector<int>& slots, const std::function<void()>& change);

    /** The shown pattern's record becomes record (a whole 159-byte record),
        as edits of the fields that differ would make it: each is sent as its
        control sends it, and together they are one undo step called name.
        Refused while a job runs; nothing different is no step. */
    juce::Result editShownPattern (const juce::String& name, const juce::uint8* record);

    /** File > Import MIDI File into Pattern: the file's notes into the steps,
        tempo, length and steps per bar of the shown pattern, as one undo step
        sent as edits of those fields; its type and sound stay. */
    Outcome importMidi (const juce::File& file, int track = -1);

    /** The shown pattern as a Standard MIDI File. */
    juce::Result exportMidi (const juce::File& file);

    /** Writes the library as the messages that restore it into a unit. */
    juce::Result exportSyx (const juce::File& file);

    //==============================================================================
    /** A transfer or a search runs. */
    bool isBusy() const noexcept;

    /** The job sends only the few records an undo step or a library step
        changed: it takes a moment, ends by itself and shows no window. */
    bool isSendingSomeRecords() const noexcept;

    /** The sentence that refuses `what` while a job runs, or empty when none runs. */
    juce::String describeBusy (const juce::String& what) const;

    /** Starts Get All, Send All or Verify; refused with the reason (busy, no
        output, no input). Get All is one undo step when it ends. */
    juce::Result startTransfer (VeskTransfer::Kind kind);

    /** Looks for the unit on every port; one answering pair is chosen and saved. */
    juce::Result findUnit();

    /** The running job, or the last one; nullptr before the first. */
    VeskJob* getJob() noexcept { return job.get(); }
    void cancelJob();

    void setVirtualUnitInUse (bool shouldBeInUse);
    bool isVirtualUnitInUse() const noexcept { return virtualUnitInUse; }

    /** Replaces the receivers: one per enabled MIDI input, or the virtual unit's. */
    void attachReceivers();
    void detachReceivers();
    int getNumReceivers() const noexcept { return receivers.size(); }

    /** After the MIDI settings dialog: saves the settings, re-attaches. */
    void midiSettingsClosed();
    void noteOutputChosen() noexcept { outputChosenSinceStart = true; }

private:
    void callListeners (const std::function<void (Listener&)>& call);
    void showPattern (int patternItem, bool selectOnUnit);
    juce::Result takeStep (bool back);
    void sendRecords (const std::vector<int>& blocks, const juce::String& title);
    void updateChangedFlag();
    void restore (const VeskHistory::Step& step, bool undoing);
    void libraryRestored (int block);
    void historyChanged();
    void startJob (std::unique_ptr<VeskJob> newJob);
    void jobChanged();
    void transferFinished();
    void finderFinished();
    /** False when the blocks hold what they held before: no step. */
    bool recordWholeBlocks (const juce::String& name, const juce::uint8* before, const std::vector<int>& blocks);
    void forgetHistory();

public:
    /** Every receiver tells the session first: what the unit changed marks the library. */
    void dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary) override;
    void controllerReceived (int controllerNumber) override;

private:
    juce::AudioDeviceManager deviceManager;
    juce::String startError;
    std::unique_ptr<VeskClock> ownClock;
    VeskClock* clock;
    DeviceMidiOut deviceOut { deviceManager };
    VeskVirtualUnit virtualUnit;
    SelectableMidiOut midiOut { deviceOut };
    std::unique_ptr<MidiOut> tap; // the log or the tests' tap, when there is one
    std::unique_ptr<MidiOutHold> startHold; // between the gate and the tap, so the tap sees what leaves
    std::unique_ptr<MidiOutGate> startGate;
    std::unique_ptr<VeskModel> model;
    std::unique_ptr<VeskTransfer> transfer;
    std::unique_ptr<VeskUnitFinder> finder;
    std::unique_ptr<VeskJob> job;
    juce::OwnedArray<MyMidiInputCallback> receivers;
    juce::StringArray receiverInputs; // the input each receiver was added for; empty for the virtual unit's
    std::vector<MyMidiInputCallback::Listener*> receiverListeners;
    std::vector<Listener*> listeners;

    VeskHistory history;
    int gesture = 0; // counts gestures; the open one while gestureOpen
    bool gestureOpen = false;
    bool unitChangedLibrary = false; // since the last save or open
    bool virtualUnitInUse = false;
    bool openDevicesAtStart = true;
    bool started = false;
    bool outputChosenSinceStart = false;
    bool selectShownPatternAfterSending = false; // when the records of an undo or redo have gone out
    juce::HeapBlock<juce::uint8> imageAtJobStart;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskSession)
};
