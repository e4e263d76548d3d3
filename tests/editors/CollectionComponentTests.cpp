// The Collection page on a real database file: type-ahead and filters find
// what they should and never show a stale answer, a pattern brought into the
// library is one undo step sent as the Library page's copies are, Audition
// fills the temporary pattern, and edits in place land in the database.

#include "EditorTestSupport.h"
#include "ScopedFolder.h"
#include "collection/CollectionFingerprint.h"
#include "collection/CollectionSearchIndex.h"
#include "editors/VeskComponent.h"
#include "model/VeskFieldTable.h"
#include "model/VeskPatternText.h"

#include <numeric>
#include <set>

using namespace VeskImage;

namespace
{
    using Bytes = std::vector<juce::uint8>;

    struct Made
    {
        int type, toneOrKit, tempo, length, perBar;
        const char* tag; // or null
    };

    // User 01-05 of "Set1.vsk"; the rest of the library is plain but distinct.
    const Made made[] = {
        { PartType::bass, 3, 1200, 0, 1, "wobble" },
        { PartType::bass, 7, 1250, 1, 1, nullptr },
        { PartType::lead, 3, 900, 3, 0, "dark" },
        { PartType::rythm, 2, 1400, 0, 1, "dark" },
        { PartType::rythm, 2, 1800, 1, 0, nullptr },
    };

    constexpr int numPatterns = 150; // more than two of the list's pages

    struct CollectionTab : ::testing::Test
    {
        CollectionTab()
        {
            editor.setSize (446, 470);
            editor.setCurrentTabIndex (editor.getTabNames().indexOf ("Collection"));
            settle();
            out.clear();
        }

        ~CollectionTab() override { session.getCollection().waitUntilIdle (5000); }

        /** Library images, each with a different level per slot, seen as Set1.vsk ...
            Set8.vsk; before the page opens. Returns the number of patterns. */
        int fill()
        {
            auto opened = CollectionStore::open (dbFile);

            if (opened.store == nullptr)
                return 0;

            Bytes image (imageSize);
            int n = 0;
            auto users = VeskBlock::patterns();
            users.erase (users.begin()); // the temporary pattern: the same defaults everywhere

            for (int library = 1; n < numPatterns; ++library)
            {
                VeskModel::writeDefaults (image.data());

                // Plain: a one-bar Lead at 100 BPM, 16 steps per bar.
                for (int slot = 1; slot <= 20; ++slot, ++n)
                {
                    auto* r = image.data() + patternRecordOffset (slot);
                    r[Pattern::level] = (juce::uint8) (n % 128);
                    r[Pattern::type] = PartType::lead;
                    r[Pattern::toneOrKit] = 0;
                    Pattern::storeTempo (r, 1000);
                    r[Pattern::patternLength] = 0;
                    r[Pattern::stepsPerBar] = 1;
                }

                image[patternRecordOffset (1) + Pattern::pan] = (juce::uint8) library;

                if (library == 1)
                    for (int i = 0; i < 5; ++i)
                    {
                        auto* r = image.data() + patternRecordOffset (i + 1);
                        r[Pattern::type] = (juce::uint8) made[i].type;
                        r[Pattern::toneOrKit] = (juce::uint8) made[i].toneOrKit;
                        Pattern::storeTempo (r, made[i].tempo);
                        r[Pattern::patternLength] = (juce::uint8) made[i].length;
                        r[Pattern::stepsPerBar] = (juce::uint8) made[i].perBar;
                    }

                const auto path = dbFile.getSiblingFile ("Set" + juce::String (library) + ".vsk").getFullPathName();
                EXPECT_TRUE (opened.store->add (CollectionSighting::fromImage (CollectionSource::library, path, image.data(), 1000 * library, users)).ok());

                if (library == 1)
                    for (int i = 0; i < 5; ++i)
                        if (made[i].tag != nullptr)
                            opened.store->addTags (idOf (image.data() + patternRecordOffset (i + 1)), { made[i].tag });
            }

            return opened.store->size();
        }

        static juce::String idOf (const juce::uint8* record)
        {
            CollectionBytes bytes;
            std::copy (record, record + patternSize, bytes.begin());
            return CollectionFingerprint::id (bytes);
        }

        /** Lets the collection's threads answer and the page take the answers in. */
        void settle()
        {
            for (int round = 0; round < 6; ++round)
            {
                ASSERT_TRUE (session.getCollection().waitUntilIdle (5000));
                dispatchPendingMessages();
            }
        }

