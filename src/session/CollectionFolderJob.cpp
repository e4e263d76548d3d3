#include "CollectionFolderJob.h"

CollectionFolderJob::CollectionFolderJob (Collection& collectionToUse, const juce::Array<juce::File>& pathsToAdd)
    : juce::Thread ("Add to Collection"),
      collection (collectionToUse),
      paths (pathsToAdd)
{
}

CollectionFolderJob::~CollectionFolderJob()
{
    cancel();

    // It stops at the next file; a batch in hand is one short transaction.
    stopThread (-1);
}

void CollectionFolderJob::start()
{
    jassert (! isThreadRunning() && ! finished);
    startThread (juce::Thread::Priority::low);
}

bool CollectionFolderJob::waitForEnd (int timeoutMs)
{
    return waitForThreadToExit (timeoutMs) && finished;
}

CollectionFolderImport::Progress CollectionFolderJob::getProgress() const
{
    const juce::ScopedLock sl (lock);
    return progress;
}

CollectionFolderImport::Report CollectionFolderJob::getReport() const
{
    const juce::ScopedLock sl (lock);
    return report;
}

void CollectionFolderJob::run()
{
    CollectionFolderImport import ([this] (const std::vector<CollectionSighting>& batch)
                                   { return collection.addAndWait (batch); });

    auto result = import.run (paths, cancelRequested, [this] (const CollectionFolderImport::Progress& now)
                              {
                                  {
                                      const juce::ScopedLock sl (lock);
                                      progress = now;
                                  }

                                  if (onProgressInJob != nullptr)
                                      onProgressInJob (now); });

    {
        const juce::ScopedLock sl (lock);
        report = std::move (result);
    }

    finished = true;
}
