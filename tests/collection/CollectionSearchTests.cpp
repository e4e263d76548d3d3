#include "CollectionTestSupport.h"

#include "collection/CollectionFingerprint.h"
#include "collection/CollectionSearchIndex.h"

namespace
{
    CollectionBytes withFields (int seed, int type, int tone, int tempo, int bars, bool sixteen)
    {
        auto bytes = patternBytes (seed);
        bytes[VeskImage::Pattern::type] = (juce::uint8) type;
        bytes[VeskImage::Pattern::toneOrKit] = (juce::uint8) tone;
        VeskImage::Pattern::storeTempo (bytes.data(), tempo);
        bytes[VeskImage::Pattern::patternLength] = (juce::uint8) (bars - 1);
        bytes[VeskImage::Pattern::stepsPerBar] = sixteen ? 1 : 0;
        return bytes;
    }

    // Five patterns that differ in every field a search narrows by.
    struct SearchTest : public ::testing::Test
    {
        SearchTest()
        {
            store->add ({ sighting (withFields (1, VeskImage::PartType::bass, 5, 1200, 1, true), "/m/Acid Lines.vsk", 1, 100),
                          sighting (withFields (2, VeskImage::PartType::bass, 6, 1300, 2, true), "/m/Acid Lines.vsk", 2, 200),
                          sighting (withFields (3, VeskImage::PartType::rythm, 5, 900, 1, false), "/m/Drums_Breaks.syx", 1, 300,
                                    CollectionSource::syx),
                          sighting (withFields (4, VeskImage::PartType::lead, 0, 1400, 2, false), "/m/Lead.vsk", 4, 400),
                          sighting (withFields (5, VeskImage::PartType::lineIn, 0, 1350, 1, true), {}, 5, 500,
                                    CollectionSource::getAll) });

            idOf = [] (int seed, int type, int tone, int tempo, int bars, bool sixteen)
            { return CollectionFingerprint::id (withFields (seed, type, tone, tempo, bars, sixteen)); };

            const auto drums = idOf (3, VeskImage::PartType::rythm, 5, 900, 1, false);
            EXPECT_EQ (store->addTags (drums, { "Breakbeat", "dusty" }).outcome, CollectionEdit::Outcome::changed);
            EXPECT_EQ (store->setComment (idOf (4, VeskImage::PartType::lead, 0, 1400, 2, false), juce::String (juce::CharPointer_UTF8 ("Squelchy \xc3\x84rger riff"))).outcome,
                       CollectionEdit::Outcome::changed);
            EXPECT_EQ (store->setFavourite (drums, true).outcome, CollectionEdit::Outcome::changed);
            EXPECT_EQ (store->setName (idOf (2, VeskImage::PartType::bass, 6, 1300, 2, true), "Wobble Monster").outcome,
                       CollectionEdit::Outcome::changed);
        }

        juce::StringArray names (CollectionQuery query)
        {
            const auto page = store->search (query);
            EXPECT_FALSE (page.problem.failed()) << page.problem.detail;
            juce::StringArray result;
            for (const auto& p : page.patterns)
                result.add (p.name);
            return result;
        }

        ScopedFolder folder;
        std::unique_ptr<CollectionStore> store = openStore (folder.file ("c.db"));
        std::function<juce::String (int, int, int, int, int, bool)> idOf;
    };
}

