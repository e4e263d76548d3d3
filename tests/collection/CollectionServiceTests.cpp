#include "CollectionTestSupport.h"

#include "DispatchMessages.h"
#include "ScopedTmpfs.h"
#include "collection/Collection.h"
#include "collection/CollectionFingerprint.h"

#include <future>
#include <juce_events/juce_events.h>

namespace
{
    struct Told : public Collection::Listener
    {
        void collectionChanged (juce::uint64) override { ++changes; }
        void collectionFailed (const CollectionProblem& problem) override { failures.push_back (problem); }
        void collectionReplaced (const juce::File& aside, const CollectionProblem&) override { replacedBy = aside; }

        int changes = 0;
        std::vector<CollectionProblem> failures;
        juce::File replacedBy;
    };

    void settle (Collection& collection)
    {
        ASSERT_TRUE (collection.waitUntilIdle (20000));
        dispatchPendingMessages();
    }
}

TEST (CollectionService, AddsOffTheMessageThreadAndAnswersTheLatestSearchOnly)
{
    ScopedFolder folder;
    Collection collection (folder.file ("c.db"));
    Told told;
    collection.addListener (&told);

    collection.add ({ sighting (patternBytes (1), "/m/Acid.vsk", 1, 1), sighting (patternBytes (2), "/m/Acid.vsk", 2, 1) });
    settle (collection);
    EXPECT_EQ (told.changes, 1);

    // Type-ahead: three searches in a row, only the last one's answer is shown.
    std::vector<std::pair<juce::String, int>> answers;
    for (const auto* text : { "a", "ac", "acid" })
    {
        CollectionQuery query;
        query.text = text;
        collection.search (query, [&answers, text] (const CollectionPage& page)
                           { answers.emplace_back (text, page.total); });
    }

    settle (collection);
    ASSERT_EQ (answers.size(), 1u);
    EXPECT_EQ (answers[0].first, "acid");
    EXPECT_EQ (answers[0].second, 2);

    // Other reads come back on the message thread too.
    std::optional<int> seen;
    collection.read<int> ([] (CollectionStore& store)
                          { return store.find (CollectionFingerprint::id (patternBytes (1))).pattern->seen; },
                          [&seen] (int value)
                          {
                              EXPECT_TRUE (juce::MessageManager::getInstance()->isThisTheMessageThread());
                              seen = value;
                          });

    std::optional<CollectionEdit::Outcome> edited;
    collection.edit ([] (CollectionStore& store)
                     { return store.setFavourite (CollectionFingerprint::id (patternBytes (2)), true); },
                     [&edited] (const CollectionEdit& edit)
                     { edited = edit.outcome; });
    settle (collection);
    EXPECT_EQ (seen, 1);
    EXPECT_EQ (edited, CollectionEdit::Outcome::changed);
    EXPECT_EQ (told.changes, 2);
    collection.removeListener (&told);
}

TEST (CollectionService, ASearchOvertakenWhileItRunsStopsThereAndOnlyTheNewerOneAnswers)
{
    ScopedFolder folder;
    Collection collection (folder.file ("c.db"));
    std::vector<CollectionSighting> many;
    for (int i = 0; i < 2000; ++i)
        many.push_back (sighting (patternBytes (i), "/m/Many" + juce::String (i / 20) + ".vsk", 1 + i % 20, i));
    collection.add (std::move (many));
    settle (collection);

    // The first search, held at its first step until the second is asked for.
    std::promise<void> running, askedAgain;
    auto started = running.get_future();
    auto goOn = askedAgain.get_future();
    std::vector<juce::uint64> steps; // on the reader thread until it is idle
    collection.searchStepForTests = [&] (juce::uint64 generation)
    {
        steps.push_back (generation);

        if (steps.size() == 1)
        {
            running.set_value();
            goOn.wait_for (std::chrono::seconds (20));
        }
    };

    std::vector<std::pair<juce::String, int>> answers;
    const auto search = [&] (const char* text)
    {
        CollectionQuery query;
        query.text = text;
        return collection.search (query, [&answers, text] (const CollectionPage& page)
                                  { answers.emplace_back (text, page.total); });
    };

    const auto first = search ("many");
    ASSERT_EQ (started.wait_for (std::chrono::seconds (20)), std::future_status::ready);
    const auto second = search ("many1");
    askedAgain.set_value();
    settle (collection);

    // The first stopped at the step that saw the second asked for; it gave no answer.
    ASSERT_FALSE (steps.empty());
    EXPECT_EQ (std::count (steps.begin(), steps.end(), first), 1);
    EXPECT_GT (std::count (steps.begin(), steps.end(), second), 0);
    ASSERT_EQ (answers.size(), 1u);
    EXPECT_EQ (answers[0], std::make_pair (juce::String ("many1"), 220)); // Many1 and Many10 to Many19
}