        /** The box's text changed, told at once (the box itself tells it by a posted message). */
        void type (const juce::String& text)
        {
            page.filters.searchBox.setText (text, false);
            page.filters.searchBox.onTextChange();
        }

        /** Every row of the answer, read page by page as a scroll would. */
        std::vector<CollectionPattern> rows()
        {
            std::vector<CollectionPattern> all;

            for (int row = 0; row < page.results.getTotal(); ++row)
            {
                if (page.results.getRow (row) == nullptr)
                    settle();

                if (const auto* pattern = page.results.getRow (row))
                    all.push_back (*pattern);
            }

            return all;
        }

        void selectRows (const std::vector<int>& rowsToSelect)
        {
            juce::SparseSet<int> set;

            for (int r : rowsToSelect)
                set.addRange ({ r, r + 1 });

            page.list.getListBox().setSelectedRows (set);
        }

        Bytes record (int slot) const { return { model.image + patternRecordOffset (slot), model.image + patternRecordOffset (slot) + patternSize }; }
        Bytes image() const { return { model.image, model.image + imageSize }; }

        std::vector<std::string> sentRecords() const
        {
            std::vector<std::string> sent;

            for (auto& m : out.messages)
                if (m.front() == 0xF0)
                    sent.push_back (RecordingMidiOut::hex (m));

            return sent;
        }

        // A collection's folder is the user's alone: not the shared temporary folder itself.
        ScopedFolder dbFolder;
        const juce::File dbFile { dbFolder.file ("collection.db") };
        const int total = fill();
        RecordingMidiOut out;
        VirtualClock clock;
        VeskSession session { [this]
                              {
                                  auto options = VeskSession::Options::headless (clock, out);
                                  options.collectionFile = dbFile;
                                  return options;
                              }() };
        VeskModel& model = session.getModel();
        VeskComponent editor { session };
        CollectionComponent& page = *editor.getCollectionPage();
    };
}

TEST_F (CollectionTab, TypeAheadFindsByPrefixesOfNamesAndTags)
{
    ASSERT_EQ (page.results.getTotal(), total) << "an empty search lists everything";

    const std::pair<const char*, int> cases[] = {
        { "wob", 1 }, // a tag's start
        { "WOBBLE", 1 }, // any case
        { "dark", 2 },
        { "set1", 20 }, // the name of the first sighting, "Set1 User 03"
        { "set1 dark", 2 }, // every word narrows
        { "obble", 0 }, // a word's middle is no prefix
    };

    for (const auto& [text, expected] : cases)
    {
        SCOPED_TRACE (text);
        type (text);
        settle();
        EXPECT_EQ (page.results.getTotal(), expected);
        EXPECT_EQ ((int) rows().size(), expected);
    }
}

TEST_F (CollectionTab, AnAnswerOvertakenByANewerSearchIsDropped)
{
    // A later page of the full list is on its way when the search changes.
    ASSERT_GT (page.results.getTotal(), CollectionResults::pageSize * 2);
    EXPECT_EQ (page.results.getRow (CollectionResults::pageSize * 2 + 1), nullptr);
    std::vector<int> shown; // the total of each answer the list takes in
    page.results.onChange = [&, showAnswer = page.results.onChange]
    {
        shown.push_back (page.results.getTotal());
        showAnswer();
    };

    type ("w");
    type ("wobble");
    settle();

    EXPECT_EQ (shown, std::vector<int> { 1 }) << "no older answer is ever shown";
    ASSERT_NE (page.results.getRow (0), nullptr);
    EXPECT_TRUE (page.results.getRow (0)->tags.contains ("wobble"));
    EXPECT_EQ (page.results.getRow (CollectionResults::pageSize * 2 + 1), nullptr) << "no row of the older answer";
    EXPECT_EQ (page.list.getListBox().getModel()->getNumRows(), 1);
}

