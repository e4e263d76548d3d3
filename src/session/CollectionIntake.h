#pragma once

#include "CollectionFolderJob.h"
#include "SessionListeners.h"
#include "model/VeskModel.h"

/**
    What goes into the collection: without being asked, the patterns of
    every library opened or saved, of every .syx file imported, of every Get
    All and of every pattern a MIDI file made, each seen with its source,
    slot and time; and, when asked, every library and .syx file under a
    folder, in the background (CollectionFolderJob).

    Adding only queues the sightings for the collection's writer thread, so
    the user's action is never slowed; whatever becomes of them, the library
    and its file are untouched. A failure of the collection is told to the
    session's listeners once, when it starts. The collection is opened when
    first needed, so a start that never needs it never pays for SQLite.

    At the end (quitting), a folder job is cancelled at its next file, what
    it added staying, and the writes still queued finish: each is one short
    transaction.

    Without a collection file (tests), a throwaway collection in a temporary
    folder is made when first asked for, and nothing goes in by itself.
    Message thread only.
*/
class CollectionIntake : private Collection::Listener
{
public:
    CollectionIntake (VeskModel& model, const juce::File& collectionFile, bool addByItself, SessionListeners& listeners);
    ~CollectionIntake() override;

    /** Opened when first asked for (the first pattern to go in, the page, a
        command), or at once for a file that plainly needs mending. */
    Collection& getCollection();
    bool isCollectionOpen() const noexcept { return collection != nullptr; }

    /** Whether patterns go in by themselves (the user's switch). */
    void setAddingByItself (bool shouldAdd) noexcept { addingByItself = shouldAdd; }
    bool isAddingByItself() const noexcept { return addingByItself; }

    /** The model's image as it now is holds what these brought in. */
    void libraryReadOrWritten (const juce::File& file);
    void syxImported (const juce::File& file, const std::vector<VeskBlock>& slots);
    void midiImported (const juce::File& file, const std::vector<VeskBlock>& slots);
    void gotAll (const std::vector<VeskBlock>& arrived);

    /** Starts adding the files under paths in the background; false, doing
        nothing, while an earlier one runs. */
    bool addFolders (const juce::Array<juce::File>& paths);

    /** The running folder job, or the last one; nullptr before the first. */
    CollectionFolderJob* getFolderJob() noexcept { return folderJob.get(); }
    bool isAddingFolders() const noexcept { return folderJob != nullptr && ! folderJob->isFinished(); }

private:
    void add (CollectionSource source, const juce::File& file, const std::vector<VeskBlock>& slots);
    void collectionFailed (const CollectionProblem& problem) override;
    void collectionReplaced (const juce::File& movedAside, const CollectionProblem& whatWasWrong) override;

    VeskModel& model;
    SessionListeners& listeners;
    const juce::File file;
    juce::File scratchFolder; // of the throwaway collection
    std::unique_ptr<Collection> collection;
    std::unique_ptr<CollectionFolderJob> folderJob; // before the collection goes
    bool addingByItself;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionIntake)
};
