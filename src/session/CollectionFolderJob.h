#pragma once

#include "collection/Collection.h"
#include "collection/CollectionFolderImport.h"

/**
    Folders (and files) going into the collection on a thread of their own,
    while the user goes on working: the library and the unit are not touched.
    The window reads how far it has come and the report at the end; Cancel
    stops it at the next file, and what was added by then stays.

    Made, started, read and destroyed on the message thread; destroying it
    cancels it and waits for the file in hand.
*/
class CollectionFolderJob : private juce::Thread
{
public:
    CollectionFolderJob (Collection& collection, const juce::Array<juce::File>& paths);
    ~CollectionFolderJob() override;

    void start();
    void cancel() noexcept { cancelRequested = true; }

    bool isFinished() const noexcept { return finished; }

    /** Waits at most timeoutMs for the end; true once it ended. */
    bool waitForEnd (int timeoutMs);

    CollectionFolderImport::Progress getProgress() const;

    /** What it did; complete once isFinished(). */
    CollectionFolderImport::Report getReport() const;

    const juce::Array<juce::File>& getPaths() const noexcept { return paths; }

    /** Told on the job's thread after each file, before the next is begun. */
    std::function<void (const CollectionFolderImport::Progress&)> onProgressInJob;

private:
    void run() override;

    Collection& collection;
    const juce::Array<juce::File> paths;
    std::atomic<bool> cancelRequested { false }, finished { false };

    juce::CriticalSection lock;
    CollectionFolderImport::Progress progress;
    CollectionFolderImport::Report report;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionFolderJob)
};