TEST (CollectionService, APatternHeldSeenInANewPlaceIsToldAsAChange)
{
    ScopedFolder folder;
    Collection collection (folder.file ("c.db"));
    Told told;
    collection.addListener (&told);

    const auto bytes = patternBytes (1);
    collection.add ({ sighting (bytes, "/m/Acid.vsk", 1, 1) });
    settle (collection);
    ASSERT_EQ (told.changes, 1);

    // Nothing new to the collection, but one more place: the page's seen counts change.
    collection.add ({ sighting (bytes, "/m/Other.vsk", 5, 2) });
    settle (collection);
    EXPECT_EQ (told.changes, 2);

    // The same place holding the same pattern again is no change.
    collection.add ({ sighting (bytes, "/m/Other.vsk", 5, 3) });
    settle (collection);
    EXPECT_EQ (told.changes, 2);
    collection.removeListener (&told);
}

TEST (CollectionService, AFailureIsToldOnceAndClearedByASuccess)
{
    ScopedTmpfs disk ("4m");

    if (! disk.isMounted())
        GTEST_SKIP() << disk.whyNot;

    Collection collection (disk.folder.getChildFile ("VeskEdit/c.db"));
    Told told;
    collection.addListener (&told);
    settle (collection);
    ASSERT_TRUE (disk.fillLeaving (8192));

    std::vector<CollectionSighting> big;
    for (int i = 0; i < 2000; ++i)
        big.push_back (sighting (patternBytes (i), "/m/A.vsk", 1 + i % 20, i));

    for (int i = 0; i < 3; ++i)
        collection.add (big);
    settle (collection);
    ASSERT_EQ (told.failures.size(), 1u);
    EXPECT_EQ (told.failures[0].kind, CollectionProblem::Kind::diskFull);
    EXPECT_TRUE (collection.getStatus().problem.failed());

    disk.removeFiller();
    collection.add (big);
    settle (collection);
    EXPECT_FALSE (collection.getStatus().problem.failed());
    EXPECT_EQ (told.changes, 1);

    // A failure after the success is news again.
    ASSERT_TRUE (disk.fillLeaving (8192));
    for (auto& s : big)
        s.bytes[VeskImage::Pattern::stepGate] = 7;
    collection.add (big);
    settle (collection);
    EXPECT_EQ (told.failures.size(), 2u);
    collection.removeListener (&told);
}

TEST (CollectionService, ADamagedFileAtStartIsToldAndANewOneUsed)
{
    ScopedFolder folder;
    const auto file = folder.file ("c.db");
    makeDamagedCollection (file);
    const auto damaged = bytesOf (file);

    Told told;
    Collection collection (file);
    collection.addListener (&told);
    settle (collection);
    EXPECT_TRUE (told.replacedBy.existsAsFile());
    EXPECT_EQ (bytesOf (told.replacedBy), damaged);
    EXPECT_EQ (collection.getStatus().outcome, CollectionStore::OpenResult::Outcome::replaced) << collection.getStatus().problem.detail;

    CollectionQuery query;
    std::optional<int> total;
    collection.add ({ sighting (patternBytes (1), "/m/A.vsk", 1, 1) });
    collection.waitUntilIdle (20000);
    collection.search (query, [&total] (const CollectionPage& page)
                       { total = page.total; });
    settle (collection);
    EXPECT_EQ (total, 1);
    collection.removeListener (&told);
}

TEST (CollectionService, AFileThatIsNotACollectionAtStartIsToldAndLeftAsItIs)
{
    ScopedFolder folder;
    const auto file = folder.file ("c.db");
    file.replaceWithText ("not a database");

    Told told;
    Collection collection (file);
    collection.addListener (&told);
    settle (collection);
    ASSERT_EQ (told.failures.size(), 1u);
    EXPECT_EQ (told.failures[0].kind, CollectionProblem::Kind::notCollection);
    EXPECT_EQ (told.replacedBy, juce::File());

    // What is asked of it later fails, told once; the file stays as it was.
    collection.add ({ sighting (patternBytes (1), "/m/A.vsk", 1, 1) });
    settle (collection);
    EXPECT_EQ (told.failures.size(), 1u);
    EXPECT_EQ (file.loadFileAsString(), "not a database");
    EXPECT_EQ (folder.folder.getNumberOfChildFiles (juce::File::findFiles), 1);
    collection.removeListener (&told);
}
