// What goes into the collection by itself, on a session without a window and
// a real database file: which sightings each way in records, that a failing
// collection never fails the library's own open or save, and Add Folder's
// job, cancelled halfway, keeps what it added; and the user's switch.

#include "DispatchMessages.h"
#include "ScopedTmpfs.h"
#include "SessionTestSupport.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskMidiFile.h"

#include <set>
#include <tuple>

using namespace VeskImage;

namespace
{
    constexpr int waitMs = 20000;

    struct FailureCount : VeskSession::Listener
    {
        void collectionFailed (const CollectionProblem& problem, const juce::File& aside) override
        {
            problems.push_back (problem);
            movedAside = aside;
        }

        std::vector<CollectionProblem> problems;
        juce::File movedAside;
    };

    /** A collection whose first page is overwritten after its header: ours, and damaged. Its bytes. */
    juce::MemoryBlock damagedCollection (const juce::File& file)
    {
        CollectionStore::open (file).store.reset();
        juce::MemoryBlock data;
        file.loadFileAsData (data);
        std::memset (static_cast<char*> (data.getData()) + 100, 0x5a, 3000);
        file.replaceWithData (data.getData(), data.getSize());
        return data;
    }

    /** A session on a recorder in virtual time, its collection in a folder of its own. */
    struct IntakeRig
    {
        explicit IntakeRig (bool addByItself = true, juce::File databaseToUse = {})
            : database (databaseToUse != juce::File() ? databaseToUse : folder.getChildFile ("collection.db"))
        {
            folder.createDirectory();
            auto options = VeskSession::Options::headless (clock, out);
            options.collectionFile = database;
            options.addToCollection = addByItself;
            session = std::make_unique<VeskSession> (options);
            session->addListener (&failures);
        }

        ~IntakeRig()
        {
            session->removeListener (&failures);
            session = nullptr;
            folder.deleteRecursively();
        }

        /** Lets the writer finish and its reports reach the message thread. */
        void settle()
        {
            ASSERT_TRUE (session->getCollection().waitUntilIdle (waitMs));
            dispatchPendingMessages();
        }

        /** Every sighting the database holds, as (source, path, slot), each checked against bytes. */
        std::set<std::tuple<CollectionSource, juce::String, int>> seen (const juce::uint8* image)
        {
            settle();
            std::set<std::tuple<CollectionSource, juce::String, int>> result;
            auto opened = CollectionStore::open (database);
            EXPECT_NE (opened.store, nullptr) << opened.problem.detail;

            if (opened.store == nullptr)
                return result;

            CollectionQuery all;
            all.limit = 100000;

            for (const auto& pattern : opened.store->search (all).patterns)
            {
                for (const auto& s : opened.store->sightings (pattern.id))
                {
                    result.insert ({ s.source, s.sourcePath, s.slot.index() });
                    EXPECT_TRUE (std::equal (s.bytes.begin(), s.bytes.end(), image + s.slot.imageOffset())) << s.slot;
                }
            }

            return result;
        }

        int patternsHeld()
        {
            settle();
            auto opened = CollectionStore::open (database);
            return opened.store != nullptr ? opened.store->size() : -1;
        }

        juce::File folder { juce::File::createTempFile ("vesk-intake") };
        juce::File database;
        VirtualClock clock;
        TimedRecording out { clock };
        FailureCount failures;
        std::unique_ptr<VeskSession> session;
    };

    /** Makes each user pattern of an image differ from every other image's. */
    void makeDistinct (juce::uint8* image, int seed)
    {
        for (int n = 1; n <= 20; ++n)
        {
            auto* record = image + VeskBlock::user (n)->imageOffset();
            record[Pattern::stepNote] = (juce::uint8) n;
            record[Pattern::stepNote + 1] = (juce::uint8) (seed % 120);
            record[Pattern::stepNote + 2] = (juce::uint8) (seed / 120);
        }
    }

    juce::File writeLibrary (const juce::File& folder, const juce::String& name, int seed)
    {
        juce::HeapBlock<juce::uint8> image (imageSize);
        VeskModel::writeDefaults (image.get());
        makeDistinct (image.get(), seed);
        const auto file = folder.getChildFile (name);
        EXPECT_TRUE (VeskLibraryFile::write (file, image.get()).wasOk());
        return file;
    }

    /** How many different records an image's 21 patterns are. */
    int distinctPatterns (const juce::uint8* image)
    {
        std::set<std::vector<juce::uint8>> records;

        for (auto block : VeskBlock::patterns())
            records.insert ({ image + block.imageOffset(), image + block.imageOffset() + patternSize });

        return (int) records.size();
    }

