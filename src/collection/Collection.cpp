#include "Collection.h"

#include "CollectionWorker.h"

#include <future>

// What the threads and the posted answers share with the object: the status,
// and whether the object is still there when an answer arrives.
struct Collection::Shared
{
    std::mutex lock;
    Status status;
    bool failing = false;
    bool alive = true; // read and written on the message thread only
    std::promise<void> writerOpened;
    std::shared_future<void> opened { writerOpened.get_future().share() };
};

Collection::Collection (const juce::File& fileToUse) : file (fileToUse), shared (std::make_shared<Shared>())
{
    writer = std::make_unique<CollectionWorker> ([this, state = shared]
                                                 {
                                                     // The program's start looks over the whole file once, in the background.
                                                     auto result = CollectionStore::open (file, CollectionStore::Mode::readWriteChecked);

                                                     {
                                                         std::lock_guard<std::mutex> guard (state->lock);
                                                         state->status.opened = true;
                                                         state->status.outcome = result.outcome;
                                                         state->status.movedAside = result.movedAside;

                                                         if (result.store == nullptr)
                                                             state->status.problem = result.problem;
                                                     }

                                                     state->writerOpened.set_value();

                                                     if (result.outcome == CollectionStore::OpenResult::Outcome::replaced)
                                                         post ([this, aside = result.movedAside, problem = result.problem]
                                                               { tell ([&] (Listener& l) { l.collectionReplaced (aside, problem); }); });
                                                     else if (result.store == nullptr)
                                                         post ([this, problem = result.problem] { noteOutcome (problem, false); });

                                                     return std::move (result.store); });

    // The reader opens after the writer has made, mended or migrated the file.
    reader = std::make_unique<CollectionWorker> ([this, state = shared]() -> std::unique_ptr<CollectionStore>
                                                 {
                                                     state->opened.wait();
                                                     return CollectionStore::open (file, CollectionStore::Mode::read).store; });
}

Collection::~Collection()
{
    shared->alive = false;
    reader->stop (false);
    writer->stop (true);
}

void Collection::post (std::function<void()> onMessageThread)
{
    juce::MessageManager::callAsync ([state = shared, call = std::move (onMessageThread)]
                                     {
                                         if (state->alive)
                                             call(); });
}

void Collection::noteOutcome (const CollectionProblem& problem, bool changed)
{
    bool tellFailure = false;
    juce::uint64 changes = 0;

    {
        std::lock_guard<std::mutex> guard (shared->lock);

        if (problem.failed())
        {
            tellFailure = ! shared->failing;
            shared->failing = true;
            shared->status.problem = problem;
        }
        else
        {
            shared->failing = false;
            shared->status.problem = {};

            if (changed)
                ++shared->status.changes;
        }

        changes = shared->status.changes;
    }

    if (tellFailure)
        tell ([&] (Listener& l)
              { l.collectionFailed (problem); });
    else if (changed && ! problem.failed())
        tell ([&] (Listener& l)
              { l.collectionChanged (changes); });
}

static CollectionProblem notOpen (const juce::File& file)
{
    CollectionProblem problem;
    problem.kind = CollectionProblem::Kind::cannotOpen;
    problem.file = file;
    return problem;
}

void Collection::add (std::vector<CollectionSighting> sightings)
{
    writer->queue ([this, sightings = std::move (sightings)] (CollectionStore* store)
                   {
                       auto report = store != nullptr ? store->add (sightings) : CollectionAddReport {};

                       if (store == nullptr)
                           report.problem = getStatus().problem.failed() ? getStatus().problem : notOpen (file);

                       post ([this, report] { noteOutcome (report.problem, report.added + report.sightings > 0); }); });
}

CollectionAddReport Collection::addAndWait (std::vector<CollectionSighting> sightings)
{
    auto answer = std::make_shared<std::promise<CollectionAddReport>>();
    auto future = answer->get_future();

    writer->queue ([this, answer, sightings = std::move (sightings)] (CollectionStore* store)
                   {
                       auto report = store != nullptr ? store->add (sightings) : CollectionAddReport {};

                       if (store == nullptr)
                           report.problem = notOpen (file);

                       post ([this, report] { noteOutcome (report.problem, report.added + report.sightings > 0); });
                       answer->set_value (report); });

    // A collection being destroyed drops nothing it was given, but say so
    // if the writer had already stopped.
    if (future.wait_for (std::chrono::minutes (10)) != std::future_status::ready)
    {
        CollectionAddReport report;
        report.problem = notOpen (file);
        return report;
    }

    return future.get();
}

void Collection::edit (std::function<CollectionEdit (CollectionStore&)> change, std::function<void (const CollectionEdit&)> done)
{
    writer->queue ([this, change = std::move (change), done = std::move (done)] (CollectionStore* store)
                   {
                       CollectionEdit result;

                       if (store != nullptr)
                           result = change (*store);
                       else
                       {
                           result.outcome = CollectionEdit::Outcome::failed;
                           result.problem = notOpen (file);
                       }

                       post ([this, result, done]
                             {
                                 noteOutcome (result.problem, result.outcome == CollectionEdit::Outcome::changed);

                                 if (done)
                                     done (result);
                             }); });
}

juce::uint64 Collection::search (const CollectionQuery& query, std::function<void (const CollectionPage&)> done)
{
    const auto generation = ++searchGeneration;

    reader->queue ([this, query, generation, done = std::move (done)] (CollectionStore* store)
                   {
                       // A search overtaken before it started is not run at all.
                       if (generation != searchGeneration.load())
                           return;

                       CollectionPage page;
                       const auto overtaken = [this, generation]
                       {
                           if (searchStepForTests)
                               searchStepForTests (generation);

                           return generation != searchGeneration.load();
                       };

                       if (store != nullptr)
                           page = store->search (query, overtaken);
                       else
                           page.problem = notOpen (file);

                       // Stopped for a newer search, which is queued behind and answers.
                       if (page.interrupted)
                           return;

                       post ([this, generation, page = std::move (page), done]
                             {
                                 if (generation == searchGeneration.load())
                                     done (page);
                             }); });

    return generation;
}

void Collection::queueRead (ReadJob job)
{
    reader->queue ([this, job = std::move (job)] (CollectionStore* store)
                   {
                       if (auto answer = job (store))
                           post (std::move (answer)); });
}

Collection::Status Collection::getStatus() const
{
    std::lock_guard<std::mutex> guard (shared->lock);
    auto status = shared->status;
    status.pendingWrites = writer->pending();
    return status;
}

bool Collection::waitUntilIdle (int timeoutMs)
{
    const auto start = juce::Time::getMillisecondCounter();
    const bool writes = writer->waitUntilIdle (timeoutMs);
    const auto left = timeoutMs - (int) (juce::Time::getMillisecondCounter() - start);
    return writes && reader->waitUntilIdle (juce::jmax (0, left));
}