TEST_F (SearchTest, NarrowsByWordsAndFilters)
{
    const auto text = [] (const char* words)
    {
        CollectionQuery q;
        q.text = words;
        return q;
    };

    const auto with = [] (auto change)
    {
        CollectionQuery q;
        change (q);
        return q;
    };

    const struct
    {
        const char* what;
        CollectionQuery query;
        juce::StringArray expected; // sorted by name
    } cases[] = {
        { "a word of a source's file name, any case", text ("acid"), { "Acid Lines User 01", "Wobble Monster" } },
        { "a prefix of a name", text ("wob"), { "Wobble Monster" } },
        { "every word must match", text ("acid us"), { "Acid Lines User 01" } },
        { "a tag", text ("BREAK"), { "Drums_Breaks User 01" } },
        { "a word of a comment, accents folded", text ("arger"), { "Lead User 04" } },
        { "FTS syntax is only text", text ("\"acid\" OR NOT*"), {} },
        { "a type's name as its row shows it", text ("RYTHM"), { "Drums_Breaks User 01" } },
        { "every pattern of a type", text ("bass"), { "Acid Lines User 01", "Wobble Monster" } },
        { "a type of two words", text ("line in"), { "Unit User 05" } },
        { "a word of a tone's name", text ("detune"), { "Wobble Monster" } },
        { "a tone's list number is no word of it", text ("06"), {} },
        { "a kit's name, not the tag it begins", text ("breakbeats"), { "Drums_Breaks User 01" } },
        { "a type and a tone together", text ("saw lead"), { "Lead User 04" } },
        { "nothing searchable is no text filter", text ("  -- "), { "Acid Lines User 01", "Drums_Breaks User 01", "Lead User 04", "Unit User 05", "Wobble Monster" } },
        { "type", with ([] (auto& q)
                        { q.type = VeskImage::PartType::bass; }),
          { "Acid Lines User 01", "Wobble Monster" } },
        { "tone or kit", with ([] (auto& q)
                               { q.toneOrKit = 5; }),
          { "Acid Lines User 01", "Drums_Breaks User 01" } },
        { "tempo range", with ([] (auto& q)
                               { q.tempoMin = 1300; q.tempoMax = 1350; }),
          { "Unit User 05", "Wobble Monster" } },
        { "bars", with ([] (auto& q)
                        { q.bars = 2; }),
          { "Lead User 04", "Wobble Monster" } },
        { "steps per bar", with ([] (auto& q)
                                 { q.stepsPerBar = 12; }),
          { "Drums_Breaks User 01", "Lead User 04" } },
        { "favourites", with ([] (auto& q)
                              { q.favouriteOnly = true; }),
          { "Drums_Breaks User 01" } },
        { "a whole tag, any case", with ([] (auto& q)
                                         { q.tag = "DUSTY"; }),
          { "Drums_Breaks User 01" } },
        { "a tag is not a prefix", with ([] (auto& q)
                                         { q.tag = "dust"; }),
          {} },
        { "words and a filter", with ([] (auto& q)
                                      { q.text = "acid"; q.bars = 2; }),
          { "Wobble Monster" } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        EXPECT_EQ (names (c.query), c.expected);
    }
}

TEST_F (SearchTest, SortsAndPagesWithTheTotalOfAllThatMatch)
{
    const struct
    {
        CollectionQuery::Sort sort;
        bool reverse;
        juce::StringArray expected;
    } cases[] = {
        { CollectionQuery::Sort::tempo, false, { "Drums_Breaks User 01", "Acid Lines User 01", "Wobble Monster", "Unit User 05", "Lead User 04" } },
        { CollectionQuery::Sort::lastSeen, false, { "Unit User 05", "Lead User 04", "Drums_Breaks User 01", "Wobble Monster", "Acid Lines User 01" } },
        { CollectionQuery::Sort::type, false, { "Unit User 05", "Lead User 04", "Acid Lines User 01", "Wobble Monster", "Drums_Breaks User 01" } },
        { CollectionQuery::Sort::name, true, { "Wobble Monster", "Unit User 05", "Lead User 04", "Drums_Breaks User 01", "Acid Lines User 01" } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ((int) c.sort);
        CollectionQuery query;
        query.sort = c.sort;
        query.reverse = c.reverse;
        EXPECT_EQ (names (query), c.expected);

        query.limit = 2;
        query.offset = 1;
        const auto page = store->search (query);
        EXPECT_EQ (page.total, 5);
        EXPECT_EQ (names (query), (juce::StringArray { c.expected[1], c.expected[2] }));
    }
}

TEST_F (SearchTest, EveryFilterAndTheTextUseAnIndexNotAScanOfPatterns)
{
    // Enough rows that SQLite's planner has a real choice to make.
    std::vector<CollectionSighting> more;
    for (int i = 0; i < 2000; ++i)
        more.push_back (sighting (patternBytes (1000 + i), "/m/Many" + juce::String (i / 20) + ".vsk", 1 + i % 20, i));
    ASSERT_TRUE (store->add (more).ok());
    store->addTags (idOf (1, VeskImage::PartType::bass, 5, 1200, 1, true), { "acid" });

    const struct
    {
        const char* what;
        std::function<void (CollectionQuery&)> set;
    } cases[] = {
        { "text", [] (auto& q)
          { q.text = "acid"; } },
        { "type", [] (auto& q)
          { q.type = 2; } },
        { "type, sorted by type", [] (auto& q)
          { q.type = 2; q.sort = CollectionQuery::Sort::type; } },
        { "tone", [] (auto& q)
          { q.toneOrKit = 5; } },
        { "tempo", [] (auto& q)
          { q.tempoMin = 1000; q.tempoMax = 1100; } },
        { "bars", [] (auto& q)
          { q.bars = 2; } },
        { "steps", [] (auto& q)
          { q.stepsPerBar = 12; } },
        { "favourite", [] (auto& q)
          { q.favouriteOnly = true; } },
        { "tag", [] (auto& q)
          { q.tag = "acid"; } },
        { "text and tag", [] (auto& q)
          { q.text = "acid"; q.tag = "acid"; } },
        { "none, by name", [] (auto&) {} },
        { "none, by last seen", [] (auto& q)
          { q.sort = CollectionQuery::Sort::lastSeen; } },
    };

    using Plan = CollectionReader::Plan;

    for (const auto& c : cases)
        for (auto way : { std::optional<Plan>(), std::optional (Plan::narrowFirst), std::optional (Plan::walkWithSets), std::optional (Plan::walkWithLookups) })
        {
            SCOPED_TRACE (c.what);
            SCOPED_TRACE (way.has_value() ? (int) *way : -1);
            store->setSearchPlanForTests (way);
            CollectionQuery query;
            c.set (query);
            const auto plan = store->queryPlan (query);
            ASSERT_FALSE (plan.isEmpty());

            for (const auto& line : plan)
            {
                SCOPED_TRACE (line.toStdString());
                // A bare "SCAN p" reads every pattern; through an index it is a
                // walk in order that stops at the page's end.
                EXPECT_FALSE (line.startsWith ("SCAN p") && ! line.contains ("INDEX"));
            }

            // Words, tags and favourites are looked up in their own indexes.
            const auto all = plan.joinIntoString ("\n");
            if (query.text.isNotEmpty())
            {
                EXPECT_TRUE (all.contains ("VIRTUAL TABLE INDEX")) << all;
            }
            if (query.tag.isNotEmpty() && query.text.isEmpty())
            {
                EXPECT_TRUE (all.contains ("tags_tag")) << all;
            }
            if (query.favouriteOnly)
            {
                EXPECT_TRUE (all.contains ("user_data_favourite")) << all;
            }
        }
}

TEST_F (SearchTest, APageOfManyMatchesIsTheSameWhicheverWayItIsFound)
{
    // A page is found one of three ways, chosen by what each would cost:
    // each page of a query must be the slice of the whole sorted list of
    // matches whichever way it was found.
    std::vector<CollectionSighting> more;
    for (int i = 0; i < 2000; ++i)
        more.push_back (sighting (withFields (2000 + i, i % 3, i % 5, 1000 + i % 37, 1 + i % 2, i % 4 != 0), "/m/Many.vsk", 1 + i % 20, i % 97));
    ASSERT_TRUE (store->add (more).ok());
    store->addTags (CollectionFingerprint::id (withFields (2001, 1, 1, 1001, 2, true)), { "acid" });
    using Plan = CollectionReader::Plan;

    for (auto sort : { CollectionQuery::Sort::name, CollectionQuery::Sort::lastSeen, CollectionQuery::Sort::tempo, CollectionQuery::Sort::type })
        for (bool reverse : { false, true })
            for (const auto& [bars, text, total] : { std::tuple (2, "many", 1000), std::tuple (0, "many", 2000), std::tuple (0, "user 1", 1000), std::tuple (0, "acid", 3) })
            {
                SCOPED_TRACE (juce::String ((int) sort) + (reverse ? " reversed, " : ", ") + juce::String (bars) + " bars, " + text);
                CollectionQuery query;
                query.sort = sort;
                query.reverse = reverse;
                query.bars = bars > 0 ? std::optional (bars) : std::nullopt;
                query.text = text;
                query.limit = 100000;
                store->setSearchPlanForTests (Plan::narrowFirst);
                const auto all = store->search (query);
                ASSERT_EQ (all.total, total);
                ASSERT_EQ ((int) all.patterns.size(), total);

                query.limit = 50;
                query.offset = juce::jmin (120, total - 1);

                for (auto way : { std::optional<Plan>(), std::optional (Plan::walkWithSets), std::optional (Plan::walkWithLookups) })
                {
                    SCOPED_TRACE (way.has_value() ? (int) *way : -1);
                    store->setSearchPlanForTests (way);
                    const auto page = store->search (query);
                    EXPECT_EQ (page.total, total);
                    ASSERT_EQ ((int) page.patterns.size(), juce::jmin (50, total - query.offset));
                    for (size_t i = 0; i < page.patterns.size(); ++i)
                        EXPECT_EQ (page.patterns[i].id, all.patterns[(size_t) query.offset + i].id);

                    // Only the total, as "search --limit 0" asks.
                    auto countOnly = query;
                    countOnly.limit = 0;
                    const auto counted = store->search (countOnly);
                    EXPECT_FALSE (counted.problem.failed()) << counted.problem.detail;
                    EXPECT_EQ (counted.total, total);
                    EXPECT_TRUE (counted.patterns.empty());
                }
            }
}

TEST_F (SearchTest, ALongOrRepetitiveTextFindsWhatItsBoundedFormFindsAndSaysWhenItWasCut)
{
    using Index = CollectionSearchIndex;
    const auto found = [this] (const juce::String& text)
    {
        CollectionQuery query;
        query.text = text;
        return names (query);
    };

    // Sixteen different words and one of 64 characters, all in one comment.
    juce::StringArray comment;
    for (int i = 0; i < Index::maxWords; ++i)
        comment.add ("word" + juce::String::charToString ((juce::juce_wchar) ('a' + i)));
    const auto longWord = juce::String::repeatedString ("l", Index::maxWordLength);
    const auto lead = idOf (4, VeskImage::PartType::lead, 0, 1400, 2, false);
    ASSERT_EQ (store->setComment (lead, comment.joinIntoString (" ") + " " + longWord).outcome, CollectionEdit::Outcome::changed);
    const auto sixteen = comment.joinIntoString (" ");
    ASSERT_EQ (found (sixteen), (juce::StringArray { "Lead User 04" }));

    const struct
    {
        const char* what;
        juce::String text;
        juce::StringArray searched; // the words searched for
        bool cut;
    } cases[] = {
        // Nothing is lost: no different word is left out, and nothing is said.
        { "a word 4,000 times", juce::String::repeatedString ("acid ", 4000), { "acid" }, false },
        { "a word again in other case, and its starts", "a AC acid ACID wo", { "acid", "wo" }, false },
        { "the start of a word after it", "acid a wob", { "acid", "wob" }, false },
        { "sixteen different words", sixteen, comment, false },
        { "sixteen, then one of them again", sixteen + " worda WORDP", comment, false },
        { "a word as long as a word can be", longWord, { longWord }, false },
        // Past the bounds the rest is left out: what is left finds more, never less.
        { "a seventeenth word", sixteen + " nowhere", comment, true },
        { "a word longer than any", longWord + "nowhere", { longWord }, true },
        { "text past the length read", juce::String::repeatedString (" ", Index::maxTextLength) + "nowhere", {}, true },
        { "a pasted page of one word", juce::String::repeatedString ("wobble ", Index::maxTextLength), { "wobble" }, true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto words = Index::words (c.text);
        EXPECT_EQ (words.words, c.searched);
        EXPECT_EQ (words.cut, c.cut);
        EXPECT_EQ (found (c.text), found (c.searched.joinIntoString (" ")));
    }

    EXPECT_EQ (found (sixteen + " nowhere"), (juce::StringArray { "Lead User 04" }));
    EXPECT_EQ (found (longWord + "nowhere"), (juce::StringArray { "Lead User 04" }));
    EXPECT_TRUE (Index::cutMessage().contains ("16 different words")) << Index::cutMessage();
}

TEST_F (SearchTest, ASearchAskedToStopGivesNoAnswerAndTheNextSearchRunsWhole)
{
    // Enough to match that the search asks along the way.
    std::vector<CollectionSighting> more;
    for (int i = 0; i < 400; ++i)
        more.push_back (sighting (patternBytes (1000 + i), "/m/Acid More" + juce::String (i / 20) + ".vsk", 1 + i % 20, i));
    ASSERT_TRUE (store->add (more).ok());

    CollectionQuery query;
    query.text = "acid";
    int asked = 0;
    const auto stopped = store->search (query, [&asked]
                                        { return ++asked >= 1; });
    EXPECT_GT (asked, 0);
    EXPECT_TRUE (stopped.interrupted);
    EXPECT_FALSE (stopped.problem.failed()) << stopped.problem.detail;
    EXPECT_TRUE (stopped.patterns.empty());

    // Nothing of the stop stays on the connection.
    const auto whole = store->search (query);
    EXPECT_FALSE (whole.interrupted);
    EXPECT_EQ (whole.total, 402);
    EXPECT_EQ (store->search (query, []
                              { return false; })
                   .total,
               402);
}

TEST_F (SearchTest, TheUsersOwnDataIsCheckedAndKept)
{
    const auto id = idOf (1, VeskImage::PartType::bass, 5, 1200, 1, true);
    using Outcome = CollectionEdit::Outcome;

    const struct
    {
        const char* what;
        std::function<CollectionEdit()> edit;
        Outcome outcome;
    } cases[] = {
        { "a rating", [&]
          { return store->setRating (id, 4); },
          Outcome::changed },
        { "the same rating", [&]
          { return store->setRating (id, 4); },
          Outcome::unchanged },
        { "a rating over 5", [&]
          { return store->setRating (id, 6); },
          Outcome::badValue },
        { "a negative rating", [&]
          { return store->setRating (id, -1); },
          Outcome::badValue },
        { "an empty tag", [&]
          { return store->addTags (id, { "ok", " " }); },
          Outcome::badValue },
        { "an over-long tag", [&]
          { return store->addTags (id, { juce::String::repeatedString ("t", 65) }); },
          Outcome::badValue },
        { "tags, one twice in other case", [&]
          { return store->addTags (id, { "Deep", "deep", "303" }); },
          Outcome::changed },
        { "a tag it has, in other case", [&]
          { return store->addTags (id, { "DEEP" }); },
          Outcome::unchanged },
        { "removing a tag it lacks", [&]
          { return store->removeTags (id, { "nope" }); },
          Outcome::unchanged },
        { "removing a tag, any case", [&]
          { return store->removeTags (id, { "DEEP" }); },
          Outcome::changed },
        { "a name", [&]
          { return store->setName (id, "  Night Bass  "); },
          Outcome::changed },
        { "the same name", [&]
          { return store->setName (id, "Night Bass"); },
          Outcome::unchanged },
        { "an unknown pattern", [&]
          { return store->setName (juce::String::repeatedString ("0", 64), "x"); },
          Outcome::unknownPattern },
        { "favourite", [&]
          { return store->setFavourite (id, true); },
          Outcome::changed },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        EXPECT_EQ (c.edit().outcome, c.outcome);
    }

    auto pattern = store->find (id).pattern;
    ASSERT_TRUE (pattern.has_value());
    EXPECT_EQ (pattern->rating, 4);
    EXPECT_EQ (pattern->tags, (juce::StringArray { "303" }));
    EXPECT_EQ (pattern->name, "Night Bass");
    EXPECT_TRUE (pattern->hasOwnName && pattern->favourite);
    EXPECT_EQ (store->allTags(), (juce::StringArray { "303", "Breakbeat", "dusty" }));

    // The search follows: the new name is found, the old tag is not; an
    // empty name goes back to the first sighting's.
    EXPECT_EQ (names ([]
                      { CollectionQuery q; q.text = "night"; return q; }()),
               (juce::StringArray { "Night Bass" }));
    EXPECT_TRUE (names ([]
                        { CollectionQuery q; q.text = "deep"; return q; }())
                     .isEmpty());
    EXPECT_EQ (store->setName (id, "").outcome, Outcome::changed);
    EXPECT_EQ (store->find (id).pattern->name, "Acid Lines User 01");
    EXPECT_FALSE (store->find (id).pattern->hasOwnName);
}

TEST (CollectionSimilar, NearestOnsetsFirstOverRotationsThenToneAndTempo)
{
    ScopedFolder folder;
    auto store = openStore (folder.file ("c.db"));

    // Onsets from a step mask: a set bit plays, the others rest.
    const auto make = [] (std::uint32_t mask, int tone, int tempo)
    {
        auto bytes = patternBytes ((int) mask ^ tone);
        bytes[VeskImage::Pattern::toneOrKit] = (juce::uint8) tone;
        VeskImage::Pattern::storeTempo (bytes.data(), tempo);
        for (int s = 0; s < 16; ++s)
            bytes[(size_t) (VeskImage::Pattern::stepType + s)] = (mask >> s) & 1 ? 0 : VeskImage::StepType::rest;
        return bytes;
    };

    const auto target = make (0x1111, 1, 1200);
    const struct
    {
        std::uint32_t mask;
        int tone, tempo;
    } others[] = { { 0x8888, 2, 1200 }, { 0x1111 | 0x0002, 1, 1250 }, { 0x1111 | 0x0002, 1, 1210 }, { 0x2222, 1, 1200 }, { 0xffff, 1, 1200 } };

    std::vector<CollectionSighting> sightings { sighting (target, "/a.vsk", 1, 1) };
    for (const auto& o : others)
        sightings.push_back (sighting (make (o.mask, o.tone, o.tempo), "/a.vsk", 2 + (int) sightings.size(), 1));
    ASSERT_TRUE (store->add (sightings).ok());

    const auto similar = store->similar (CollectionFingerprint::id (target), 4);
    ASSERT_EQ (similar.size(), 4u);

    // Rotated copies first (the same tone before another), then one step off (nearer tempo first).
    EXPECT_EQ (similar[0].pattern.id, CollectionFingerprint::id (make (0x2222, 1, 1200)));
    EXPECT_EQ (similar[0].onsetDistance, 0);
    EXPECT_NE (similar[0].rotation, 0);
    EXPECT_EQ (similar[1].pattern.id, CollectionFingerprint::id (make (0x8888, 2, 1200)));
    EXPECT_EQ (similar[2].pattern.id, CollectionFingerprint::id (make (0x1111 | 0x0002, 1, 1210)));
    EXPECT_EQ (similar[2].onsetDistance, 1);
    EXPECT_EQ (similar[3].pattern.tempo, 1250);
    EXPECT_TRUE (store->similar (juce::String::repeatedString ("0", 64), 4).empty());
}

TEST (CollectionSimilar, OfEquallyNearCandidatesTheTargetsTypeComesFirst)
{
    ScopedFolder folder;

    // The same steps, tone and tempo; only the type and the first note differ.
    const auto make = [] (int type, int seed)
    {
        auto bytes = patternBytes (seed);
        bytes[VeskImage::Pattern::type] = (juce::uint8) type;
        bytes[VeskImage::Pattern::toneOrKit] = 0;
        VeskImage::Pattern::storeTempo (bytes.data(), 1200);
        return bytes;
    };

    for (int targetType : { (int) VeskImage::PartType::lead, (int) VeskImage::PartType::bass })
    {
        SCOPED_TRACE (targetType);
        auto store = openStore (folder.file ("c" + juce::String (targetType) + ".db"));
        const auto target = make (targetType, 1 + 10 * targetType);
        const auto otherType = make (targetType == VeskImage::PartType::lead ? VeskImage::PartType::bass : VeskImage::PartType::lead, 2 + 10 * targetType);
        const auto sameType = make (targetType, 3 + 10 * targetType);

        // The other type is added first, so a row order alone would put it first.
        ASSERT_TRUE (store->add ({ sighting (target, "/t.vsk", 1, 1), sighting (otherType, "/t.vsk", 2, 1), sighting (sameType, "/t.vsk", 3, 1) }).ok());

        const auto similar = store->similar (CollectionFingerprint::id (target), 2);
        ASSERT_EQ (similar.size(), 2u);
        EXPECT_EQ (similar[0].onsetDistance, similar[1].onsetDistance);
        EXPECT_EQ (similar[0].pattern.id, CollectionFingerprint::id (sameType));
    }
}

TEST_F (SearchTest, APatternsRowIsWhereTheSearchPutsItInEveryOrder)
{
    // Two more that tie with the first on type, tone, tempo, name and time seen.
    const auto twin = [] (int seed)
    { return withFields (seed, VeskImage::PartType::bass, 5, 1200, 1, true); };
    ASSERT_TRUE (store->add ({ sighting (twin (6), "/m/Twins.vsk", 1, 100), sighting (twin (7), "/m/Twins.vsk", 2, 100) }).ok());
    const auto first = store->find (CollectionFingerprint::id (twin (1))).pattern;
    ASSERT_TRUE (first.has_value());

    for (int seed : { 6, 7 })
        ASSERT_EQ (store->setName (CollectionFingerprint::id (twin (seed)), first->name).outcome, CollectionEdit::Outcome::changed);

    juce::StringArray ids;
    CollectionQuery everything;
    everything.limit = 100;

    for (const auto& p : store->search (everything).patterns)
        ids.add (p.id);

    ASSERT_EQ (ids.size(), 7);

    const std::function<void (CollectionQuery&)> filters[] = {
        [] (CollectionQuery&) {},
        [] (CollectionQuery& q)
        { q.type = VeskImage::PartType::bass; },
        [] (CollectionQuery& q)
        { q.text = "acid"; },
        [] (CollectionQuery& q)
        { q.favouriteOnly = true; },
    };

    for (const auto sort : { CollectionQuery::Sort::name, CollectionQuery::Sort::lastSeen, CollectionQuery::Sort::tempo, CollectionQuery::Sort::type })
        for (const bool reverse : { false, true })
            for (size_t f = 0; f < std::size (filters); ++f)
            {
                SCOPED_TRACE (juce::String ((int) sort) + (reverse ? " reversed, filter " : ", filter ") + juce::String ((int) f));
                CollectionQuery query;
                query.sort = sort;
                query.reverse = reverse;
                filters[f](query);
                query.limit = 2; // the page asked for plays no part
                query.offset = 1;

                auto all = query;
                all.limit = 100;
                all.offset = 0;
                std::map<juce::String, int> expected;
                const auto page = store->search (all);

                for (size_t row = 0; row < page.patterns.size(); ++row)
                    expected[page.patterns[row].id] = (int) row;

                const auto rows = store->rowsOf (query, ids);
                ASSERT_TRUE (rows.has_value());
                EXPECT_EQ (*rows, expected) << "one the search does not find is left out";
            }

    const auto none = store->rowsOf ({}, { juce::String::repeatedString ("0", 64), "not an id" });
    ASSERT_TRUE (none.has_value());
    EXPECT_TRUE (none->empty());
}
