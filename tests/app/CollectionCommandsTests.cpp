// The window's side of the collection: the Setup switch kept between runs,
// Add Folder to Collection's summary, and a failing collection said once.

#include "DispatchMessages.h"
#include "EditorTestSupport.h"
#include "ScopedWorkingDirectory.h"
#include "app/ContentComp.h"
#include "collection/CollectionFingerprint.h"
#include "model/VeskLibraryFile.h"

#include <gtest/gtest.h>

namespace
{
    struct CollectionCommandsTest : ::testing::Test
    {
        std::unique_ptr<ContentComp> makeContent (const juce::File& collectionFile)
        {
            VeskSession::Options options;
            options.openDevices = false;
            options.collectionFile = collectionFile;
            auto content = std::make_unique<ContentComp> (commandManager, options);
            content->showDialogs = false;
            commandManager.registerAllCommandsForTarget (content.get());
            return content;
        }

        bool perform (ContentComp& content, juce::CommandID id)
        {
            return content.perform (juce::ApplicationCommandTarget::InvocationInfo (id));
        }

        int patternsHeld (ContentComp& content, const juce::File& collectionFile)
        {
            EXPECT_TRUE (content.getSession().getCollection().waitUntilIdle (20000));
            auto opened = CollectionStore::open (collectionFile);
            return opened.store != nullptr ? opened.store->size() : -1;
        }

        juce::File writeLibrary (const juce::File& file, int seed)
        {
            juce::HeapBlock<juce::uint8> image (VeskImage::imageSize);
            VeskModel::writeDefaults (image.get());

            for (int n = 1; n <= 20; ++n)
                image[VeskBlock::user (n)->imageOffset() + VeskImage::Pattern::stepNote] = (juce::uint8) (seed + n);

            EXPECT_TRUE (file.getParentDirectory().createDirectory());
            EXPECT_TRUE (VeskLibraryFile::write (file, image.get()).wasOk());
            return file;
        }

        ScopedWorkingDirectory workingDirectory;
        juce::File database = workingDirectory.file ("data/collection.db");
        juce::ApplicationCommandManager commandManager;
    };
}

TEST_F (CollectionCommandsTest, TheSetupSwitchIsKeptAndDecidesWhatGoesInByItself)
{
    const auto library = workingDirectory.file ("Set1.vsk");

    {
        auto content = makeContent (database);
        EXPECT_TRUE (content->getSession().isAddingToCollection()) << "on by default";
        ASSERT_TRUE (perform (*content, CollectionCommands::addToCollectionByItself));
        EXPECT_FALSE (content->getSession().isAddingToCollection());
    }

    auto content = makeContent (database);
    juce::ApplicationCommandInfo info (CollectionCommands::addToCollectionByItself);
    content->getCommandInfo (CollectionCommands::addToCollectionByItself, info);
    EXPECT_FALSE ((info.flags & juce::ApplicationCommandInfo::isTicked) != 0) << "read back at the next start";
    ASSERT_TRUE (content->getModel().saveDocument (library).wasOk());
    EXPECT_EQ (patternsHeld (*content, database), 0);

    ASSERT_TRUE (perform (*content, CollectionCommands::addToCollectionByItself));
    ASSERT_TRUE (content->getModel().saveDocument (library).wasOk());
    EXPECT_GT (patternsHeld (*content, database), 0);
}

TEST_F (CollectionCommandsTest, AddFolderSaysWhatWasAddedWhatWasThereEachOnceAndNamesTheDamaged)
{
    // Copies of one library, more than one batch of them: each pattern is counted once.
    const auto folder = workingDirectory.file ("Libraries");
    constexpr int copies = CollectionFolderImport::filesPerBatch + 10;

    for (int i = 0; i < copies; ++i)
        writeLibrary (folder.getChildFile ("Copy " + juce::String (i) + ".vsk"), 0);

    const auto damaged = folder.getChildFile ("old/Broken.vsk");
    ASSERT_TRUE (damaged.getParentDirectory().createDirectory());
    ASSERT_TRUE (damaged.replaceWithText ("VSK and then nothing a library holds"));

    auto content = makeContent (database);
    auto& commands = content->getCollectionCommands();

    const struct
    {
        const char* what;
        int added, alreadyThere;
        const char* says;
    } runs[] = {
        { "first", 21, 0, "60 files read: 21 patterns added, 0 already in the collection" },
        { "again", 0, 21, "60 files read: 0 patterns added, 21 already in the collection" },
    };

    for (const auto& run : runs)
    {
        SCOPED_TRACE (run.what);
        commands.addFolder (folder);
        auto* job = content->getSession().getCollectionIntake().getFolderJob();
        ASSERT_NE (job, nullptr);
        ASSERT_TRUE (job->waitForEnd (20000));
        commands.showFolderProgress();

        const auto report = job->getReport();
        EXPECT_EQ (report.filesRead, copies);
        EXPECT_EQ (report.added, run.added);
        EXPECT_EQ (report.alreadyThere, run.alreadyThere);
        ASSERT_EQ (report.damaged.size(), 1u);

        const auto& said = content->lastMessage;
        EXPECT_TRUE (said.contains (run.says)) << said;
        EXPECT_TRUE (said.contains (damaged.getFullPathName())) << said;
    }

    EXPECT_FALSE (content->getModel().hasChangedSinceSaved()) << "the library is not touched";
}