    std::vector<int> indices (const std::vector<VeskBlock>& blocks)
    {
        std::vector<int> result;

        for (auto b : blocks)
            result.push_back (b.index());

        return result;
    }
}

TEST (CollectionIntake, EachWayInRecordsItsSourceFileAndSlots)
{
    using Source = CollectionSource;
    const auto patterns = indices (VeskBlock::patterns());

    const struct
    {
        const char* what;
        Source source;
        const char* file; // the source's name in the rig's folder, or none
        std::vector<int> slots;
        std::function<void (IntakeRig&, const juce::File&)> act;
    } ways[] = {
        { "a library opened", Source::library, "Set1.vsk", patterns, [] (IntakeRig& rig, const juce::File& file)
          {
              writeLibrary (rig.folder, file.getFileName(), 3);
              ASSERT_TRUE (rig.session->getModel().loadDocument (file).wasOk());
          } },
        { "a library saved", Source::library, "Saved.vsk", patterns, [] (IntakeRig& rig, const juce::File& file)
          {
              makeDistinct (rig.session->getModel().image, 5);
              ASSERT_TRUE (rig.session->getModel().saveDocument (file).wasOk());
          } },
        { "a .syx file of two patterns", Source::syx, "Two.syx", { 3, 17 }, [] (IntakeRig& rig, const juce::File& file)
          {
              juce::HeapBlock<juce::uint8> image (imageSize);
              VeskModel::writeDefaults (image.get());
              makeDistinct (image.get(), 9);
              juce::MemoryOutputStream bytes;

              for (int n : { 17, 3 })
              {
                  const auto dump = VeskProtocol::blockBulk (image.get(), *VeskBlock::user (n));
                  bytes.write (dump.getRawData(), (size_t) dump.getRawDataSize());
              }

              ASSERT_TRUE (file.replaceWithData (bytes.getData(), bytes.getDataSize()));
              ASSERT_TRUE (rig.session->importSyx (file).wasOk());
          } },
        { "a Get All", Source::getAll, nullptr, patterns, [] (IntakeRig& rig, const juce::File&)
          {
              rig.session->setVirtualUnitInUse (true);
              makeDistinct (rig.session->getVirtualUnit().memory, 11);
              ASSERT_TRUE (rig.session->startTransfer (VeskTransfer::Kind::getAll).wasOk());
              rig.clock.runUntilIdle();
              ASSERT_FALSE (rig.session->isBusy());
          } },
        { "a MIDI file imported", Source::midiImport, "Tune.mid", { 5 }, [] (IntakeRig& rig, const juce::File& file)
          {
              const auto data = melody();
              ASSERT_TRUE (file.replaceWithData (data.getData(), data.getSize()));
              rig.session->showPattern (*VeskBlock::user (5));
              ASSERT_TRUE (rig.session->importMidi (file).wasOk());
          } },
    };

    for (const auto& way : ways)
    {
        SCOPED_TRACE (way.what);
        IntakeRig rig;
        const auto file = way.file != nullptr ? rig.folder.getChildFile (way.file) : juce::File();
        way.act (rig, file);

        std::set<std::tuple<CollectionSource, juce::String, int>> expected;

        for (int slot : way.slots)
            expected.insert ({ way.source, file == juce::File() ? juce::String() : file.getFullPathName(), slot });

        EXPECT_EQ (rig.seen (rig.session->getModel().image), expected);
        EXPECT_TRUE (rig.failures.problems.empty());
    }
}

TEST (CollectionIntake, WithTheSwitchOffNothingGoesInByItselfButAFolderAskedFor)
{
    IntakeRig rig;
    rig.session->setAddingToCollection (false);
    auto& model = rig.session->getModel();
    const auto library = writeLibrary (rig.folder, "Set1.vsk", 3);
    ASSERT_TRUE (model.loadDocument (library).wasOk());
    makeDistinct (model.image, 4);
    ASSERT_TRUE (model.saveDocument (rig.folder.getChildFile ("Saved.vsk")).wasOk());
    rig.session->setVirtualUnitInUse (true);
    ASSERT_TRUE (rig.session->startTransfer (VeskTransfer::Kind::getAll).wasOk());
    rig.clock.runUntilIdle();
    rig.session->getCollectionIntake().getCollection(); // opened, so that anything queued would land
    EXPECT_EQ (rig.patternsHeld(), 0);

    // Add Folder is asked for, so it goes in all the same.
    ASSERT_TRUE (rig.session->getCollectionIntake().addFolders ({ library }));
    ASSERT_TRUE (rig.session->getCollectionIntake().getFolderJob()->waitForEnd (waitMs));
    EXPECT_EQ (rig.patternsHeld(), 21);

    // On again, the next save goes in.
    rig.session->setAddingToCollection (true);
    makeDistinct (model.image, 5);
    ASSERT_TRUE (model.saveDocument (rig.folder.getChildFile ("Later.vsk")).wasOk());
    EXPECT_EQ (rig.patternsHeld(), 21 + 20);
}