TEST_F (CollectionTab, ASearchTextPastTheBoundsIsSaidUnderTheList)
{
    // A word over and over finds what it finds once, and nothing is said.
    type (juce::String::repeatedString ("wobble ", 9000));
    settle();
    EXPECT_EQ (page.results.getTotal(), 1);
    EXPECT_EQ (page.status.getText(), "1 pattern");

    // Seventeen different words: the seventeenth is left out, and that is said.
    juce::StringArray words { "wobble" };
    for (int i = 1; i < 16; ++i)
        words.add ("word" + juce::String::charToString ((juce::juce_wchar) ('a' + i)));
    type (words.joinIntoString (" ") + " nowhere");
    settle();
    const auto cut = page.status.getText();
    EXPECT_TRUE (cut.contains ("first 16 different words")) << cut;
    const auto found = page.results.getTotal();
    type (words.joinIntoString (" "));
    settle();
    EXPECT_EQ (page.results.getTotal(), found);
    EXPECT_FALSE (page.status.getText().contains ("words")) << page.status.getText();

    // A paste past what a search reads stops in the box, still long enough to be said.
    page.filters.searchBox.clear();
    page.filters.searchBox.insertTextAtCaret (juce::String::repeatedString ("x", CollectionSearchIndex::maxTextLength * 2));
    EXPECT_EQ (page.filters.searchBox.getText().length(), CollectionSearchIndex::maxTextLength + 1) << page.filters.searchBox.getText().substring (0, 20);
    EXPECT_TRUE (CollectionSearchIndex::words (page.filters.getQuery().text).cut);
}

