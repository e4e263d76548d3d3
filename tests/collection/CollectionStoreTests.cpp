#include "CollectionTestSupport.h"

#include "collection/CollectionFingerprint.h"

#include <map>

namespace
{
    struct StoreTest : public ::testing::Test
    {
        ScopedFolder folder;
        juce::File file = folder.file ("VeskEdit/collection.db");
        std::unique_ptr<CollectionStore> store = openStore (file);
    };
}

TEST_F (StoreTest, KeepsEachPatternOnceWithEverySighting)
{
    const auto a = patternBytes (1), b = patternBytes (2);
    const auto first = store->add ({ sighting (a, "/music/Set1.vsk", 3, 1000), sighting (b, "/music/Set1.vsk", 4, 1000),
                                     sighting (a, "/music/Set2.vsk", 7, 2000) });
    ASSERT_TRUE (first.ok());
    EXPECT_EQ (first.added, 2);
    EXPECT_EQ (first.alreadyThere, 0);
    EXPECT_EQ (first.sightings, 3);

    // The same file seen again holds what it held: nothing new, only later.
    const auto again = store->add ({ sighting (a, "/music/Set1.vsk", 3, 5000) });
    EXPECT_EQ (again.added, 0);
    EXPECT_EQ (again.alreadyThere, 1);
    EXPECT_EQ (again.sightings, 0);
    EXPECT_EQ (store->size(), 2);

    const auto lookup = store->find (CollectionFingerprint::id (a));
    ASSERT_EQ (lookup.outcome, CollectionLookup::Outcome::found);
    EXPECT_EQ (lookup.pattern->bytes, a);
    EXPECT_EQ (lookup.pattern->name, "Set1 User 03"); // named after where it was first seen
    EXPECT_EQ (lookup.pattern->seen, 2);
    EXPECT_EQ (lookup.pattern->firstSeenMs, 1000);
    EXPECT_EQ (lookup.pattern->lastSeenMs, 5000);

    const auto origin = store->sightings (lookup.pattern->id);
    ASSERT_EQ (origin.size(), 2u);
    EXPECT_EQ (origin[0].sourcePath, systemPath ("/music/Set1.vsk"));
    EXPECT_EQ (origin[0].slot, *VeskBlock::user (3));
    EXPECT_EQ (origin[0].lastTimeMs, 5000);
    EXPECT_EQ (origin[1].sourcePath, systemPath ("/music/Set2.vsk"));
}

TEST_F (StoreTest, ASlotsVersionsOverTime)
{
    const auto a = patternBytes (10), b = patternBytes (11);

    for (const auto& [bytes, day] : { std::pair (a, 1), std::pair (a, 2), std::pair (b, 3), std::pair (a, 4) })
        ASSERT_TRUE (store->add ({ sighting (bytes, "/music/Set1.vsk", 3, day * 86400000LL) }).ok());

    store->add ({ sighting (b, "/music/Other.vsk", 3, 1) });

    const auto history = store->slotHistory (CollectionSource::library, systemPath ("/music/Set1.vsk"), *VeskBlock::user (3));
    ASSERT_EQ (history.size(), 3u);
    EXPECT_EQ (history[0].patternId, CollectionFingerprint::id (a));
    EXPECT_EQ (history[0].lastTimeMs, 2 * 86400000LL);
    EXPECT_EQ (history[1].patternId, CollectionFingerprint::id (b));
    EXPECT_EQ (history[2].patternId, CollectionFingerprint::id (a));
    EXPECT_EQ (history[2].bytes, a);
}

TEST_F (StoreTest, IdPrefixesNameAPatternAsLongAsTheyAreUnique)
{
    // Two patterns whose IDs share their first six digits (a few thousand
    // tries find a pair).
    std::map<juce::String, int> byPrefix;
    int first = -1, second = -1;

    for (int seed = 0; first < 0; ++seed)
    {
        const auto prefix = CollectionFingerprint::id (patternBytes (seed)).substring (0, 6);

        if (auto it = byPrefix.find (prefix); it != byPrefix.end())
            std::tie (first, second) = std::tie (it->second, seed);
        else
            byPrefix[prefix] = seed;
    }

    ASSERT_TRUE (store->add ({ sighting (patternBytes (first), "/x/A.vsk", 1, 1), sighting (patternBytes (second), "/x/A.vsk", 2, 1),
                               sighting (patternBytes (-5), "/x/A.vsk", 3, 1) })
                     .ok());

    const auto id = CollectionFingerprint::id (patternBytes (first));
    const auto other = CollectionFingerprint::id (patternBytes (second));
    int unique = 6;
    while (id.substring (0, unique) == other.substring (0, unique))
        ++unique;

    const struct
    {
        juce::String text;
        CollectionLookup::Outcome outcome;
    } cases[] = {
        { id, CollectionLookup::Outcome::found },
        { id.substring (0, unique + 1).toUpperCase(), CollectionLookup::Outcome::found },
        { "  " + id.substring (0, unique + 1) + " ", CollectionLookup::Outcome::found },
        { id.substring (0, 6), CollectionLookup::Outcome::ambiguous },
        { id.substring (0, 5), CollectionLookup::Outcome::invalid },
        { "xyz123abc", CollectionLookup::Outcome::invalid },
        { id + "0", CollectionLookup::Outcome::invalid },
        { id.substring (0, 6) == "ffffff" ? juce::String ("000000") : juce::String ("ffffff"), CollectionLookup::Outcome::unknown },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        const auto lookup = store->find (c.text);
        EXPECT_EQ (lookup.outcome, c.outcome);

        if (c.outcome == CollectionLookup::Outcome::found)

        {
            EXPECT_EQ (lookup.pattern->id, id);
        }

        if (c.outcome == CollectionLookup::Outcome::ambiguous)
        {
            EXPECT_TRUE (lookup.candidates.contains (id) && lookup.candidates.contains (other));
        }
    }
}

TEST_F (StoreTest, APatternSeenAgainInAnotherFileIsFoundByThatFilesNameToo)
{
    std::vector<CollectionSighting> alpha, zebra;

    for (int user = 1; user <= 3; ++user)
    {
        alpha.push_back (sighting (patternBytes (user), "/music/alpha.vsk", user, 1000));
        zebra.push_back (sighting (patternBytes (user), "/music/zebra.vsk", user, 2000));
    }

    ASSERT_EQ (store->add (alpha).added, 3);
    ASSERT_EQ (store->add (zebra).alreadyThere, 3);

    for (const auto* word : { "alpha", "zebra" })
    {
        SCOPED_TRACE (word);
        CollectionQuery query;
        query.text = word;
        EXPECT_EQ (store->search (query).total, 3);
    }
}