TEST (CollectionIntake, AFailingCollectionNeverFailsTheLibraryAndIsSaidOnce)
{
    // A damaged collection: kept aside as it was, a new one begun, and said.
    {
        const juce::File folder (juce::File::createTempFile ("vesk-damaged"));
        const auto damaged = folder.getChildFile ("collection.db");
        ASSERT_TRUE (folder.createDirectory());
        const auto bytes = damagedCollection (damaged);
        IntakeRig rig (true, damaged);
        const auto library = rig.folder.getChildFile ("Set1.vsk");
        ASSERT_TRUE (rig.session->getModel().saveDocument (library).wasOk());
        EXPECT_EQ (rig.patternsHeld(), distinctPatterns (rig.session->getModel().image)) << "the new collection took the saved library";
        ASSERT_EQ (rig.failures.problems.size(), 1u);
        juce::MemoryBlock kept;
        ASSERT_TRUE (rig.failures.movedAside.loadFileAsData (kept));
        EXPECT_EQ (kept, bytes);
        folder.deleteRecursively();
    }

    // A full disk under the database, the library's folder elsewhere.
    ScopedTmpfs disk ("512k");

    if (! disk.isMounted())
    {
        GTEST_SKIP() << disk.whyNot;
    }

    IntakeRig rig (true, disk.folder.getChildFile ("VeskEdit/collection.db"));
    auto& model = rig.session->getModel();
    ASSERT_TRUE (model.saveDocument (rig.folder.getChildFile ("First.vsk")).wasOk());
    const auto heldBefore = rig.patternsHeld();
    ASSERT_EQ (heldBefore, distinctPatterns (model.image));
    ASSERT_TRUE (disk.fillLeaving (0));

    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE (i);
        makeDistinct (model.image, 20 + i);
        const auto library = rig.folder.getChildFile ("Full" + juce::String (i) + ".vsk");
        ASSERT_TRUE (model.saveDocument (library).wasOk());

        juce::HeapBlock<juce::uint8> back (imageSize);
        ASSERT_TRUE (VeskLibraryFile::read (library, back.get()).wasOk());
        EXPECT_TRUE (std::equal (model.image, model.image + imageSize, back.get())) << "the library is written whole";
        rig.settle();
    }

    ASSERT_EQ (rig.failures.problems.size(), 1u) << "said once, not at every save";
    EXPECT_EQ (rig.failures.problems[0].kind, CollectionProblem::Kind::diskFull);
    ASSERT_TRUE (disk.removeFiller());
    EXPECT_EQ (rig.patternsHeld(), heldBefore) << "the collection is as it was";
}

TEST (CollectionIntake, AddFolderCancelledStopsAtTheNextFileAndKeepsWhatItAdded)
{
    IntakeRig rig;
    const auto folder = rig.folder.getChildFile ("Libraries");
    ASSERT_TRUE (folder.createDirectory());
    constexpr int numFiles = 12;

    for (int i = 0; i < numFiles; ++i)
        writeLibrary (folder, "Set" + juce::String (i) + ".vsk", 100 + i);

    CollectionFolderJob job (rig.session->getCollection(), { folder });
    job.onProgressInJob = [&job] (const CollectionFolderImport::Progress& progress)
    {
        if (progress.filesFound == 3)
            job.cancel();
    };

    job.start();
    ASSERT_TRUE (job.waitForEnd (waitMs));
    const auto report = job.getReport();
    EXPECT_TRUE (report.cancelled);
    EXPECT_EQ (report.filesRead, 3);
    EXPECT_EQ (report.added, 3 * 20 + 1) << "20 patterns a file, and the default temporary one";
    EXPECT_EQ (rig.patternsHeld(), report.added) << "what was added stays";

    // Again, to the end: what the first one added is already there.
    CollectionFolderJob again (rig.session->getCollection(), { folder });
    again.start();
    ASSERT_TRUE (again.waitForEnd (waitMs));
    EXPECT_FALSE (again.getReport().cancelled);
    EXPECT_EQ (again.getReport().filesRead, numFiles);
    EXPECT_EQ (again.getReport().added, (numFiles - 3) * 20);
    EXPECT_EQ (rig.patternsHeld(), numFiles * 20 + 1);
}

