#pragma once

#include "CollectionIntake.h"
#include "FileExchange.h"
#include "LibraryOperations.h"
#include "PatternAudition.h"
#include "collection/Collection.h"

/**
    Everything the program does with the library and the unit, without a
    window: what the pages and the app change goes through it, a front over
    parts that each do one thing:
    - VeskUnitLink: the devices and MidiSettings.xml, the way out to the unit
      (start gate, log, port or virtual unit) and the receivers;
    - EditHistory: edits, gestures, undo and redo, the changed mark;
    - UnitJobs: transfers, Find Unit, the paced sends of a few records;
    - FileExchange: .syx and MIDI files in and out;
    - CollectionIntake: the collection, and what goes into it;
    - LibraryOperations: what the pages do to the library's pattern slots.

    Every change of a library byte the user makes goes through edit. Pages
    read the model directly. What the unit sends refreshes the editor's pages
    as the receivers do it (setEditor); everything else that changed under
    them, what the unit sent included, reaches them through Listener alone.
    What is refused comes back as a SessionResult, which the app words.
    Message thread only.
*/
class VeskSession
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

        /** The collection's database (the program's is CollectionStore::defaultFile());
            none: a throwaway one, and nothing goes in by itself. */
        juce::File collectionFile;

        /** The patterns of libraries, imports and Get All go into the collection by themselves. */
        bool addToCollection = true;

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
    ~VeskSession();

    VeskModel& getModel() noexcept { return *model; }
    VeskClock& getClock() noexcept { return *clock; }
    VeskUnitLink& getLink() noexcept { return link; }
    UnitJobs& getJobs() noexcept { return *jobs; }
    EditHistory& getEditHistory() noexcept { return *history; }
    FileExchange& getFiles() noexcept { return *files; }
    CollectionIntake& getCollectionIntake() noexcept { return *intake; }
    Collection& getCollection() { return intake->getCollection(); }

    /** What the Library and Collection pages do to the pattern slots. */
    LibraryOperations& getLibraryOperations() noexcept { return libraryOperations; }

    /** Versions of the shown pattern heard before one is kept (Variations). */
    PatternAudition& getAudition() noexcept { return *audition; }

    juce::AudioDeviceManager& getDeviceManager() noexcept { return link.getDeviceManager(); }
    VeskVirtualUnit& getVirtualUnit() noexcept { return link.getVirtualUnit(); }
    VeskTransfer& getTransfer() noexcept { return jobs->getTransfer(); }
    const VeskHistory& getHistory() const noexcept { return history->getSteps(); }

    /** Why the MIDI ports of the settings could not be opened at start, or empty. */
    const juce::String& getStartError() const noexcept { return link.getStartError(); }

    /** With Options::deferStart: opens the ports, attaches the receivers and
        lets out what waited, in order. Does nothing the second time. */
    void start() { link.start(); }
    bool isStarted() const noexcept { return link.isStarted(); }

    /** Lets the start's own messages through; until then, with the start-up
        reset off, nothing reaches the unit. */
    void openStartGate() { link.openStartGate(); }

    //==============================================================================
    using Listener = SessionListeners::Listener;

    void addListener (Listener* listener) { listeners.add (listener); }
    void removeListener (Listener* listener) { listeners.remove (listener); }

    /** The tabbed editor the receivers refresh as the unit's data arrives;
        everything else they applied reaches the listeners. */
    void setEditor (MyMidiInputCallback::Editor* editor) { link.setEditor (editor); }

    //==============================================================================
    /** The one way a user's edit reaches the library: stores the value (see
        VeskField), sends it to the unit and records the undo step. */
    void edit (VeskField field, int value) { history->edit (field, value); }

    /** A press, drag and release of one control: its edits make one step
        (see EditHistory). */
    void beginGesture() noexcept { history->beginGesture(); }
    void endGesture() noexcept { history->endGesture(); }

    static constexpr double mergeMs = EditHistory::mergeMs;

    bool canUndo() const noexcept { return history->canUndo(); }
    bool canRedo() const noexcept { return history->canRedo(); }
    juce::String getUndoName() const { return history->getUndoName(); }
    juce::String getRedoName() const { return history->getRedoName(); }

    /** Refused while a job runs: a transfer would take the bytes back. */
    SessionResult undo() { return history->undo(); }
    SessionResult redo() { return history->redo(); }

    //==============================================================================
    /** The pattern shown and edited: the temporary one (also for the system
        block) or a user pattern, which is selected on the unit as the pattern
        selector does. */
    void showPattern (VeskBlock pattern);
    VeskBlock getShownPattern() const noexcept { return model->getShownBlock(); }

    /** A fresh library of defaults, sent to the unit; no history. */
    void newLibrary();

    /** The pages' Send: the system block, or for a pattern block the shown
        pattern (into the unit's edit buffer and, for a user pattern, its
        memory), as the library holds it. Refused while a job runs. */
    SessionResult sendToUnit (VeskBlock block);

    /** The pages' Store: asks the unit for the system block, or for a pattern
        block the shown pattern; the answer comes into the library. Refused
        while a job runs, which would take the answer for its own. */
    SessionResult askUnitFor (VeskBlock block);

    /** A change of whole pattern records (see VeskSlotSteps): change writes
        them, and it is one undo step, named, that sends the records it
        changed as Send All does, paced. Refused while a job runs, and for
        the system block, which is no pattern slot. */
    SessionResult changeRecords (const juce::String& name, const std::vector<VeskBlock>& slots, const std::function<void()>& change)
    {
        return history->changeRecords (name, slots, change);
    }

    /** The shown pattern's record becomes record (a whole 159-byte record),
        as edits of the fields that differ would make it: each is sent as its
        control sends it, and together they are one undo step called name.
        Refused while a job runs; nothing different is no step. */
    SessionResult editShownPattern (const juce::String& name, const juce::uint8* record)
    {
        return history->editShownPattern (name, record);
    }

    /** See FileExchange. An import waits while an audition is open: a cancel
        would put back what it brought. */
    SessionResult importSyx (const juce::File& file);
    juce::Result exportSyx (const juce::File& file) { return files->exportSyx (file); }
    SessionResult importMidi (const juce::File& file, const VeskMidiFile::ImportOptions& options = {});
    juce::Result exportMidi (const juce::File& file) { return files->exportMidi (file); }

    //==============================================================================
    /** A transfer or a search runs. */
    bool isBusy() const noexcept { return jobs->isBusy(); }

    /** The job sends only the few records an undo step or a library step
        changed: it takes a moment, ends by itself and shows no window. */
    bool isSendingSomeRecords() const noexcept { return jobs->isSendingSomeRecords(); }

    /** How `command` is refused while a job runs, or ok when none runs. */
    SessionResult refusalWhileBusy (const juce::String& command) const { return jobs->refusalWhileBusy (command); }

    /** How a command that replaces or imports into the library is refused
        now: while a job runs, or while an audition is open, whose cancel
        would write into the library it was begun on. Ok when neither. */
    SessionResult refusalWhileHeld (const juce::String& command) const;

    /** Starts Get All, Send All or Verify; refused with the reason (busy, no
        output, no input). Get All is one undo step when it ends. */
    SessionResult startTransfer (VeskTransfer::Kind kind) { return jobs->startTransfer (kind); }

    /** Looks for the unit on every port; one answering pair is chosen and saved. */
    SessionResult findUnit() { return jobs->findUnit(); }

    /** The running job, or the last one; nullptr before the first. */
    VeskJob* getJob() noexcept { return jobs->getJob(); }
    void cancelJob() { jobs->cancelJob(); }

    void setVirtualUnitInUse (bool shouldBeInUse) { link.setVirtualUnitInUse (shouldBeInUse); }
    bool isVirtualUnitInUse() const noexcept { return link.isVirtualUnitInUse(); }

    /** Replaces the receivers: one per enabled MIDI input, or the virtual unit's. */
    void attachReceivers() { link.attachReceivers(); }
    void detachReceivers() { link.detachReceivers(); }
    int getNumReceivers() const noexcept { return link.getNumReceivers(); }

    /** After the MIDI settings dialog: saves the settings, re-attaches. */
    void midiSettingsClosed() { link.midiSettingsClosed(); }
    void noteOutputChosen() noexcept { link.noteOutputChosen(); }

    //==============================================================================
    /** See CollectionIntake: the switch, and Add Folder to Collection. */
    void setAddingToCollection (bool shouldAdd) noexcept { intake->setAddingByItself (shouldAdd); }
    bool isAddingToCollection() const noexcept { return intake->isAddingByItself(); }
    bool addFoldersToCollection (const juce::Array<juce::File>& paths) { return intake->addFolders (paths); }

private:
    void showPattern (VeskBlock pattern, bool selectOnUnit);

    SessionListeners listeners;
    std::unique_ptr<VeskClock> ownClock;
    VeskClock* clock;
    VeskUnitLink link;
    std::unique_ptr<VeskModel> model;
    std::unique_ptr<UnitJobs> jobs;
    std::unique_ptr<EditHistory> history;
    std::unique_ptr<FileExchange> files;
    std::unique_ptr<CollectionIntake> intake;
    std::unique_ptr<PatternAudition> audition;
    LibraryOperations libraryOperations { *this };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskSession)
};