TEST_F (CollectionCommandsTest, ACollectionThatCannotBeWrittenIsSaidOnceAndSavesGoOn)
{
    // Its folder is a file: nothing can be made there.
    ASSERT_TRUE (workingDirectory.file ("data").replaceWithText ("in the way"));
    auto content = makeContent (database);
    auto& model = content->getModel();

    for (int save = 0; save < 3; ++save)
    {
        SCOPED_TRACE (save);
        content->lastMessage.clear();
        const auto library = workingDirectory.file ("Set" + juce::String (save) + ".vsk");
        ASSERT_TRUE (model.saveDocument (library).wasOk());
        EXPECT_TRUE (library.existsAsFile());
        content->getSession().getCollection().waitUntilIdle (20000);
        dispatchPendingMessages();

        if (save == 0)
        {
            EXPECT_TRUE (content->lastMessage.contains (workingDirectory.file ("data").getFullPathName())) << content->lastMessage;
            EXPECT_TRUE (content->lastMessage.contains ("library and its file are not affected")) << content->lastMessage;
        }
        else
        {
            EXPECT_EQ (content->lastMessage, "") << "said once";
        }
    }
}

TEST_F (CollectionCommandsTest, TheEditMenuActsOnThePatternThePageShowsAndAlwaysGoesBackToSearch)
{
    const auto folder = workingDirectory.file ("Libraries");
    writeLibrary (folder.getChildFile ("A.vsk"), 0);
    writeLibrary (folder.getChildFile ("B.vsk"), 30);
    auto content = makeContent (database);
    content->getCollectionCommands().addFolder (folder);
    ASSERT_TRUE (content->getSession().getCollectionIntake().getFolderJob()->waitForEnd (20000));

    auto settle = [&]
    {
        for (int round = 0; round < 8; ++round)
        {
            content->getSession().getCollection().waitUntilIdle (5000);
            dispatchPendingMessages();
        }
    };

    // The add's summary comes with the window's next look at the job (a timer):
    // waited for here, so that what is said after it can only be a refusal.
    for (const auto until = juce::Time::getMillisecondCounter() + 10000; content->lastMessage.isEmpty() && juce::Time::getMillisecondCounter() < until;)
    {
        settle();
        juce::Thread::sleep (5);
    }

    EXPECT_TRUE (content->lastMessage.startsWith ("2 files read")) << content->lastMessage;
    content->lastMessage.clear();

    auto& editor = content->getEditor();
    editor.setSize (446, 470);
    ASSERT_TRUE (perform (*content, CollectionPageCommands::findInCollection));
    auto* page = editor.getCollectionPage();
    ASSERT_NE (page, nullptr);
    settle();
    ASSERT_GT (page->results.getTotal(), 21);

    auto info = [&] (juce::CommandID id)
    {
        juce::ApplicationCommandInfo result (id);
        content->getCommandInfo (id, result);
        return result;
    };

    // The first row chosen, then renamed to sort last: the menu's Audition plays it.
    page->list.getListBox().selectRowsBasedOnModifierKeys (0, {}, false);
    const auto chosen = page->details.getShownId();
    ASSERT_TRUE (chosen.isNotEmpty());
    page->details.nameEditor.setText ("Zz last of all", true);
    page->details.nameEditor.onReturnKey();
    settle();

    ASSERT_TRUE (perform (*content, CollectionPageCommands::auditionPattern));
    auto& image = content->getModel().image;
    CollectionBytes played;
    std::copy (image + VeskImage::patternRecordOffset (0), image + VeskImage::patternRecordOffset (0) + VeskImage::patternSize, played.begin());
    EXPECT_EQ (CollectionFingerprint::id (played), chosen);

    // Find Similar, and back from the menu with nothing chosen among the similar ones.
    ASSERT_TRUE (perform (*content, CollectionPageCommands::findSimilar));
    settle();
    ASSERT_TRUE (page->results.isShowingSimilar());
    EXPECT_EQ (info (CollectionPageCommands::findSimilar).shortName, "Back to Search");
    EXPECT_TRUE ((info (CollectionPageCommands::findSimilar).flags & juce::ApplicationCommandInfo::isDisabled) == 0);
    ASSERT_TRUE (perform (*content, CollectionPageCommands::findSimilar));
    settle();
    EXPECT_FALSE (page->results.isShowingSimilar());
    EXPECT_EQ (info (CollectionPageCommands::findSimilar).shortName, "Find Similar");
    EXPECT_EQ (content->lastMessage, "") << "nothing refused";

    // Copy takes the rows chosen here, as text; Paste has nothing to paste onto.
    auto enabled = [&] (juce::CommandID id)
    { return (info (id).flags & juce::ApplicationCommandInfo::isDisabled) == 0; };
    page->list.getListBox().selectRowsBasedOnModifierKeys (1, {}, false);
    EXPECT_TRUE (enabled (LibraryCommands::copyPatterns));
    EXPECT_FALSE (enabled (LibraryCommands::pastePatterns));
    EXPECT_TRUE (page->copyText().isNotEmpty());
    page->list.getListBox().deselectAllRows();
    EXPECT_FALSE (enabled (LibraryCommands::copyPatterns)) << "Ctrl+C is Close's again";
}