TEST_F (CollectionTab, FiltersNarrowTheSearch)
{
    auto& f = page.filters;
    auto choose = [] (juce::ComboBox& box, const juce::String& item)
    {
        for (int i = 0; i < box.getNumItems(); ++i)
            if (box.getItemText (i) == item)
                return box.setSelectedItemIndex (i, juce::sendNotificationSync);

        FAIL() << "no item " << item;
    };
    auto reset = [&]
    {
        for (auto* box : { &f.typeBox, &f.lengthBox, &f.stepsBox, &f.tagBox })
            box->setSelectedItemIndex (0, juce::sendNotificationSync);

        f.tempoRange.setMinAndMaxValues (CollectionFilters::lowestTempo, CollectionFilters::highestTempo, juce::sendNotificationSync);
        f.favouriteButton.setToggleState (false, juce::sendNotificationSync);
    };

    struct Case
    {
        const char* name;
        std::function<void()> set;
        std::function<bool (const CollectionPattern&)> matches;
        int expected;
    };

    const std::vector<Case> cases = {
        { "Bass", [&]
          { choose (f.typeBox, "Bass"); },
          [] (auto& p)
          { return p.type == PartType::bass; },
          2 },
        { "a Rythm kit", [&]
          { choose (f.typeBox, "Rythm"); f.soundBox.setSelectedId (f.soundBox.getItemId (3), juce::sendNotificationSync); },
          [] (auto& p)
          { return p.type == PartType::rythm && p.toneOrKit == 2; },
          2 },
        { "121 to 140 BPM", [&]
          { f.tempoRange.setMinAndMaxValues (121, 140, juce::sendNotificationSync); },
          [] (auto& p)
          { return p.tempo >= 1210 && p.tempo < 1410; },
          2 },
        { "2 bars", [&]
          { choose (f.lengthBox, "2 Bars"); },
          [] (auto& p)
          { return p.bars == 2; },
          2 },
        { "12 steps per bar", [&]
          { choose (f.stepsBox, "12 per Bar"); },
          [] (auto& p)
          { return p.stepsPerBar == 12; },
          2 },
        { "tag dark", [&]
          { choose (f.tagBox, "dark"); },
          [] (auto& p)
          { return p.tags.contains ("dark"); },
          2 },
        { "favourites, none yet", [&]
          { f.favouriteButton.setToggleState (true, juce::sendNotificationSync); },
          [] (auto& p)
          { return p.favourite; },
          0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        reset();
        c.set();
        settle();
        const auto found = rows();
        EXPECT_EQ ((int) found.size(), c.expected);
        EXPECT_TRUE (std::all_of (found.begin(), found.end(), c.matches));
    }
}

TEST_F (CollectionTab, LengthAndStepsFiltersOfferExactlyWhatAPatternCanHave)
{
    struct Case
    {
        juce::ComboBox& box;
        int offset;
        std::function<std::optional<int> (const CollectionQuery&)> asked;
    };

    auto& f = page.filters;
    const Case cases[] = {
        { f.lengthBox, Pattern::patternLength, [] (auto& q)
          { return q.bars; } },
        { f.stepsBox, Pattern::stepsPerBar, [] (auto& q)
          { return q.stepsPerBar; } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.box.getName());

        // Every byte the model takes for the field, as its control shows it.
        std::set<int> possible;
        const auto& entry = VeskFieldTable::pattern (c.offset, PartType::lead);

        for (int stored = 0; stored < 128; ++stored)
            if (entry.holds (stored))
                possible.insert ((int) entry.shown (stored));

        std::set<int> offered;

        for (int i = 1; i < c.box.getNumItems(); ++i)
        {
            c.box.setSelectedItemIndex (i, juce::sendNotificationSync);
            const auto value = c.asked (f.getQuery());
            ASSERT_TRUE (value.has_value()) << c.box.getItemText (i);
            EXPECT_TRUE (c.box.getItemText (i).startsWith (juce::String (*value) + " ")) << c.box.getItemText (i);
            offered.insert (*value);
        }

        EXPECT_EQ (offered, possible);
        EXPECT_EQ ((int) offered.size(), c.box.getNumItems() - 1) << "an item offered twice";
        c.box.setSelectedItemIndex (0, juce::sendNotificationSync);
        EXPECT_FALSE (c.asked (f.getQuery()).has_value());
    }
}

TEST_F (CollectionTab, BringingPatternsIntoTheLibraryIsOneStepSentAsTheLibraryPageSendsIt)
{
    type ("set1");
    settle();
    auto& library = editor.libraryPage->ourList;
    library.setBounds (0, 0, 446, 400);
    const auto start = image();

    auto dropOn = [&] (int slot)
    {
        // The drag carries what the list gives it; the slot's row takes it.
        const auto area = library.getListBox().getRowPosition (slot, true) + library.getListBox().getPosition();
        const juce::DragAndDropTarget::SourceDetails details (page.list.getDragSourceDescription ({}), &page.list.getListBox(), area.getCentre());
        ASSERT_TRUE (library.isInterestedInDragSource (details));
        library.itemDropped (details);
    };

    struct Case
    {
        const char* name;
        std::vector<int> rows;
        int onto;
        std::function<void (int slot)> bring;
    };

    const Case cases[] = {
        { "drag one onto User 05", { 0 }, 5, dropOn },
        { "Copy to Slot... User 05", { 0 }, 5, [&] (int slot)
          { EXPECT_TRUE (page.copyToSlot (slotBlock (slot)).wasOk()); } },
        { "drag two onto User 19", { 2, 3 }, 19, dropOn },
        { "Copy two to the Temporary", { 1, 4 }, 0, [&] (int slot)
          { EXPECT_TRUE (page.copyToSlot (slotBlock (slot)).wasOk()); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        selectRows (c.rows);
        const auto chosen = page.choice.getPatterns();
        ASSERT_EQ (chosen.size(), c.rows.size());
        const int stepsBefore = session.getHistory().getNumDone();
        out.clear();
        c.bring (c.onto);
        clock.runUntilIdle();

        auto expected = start;
        std::vector<std::string> expectedSent;

        for (size_t i = 0; i < chosen.size(); ++i)
            std::copy (chosen[i].bytes.begin(), chosen[i].bytes.end(), expected.begin() + patternRecordOffset (c.onto + (int) i));

        // What the Library page's copies send: the changed records whole, in Send All's order.
        for (int slot = 1; slot <= numPatternRecords; ++slot)
            if (const int r = slot % numPatternRecords; r >= c.onto && r < c.onto + (int) chosen.size())
                expectedSent.push_back (hexOf (r == 0 ? VeskProtocol::patternBulk (Area::temporaryPattern, 0, expected.data() + patternRecordOffset (0))
                                                      : VeskProtocol::patternBulk (Area::userPattern, r - 1, expected.data() + patternRecordOffset (r))));

        EXPECT_EQ (image(), expected);
        EXPECT_EQ (session.getHistory().getNumDone(), stepsBefore + 1) << "one step";
        EXPECT_EQ (sentRecords(), expectedSent);

        ASSERT_TRUE (session.undo().wasOk());
        clock.runUntilIdle();
        EXPECT_EQ (image(), start);
    }

    // Three from User 19 would run past User 20.
    selectRows ({ 0, 1, 2 });
    EXPECT_TRUE (page.copyToSlot (slotBlock (19)).getText().contains ("past User 20"));
    EXPECT_EQ (image(), start);
}

TEST_F (CollectionTab, CopyWritesTheSelectedRowsAsTextThatTheLibraryPagePastes)
{
    type ("set1");
    settle();
    selectRows ({ 1, 3, 4 });
    const auto chosen = page.choice.getPatterns();
    ASSERT_EQ (chosen.size(), 3u);

    // One line a row, in the list's order, addressed from User 01 on.
    const auto text = page.copyText();
    std::vector<VeskPatternText::Record> records;
    ASSERT_TRUE (VeskPatternText::parse (text, records).wasOk()) << text;
    ASSERT_EQ (records.size(), chosen.size());

    for (size_t i = 0; i < records.size(); ++i)
    {
        EXPECT_EQ (records[i].slot, *VeskBlock::user ((int) i + 1));
        EXPECT_TRUE (std::equal (records[i].bytes.begin(), records[i].bytes.end(), chosen[i].bytes.begin())) << "row " << i;
    }

    // Pasted on the Library page onto the slot chosen there.
    auto& library = *editor.libraryPage;
    library.ourList.selectSlots ({ slotBlock (7) });
    ASSERT_TRUE (library.paste (text).wasOk());
    clock.runUntilIdle();

    for (int i = 0; i < 3; ++i)
        EXPECT_EQ (record (7 + i), Bytes (chosen[(size_t) i].bytes.begin(), chosen[(size_t) i].bytes.end())) << "User " << 7 + i;

    // Nothing selected, or more than a library holds: said, and nothing copied.
    selectRows ({});
    EXPECT_TRUE (page.copyText().isEmpty());
    EXPECT_TRUE (page.copySelected().getText().contains ("Select the patterns to copy")) << page.copySelected().getText();

    type ("");
    settle();
    std::vector<int> many (21);
    std::iota (many.begin(), many.end(), 0);
    selectRows (many);
    EXPECT_TRUE (page.copyText().isEmpty());
    EXPECT_TRUE (page.copySelected().getText().startsWith ("21 patterns are selected")) << page.copySelected().getText();
}

TEST_F (CollectionTab, AuditionPutsThePatternIntoTheTemporaryPatternAsOneStep)
{
    type ("wobble");
    settle();
    selectRows ({ 0 });
    const auto pattern = page.choice.getOne();
    ASSERT_TRUE (pattern.has_value());
    const auto start = image();

    ASSERT_TRUE (page.audition().wasOk());
    clock.runUntilIdle();

    EXPECT_EQ (record (0), Bytes (pattern->bytes.begin(), pattern->bytes.end()));
    EXPECT_EQ (session.getShownPattern(), VeskBlock::temporary());
    EXPECT_EQ (session.getHistory().getNumDone(), 1);
    EXPECT_TRUE (session.getUndoName().contains (pattern->name)) << session.getUndoName();
    EXPECT_FALSE (out.messages.empty()) << "the unit hears it at once";

    auto restOf = [] (Bytes bytes)
    {
        std::fill (bytes.begin() + patternRecordOffset (0), bytes.begin() + patternRecordOffset (0) + patternSize, 0);
        return bytes;
    };
    EXPECT_EQ (restOf (image()), restOf (start)) << "only the temporary pattern changed";

    ASSERT_TRUE (session.undo().wasOk());
    EXPECT_EQ (image(), start);
}

TEST_F (CollectionTab, NewLibraryFromSelectionFillsUserPatternsFromTheFirst)
{
    type ("dark");
    settle();
    selectRows ({ 0, 1 });
    const auto chosen = page.choice.getPatterns();
    ASSERT_EQ (chosen.size(), 2u);
    model.image[patternRecordOffset (7) + Pattern::level] = 99;

    ASSERT_TRUE (page.newLibraryFromSelection().wasOk());
    clock.runUntilIdle();

    Bytes expected (imageSize);
    VeskModel::writeDefaults (expected.data());

    for (int i = 0; i < 2; ++i)
        std::copy (chosen[(size_t) i].bytes.begin(), chosen[(size_t) i].bytes.end(), expected.begin() + patternRecordOffset (i + 1));

    EXPECT_EQ (image(), expected) << "the rest are the defaults";
    EXPECT_EQ (model.getFile(), juce::File());
    EXPECT_TRUE (model.hasChangedSinceSaved());

    // More than a library holds: refused before anything is asked or changed.
    type ("");
    settle();
    page.list.getListBox().selectRangeOfRows (0, 20);
    EXPECT_TRUE (page.checkNewLibrary().getText().contains ("Nothing was changed"));
    EXPECT_TRUE (page.newLibraryFromSelection().failed());
    EXPECT_EQ (image(), expected);
}

TEST_F (CollectionTab, EditsInPlaceLandInTheDatabase)
{
    // A search the pattern stays in while its name and tags change (its file's name).
    type ("set1");
    settle();
    selectRows ({ 0 });
    const auto id = page.details.getShownId();
    ASSERT_TRUE (id.isNotEmpty());
    auto& d = page.details;

    auto enter = [] (juce::TextEditor& box, const juce::String& text)
    {
        box.setText (text, true);
        box.onReturnKey();
    };

    struct Case
    {
        const char* name;
        std::function<void()> edit;
        std::function<bool (const CollectionPattern&)> landed;
    };

    const std::vector<Case> cases = {
        { "name", [&]
          { enter (d.nameEditor, "Night Bass"); },
          [] (auto& p)
          { return p.name == "Night Bass" && p.hasOwnName; } },
        { "tags: one renamed, one added", [&]
          { enter (d.tagsEditor, "wub, acid"); },
          [] (auto& p)
          { return p.tags.size() == 2 && p.tags.contains ("wub") && p.tags.contains ("acid"); } },
        { "favourite", [&]
          { d.favouriteButton.triggerClick(); },
          [] (auto& p)
          { return p.favourite; } },
        { "rating", [&]
          { d.ratingBox.setSelectedId (5, juce::sendNotificationSync); },
          [] (auto& p)
          { return p.rating == 4; } },
        { "comment", [&]
          { enter (d.commentEditor, "from the night set"); },
          [] (auto& p)
          { return p.comment == "from the night set"; } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        c.edit();
        dispatchPendingMessages();
        settle();

        // Read back through a connection of its own, as another program would.
        auto opened = CollectionStore::open (dbFile);
        ASSERT_NE (opened.store, nullptr);
        const auto found = opened.store->find (id);
        ASSERT_TRUE (found.pattern.has_value());
        EXPECT_TRUE (c.landed (*found.pattern));
    }

    // The list shows the new name once its rows are read again.
    type ("night");
    settle();
    ASSERT_EQ (page.results.getTotal(), 1);
    EXPECT_EQ (page.results.getRow (0)->name, "Night Bass");
}

TEST_F (CollectionTab, APatternDraggedOverTheLibraryTabBringsItsPageToTheFront)
{
    selectRows ({ 0 });
    const juce::DragAndDropTarget::SourceDetails details (page.list.getDragSourceDescription ({}), &page.list.getListBox(), {});
    auto* tab = dynamic_cast<juce::DragAndDropTarget*> (editor.getTabbedButtonBar().getTabButton (editor.getTabNames().indexOf ("Library")));
    ASSERT_NE (tab, nullptr);
    ASSERT_TRUE (tab->isInterestedInDragSource (details));
    tab->itemDragEnter (details);
    EXPECT_EQ (editor.getCurrentTabName(), "Library");

    // A drag of something else (a library row) leaves the tabs alone.
    EXPECT_FALSE (tab->isInterestedInDragSource ({ juce::var (juce::Array<juce::var> { 3 }), &editor.libraryPage->ourList.getListBox(), {} }));
}

//==============================================================================
// The chosen pattern: what the editor shows, what the highlight marks and what
// Audition and every edit act on are one pattern, followed by its ID as the
// list changes under it.
namespace
{
    struct ChosenPattern : CollectionTab
    {
        ChosenPattern()
        {
            page.onMessage = [this] (const juce::String&, const SessionResult& result)
            { alerts.add (result.getText()); };
        }

        juce::String idAt (int row)
        {
            if (page.results.getRow (row) == nullptr)
                settle();

            const auto* pattern = page.results.getRow (row);
            return pattern != nullptr ? pattern->id : juce::String();
        }

        /** A click on a row, as the list takes it from the mouse. */
        void click (int row)
        {
            idAt (row); // its page is read before a user could see it
            page.list.getListBox().selectRowsBasedOnModifierKeys (row, {}, false);
        }

        juce::StringArray highlighted()
        {
            juce::StringArray ids;
            const auto rows = page.list.getListBox().getSelectedRows();

            for (int i = 0; i < rows.size(); ++i)
                ids.add (idAt (rows[i]));

            return ids;
        }

        /** The ID of what Audition put into the temporary pattern, or empty; undone again. */
        juce::String auditioned()
        {
            if (! page.audition().wasOk())
                return {};

            clock.runUntilIdle();
            const auto id = idOf (model.image + patternRecordOffset (0));
            EXPECT_TRUE (session.undo().wasOk());
            clock.runUntilIdle();
            return id;
        }

        /** The IDs of the patterns that carry the tag, read through a connection of its own. */
        juce::StringArray taggedWith (const juce::String& tag)
        {
            settle();
            auto opened = CollectionStore::open (dbFile);
            juce::StringArray ids;

            if (opened.store == nullptr)
                return ids;

            CollectionQuery query;
            query.tag = tag;

            for (const auto& p : opened.store->search (query).patterns)
                ids.add (p.id);

            return ids;
        }

        static void enter (juce::TextEditor& box, const juce::String& text)
        {
            box.setText (text, true);
            box.onReturnKey();
        }

        /** The editor, the highlight, Audition and a tag typed all land on id. */
        void expectChosen (const juce::String& id, const juce::String& tag)
        {
            EXPECT_EQ (page.details.getShownId(), id);
            EXPECT_EQ (highlighted(), juce::StringArray (id));
            EXPECT_EQ (auditioned(), id);
            enter (page.details.tagsEditor, tag);
            EXPECT_EQ (taggedWith (tag), juce::StringArray (id));
        }

        /** Nothing is chosen: no highlight, an empty editor, nothing to act on. */
        void expectNothingChosen()
        {
            EXPECT_EQ (page.details.getShownId(), "");
            EXPECT_FALSE (page.details.nameEditor.isEnabled());
            EXPECT_TRUE (highlighted().isEmpty());
            EXPECT_FALSE (page.hasSelection());
            EXPECT_EQ (auditioned(), "");
            EXPECT_TRUE (page.copyToSlot (slotBlock (5)).failed());
        }

        juce::StringArray alerts;
    };
}

TEST_F (ChosenPattern, ARenameThatReSortsTheListKeepsTheRenamedOneChosen)
{
    const struct
    {
        const char* search;
        const char* name; // sorts last: the pattern moves from the first row to the last
    } cases[] = {
        { "set1", "Zebra" }, // within the rows the page holds
        { "", "Zzz" }, // to a row whose page was never read
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.search);
        type (c.search);
        settle();
        click (0);
        const auto renamed = idAt (0);
        ASSERT_EQ (page.details.getShownId(), renamed);

        enter (page.details.nameEditor, c.name);
        settle();

        // Marked where it went before that row is read (the list shows it there).
        const int last = page.results.getTotal() - 1;
        EXPECT_EQ (page.list.getListBox().getNumSelectedRows(), 1);
        EXPECT_EQ (page.list.getListBox().getSelectedRow(), last);
        EXPECT_EQ (idAt (last), renamed) << "the list re-sorted";
        auto& box = page.list.getListBox();
        EXPECT_TRUE (box.getLocalBounds().intersects (box.getRowPosition (last, true))) << "it was in sight, and stays so";
        EXPECT_EQ (page.details.nameEditor.getText(), c.name);
        expectChosen (renamed, "renamed" + juce::String (c.name));
    }
}

TEST_F (ChosenPattern, BackToSearchGoesBackAndKeepsTheSimilarOneChosen)
{
    click (0);
    page.similarButton.triggerClick();
    settle();
    ASSERT_TRUE (page.results.isShowingSimilar());
    ASSERT_GT (page.results.getTotal(), 6);
    EXPECT_EQ (page.details.getShownId(), "") << "the pattern they play like is not in the list";

    // What is listed is said whole, on a line of its own above the buttons, clear of the list.
    auto& status = page.status;
    EXPECT_TRUE (status.getText().contains ("patterns that play like")) << status.getText();
    EXPECT_LE (status.getFont().getStringWidthFloat (status.getText()) + (float) status.getBorderSize().getLeftAndRight(), (float) status.getWidth());
    EXPECT_LE (status.getBottom(), page.similarButton.getY());
    EXPECT_LE (page.details.getBottom(), status.getY());

    // Back at once, with nothing chosen.
    EXPECT_TRUE (page.similarButton.isEnabled());
    page.similarButton.triggerClick();
    settle();
    EXPECT_FALSE (page.results.isShowingSimilar());
    EXPECT_EQ (page.results.getTotal(), total);

    // From a row far down: the similar ones are shown from the closest.
    auto& box = page.list.getListBox();
    box.scrollToEnsureRowIsOnscreen (100);
    click (100);
    page.similarButton.triggerClick();
    settle();
    ASSERT_TRUE (page.results.isShowingSimilar());
    EXPECT_TRUE (box.getLocalBounds().contains (box.getRowPosition (0, true)));
    click (5);
    const auto sixth = idAt (5);
    page.similarButton.triggerClick();
    settle();
    ASSERT_FALSE (page.results.isShowingSimilar());
    EXPECT_TRUE (box.getLocalBounds().intersects (box.getRowPosition (page.results.find (sixth).row, true))) << "back in sight";
    expectChosen (sixth, "sixth");
}

TEST_F (ChosenPattern, ASearchKeepsTheChosenOneWhileItMatchesAndDropsItWhenItDoesNot)
{
    // Narrowed, chosen there, then the search cleared: it is still the one,
    // shown where it is in the whole list (far down, in a page not yet read).
    type ("set8");
    settle();
    ASSERT_GT (page.results.getTotal(), 1);
    const int lastOfSet8 = page.results.getTotal() - 1;
    click (lastOfSet8);
    const auto far = idAt (lastOfSet8);
    type ("");
    settle();
    auto& box = page.list.getListBox();
    const int row = box.getSelectedRow();
    EXPECT_GT (row, CollectionResults::pageSize * 2);
    EXPECT_TRUE (box.getLocalBounds().intersects (box.getRowPosition (row, true))) << "in sight";
    expectChosen (far, "stillFar");

    // A search it does not match: nothing is chosen, and clearing it again brings nothing back.
    click (1);
    ASSERT_NE (idAt (1), far);
    ASSERT_EQ (page.details.getShownId(), idAt (1));
    type ("wobble");
    settle();
    ASSERT_EQ (page.results.getTotal(), 1);
    expectNothingChosen();
    type ("");
    settle();
    expectNothingChosen();
    EXPECT_TRUE (alerts.isEmpty()) << alerts.joinIntoString ("\n");
}

TEST_F (ChosenPattern, ATextOverItsLimitIsCutToItAndSaidWithoutABoxThatTakesTheKeys)
{
    click (2);
    const auto id = page.details.getShownId();
    auto& comment = page.details.commentEditor;

    auto held = [&]
    {
        settle();
        auto opened = CollectionStore::open (dbFile);
        return opened.store != nullptr ? opened.store->find (id).pattern.value_or (CollectionPattern()) : CollectionPattern();
    };

    // A paste past the limit keeps its first 4,096 characters, and says so.
    const auto pasted = juce::String::repeatedString ("0123456789", 500);
    comment.setText ("", false);
    comment.insertTextAtCaret (pasted);
    EXPECT_EQ (comment.getText(), pasted.substring (0, CollectionEdit::maxTextLength));
    EXPECT_TRUE (page.noteLine.isVisible());
    EXPECT_TRUE (page.noteLine.getText().contains ("4,096")) << page.noteLine.getText();

    comment.onReturnKey();
    EXPECT_EQ (held().comment, pasted.substring (0, CollectionEdit::maxTextLength));
    EXPECT_EQ (comment.getText(), held().comment);

    // A key typed at the limit is not taken; one after a deletion is.
    comment.moveCaretToEnd();
    EXPECT_TRUE (comment.keyPressed (juce::KeyPress ('x', {}, 'x')));
    EXPECT_EQ (comment.getText().length(), CollectionEdit::maxTextLength);
    comment.keyPressed (juce::KeyPress (juce::KeyPress::backspaceKey));
    comment.keyPressed (juce::KeyPress ('x', {}, 'x'));
    EXPECT_TRUE (comment.getText() == pasted.substring (0, CollectionEdit::maxTextLength - 1) + "x");

    // A tag past its limit stays in the box to be shortened; nothing is sent.
    ASSERT_EQ (held().tags, juce::StringArray ("dark"));
    const auto longTag = juce::String::repeatedString ("t", CollectionEdit::maxTagLength + 1);
    enter (page.details.tagsEditor, "fine, " + longTag);
    EXPECT_EQ (page.details.tagsEditor.getText(), "fine, " + longTag);
    EXPECT_TRUE (page.noteLine.getText().contains ("64")) << page.noteLine.getText();
    EXPECT_EQ (held().tags, juce::StringArray ("dark"));
    enter (page.details.tagsEditor, "fine, " + longTag.substring (1));
    EXPECT_EQ (held().tags, juce::StringArray ("fine", longTag.substring (1)));

    EXPECT_TRUE (alerts.isEmpty()) << "no modal box: " << alerts.joinIntoString ("\n");
}

TEST_F (ChosenPattern, EveryRowSelectedIsRefusedWithTheCountNotGreyedOut)
{
    click (0);
    ASSERT_TRUE (page.list.getListBox().keyPressed (juce::KeyPress ('a', ctrl, 0))); // select all, past the pages read
    settle();
    const auto start = image();
    const auto said = juce::String (total) + " patterns are selected";

    EXPECT_TRUE (page.hasSelection()) << "the commands stay on, to say why they refuse";
    EXPECT_FALSE (page.hasOneSelected());
    EXPECT_TRUE (page.checkNewLibrary().getText().contains (said)) << page.checkNewLibrary().getText();
    EXPECT_TRUE (page.copyToSlot (slotBlock (1)).getText().contains (said));
    EXPECT_EQ (image(), start);
    EXPECT_EQ (page.details.getShownId(), "");
}