TEST (CollectionIntake, AddFolderOnAFullDiskSaysExactlyWhatWentIn)
{
    ScopedTmpfs disk ("1m");

    if (! disk.isMounted())
        GTEST_SKIP() << disk.whyNot;

    IntakeRig rig (true, disk.folder.getChildFile ("collection.db"));
    const auto folder = rig.folder.getChildFile ("Libraries");
    ASSERT_TRUE (folder.createDirectory());

    // About twice what the disk holds, in batches.
    for (int i = 0; i < 100; ++i)
        writeLibrary (folder, "Set" + juce::String (i) + ".vsk", 200 + i);

    ASSERT_TRUE (rig.session->getCollectionIntake().addFolders ({ folder }));
    auto* job = rig.session->getCollectionIntake().getFolderJob();
    ASSERT_TRUE (job->waitForEnd (waitMs));
    const auto report = job->getReport();
    EXPECT_EQ (report.problem.kind, CollectionProblem::Kind::diskFull);
    EXPECT_GT (report.filesRead, 0);
    EXPECT_LT (report.filesRead, 100);
    EXPECT_EQ (rig.patternsHeld(), report.added) << "what the summary counts is what the collection holds";
}

TEST (CollectionIntake, OpensTheCollectionWhenFirstNeededAndAPlainlyDamagedOneAtStart)
{
    // A start that needs no collection opens none, nor makes its file; the first
    // pattern to go in opens it and lands.
    {
        IntakeRig rig;
        EXPECT_FALSE (rig.session->getCollectionIntake().isCollectionOpen());
        EXPECT_FALSE (rig.database.exists());
        ASSERT_TRUE (rig.session->getModel().saveDocument (rig.folder.getChildFile ("Set1.vsk")).wasOk());
        EXPECT_TRUE (rig.session->getCollectionIntake().isCollectionOpen());
        EXPECT_EQ (rig.patternsHeld(), distinctPatterns (rig.session->getModel().image));
        EXPECT_TRUE (rig.failures.problems.empty());
    }

    // A collection already there, searched before anything opened it, answers with all it holds.
    {
        const auto folder = juce::File::createTempFile ("vesk-intake-held");
        ASSERT_TRUE (folder.createDirectory());
        const auto database = folder.getChildFile ("collection.db");
        juce::HeapBlock<juce::uint8> image (imageSize);
        VeskModel::writeDefaults (image.get());
        makeDistinct (image.get(), 7);

        {
            auto opened = CollectionStore::open (database);
            ASSERT_NE (opened.store, nullptr) << opened.problem.detail;
            ASSERT_TRUE (opened.store->add (CollectionSighting::fromImage (CollectionSource::library, "/m/Old.vsk", image.get(), 1000, VeskBlock::patterns())).ok());
        }

        {
            IntakeRig rig (true, database);
            EXPECT_FALSE (rig.session->getCollectionIntake().isCollectionOpen());
            CollectionQuery all;
            all.limit = 1000;
            int found = -1;
            rig.session->getCollection().search (all, [&found] (const CollectionPage& page)
                                                 { found = (int) page.patterns.size(); });
            rig.settle();
            EXPECT_EQ (found, distinctPatterns (image.get()));
            EXPECT_TRUE (rig.failures.problems.empty());
        }

        folder.deleteRecursively();
    }

    // A file that is plainly no collection is opened at once and said without
    // waiting for a use; it is left as it is, and nothing goes into it.
    {
        const juce::File folder (juce::File::createTempFile ("vesk-notes"));
        const auto notes = folder.getChildFile ("collection.db");
        ASSERT_TRUE (folder.createDirectory() && notes.replaceWithText ("these are my notes, not a database"));
        IntakeRig rig (true, notes);
        EXPECT_TRUE (rig.session->getCollectionIntake().isCollectionOpen());
        rig.settle();
        ASSERT_EQ (rig.failures.problems.size(), 1u);
        EXPECT_EQ (rig.failures.problems[0].kind, CollectionProblem::Kind::notCollection);
        EXPECT_EQ (rig.failures.movedAside, juce::File());
        ASSERT_TRUE (rig.session->getModel().saveDocument (rig.folder.getChildFile ("Set1.vsk")).wasOk());
        rig.settle();
        EXPECT_EQ (notes.loadFileAsString(), "these are my notes, not a database");
        EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), 1);
        folder.deleteRecursively();
    }
}
