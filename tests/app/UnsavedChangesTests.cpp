#include "TestEnvironment.h"
#include "UnsavedChangesTest.h"

TEST_F (UnsavedChangesTest, AFreshStartAndAnOpenedLibraryAreUnchanged)
{
    // The pattern page telling the unit its loop control again is no edit.
    EXPECT_FALSE (model.hasChangedSinceSaved());

    const auto library = workingDirectory.file ("Set 1.vsk");
    ASSERT_TRUE (model.writeLibrary (library));
    content.loadLibrary (library);
    dispatchPendingMessages();

    EXPECT_EQ (model.getFile(), library);
    EXPECT_FALSE (model.hasChangedSinceSaved());
    EXPECT_EQ (openQuestion(), nullptr);
}

TEST_F (UnsavedChangesTest, QuitNewAndOpenAskAboutAChangedLibraryAndCancelKeepsIt)
{
    const auto library = workingDirectory.file ("Set 1.vsk");
    const auto other = workingDirectory.file ("Other.vsk");
    ASSERT_TRUE (model.writeLibrary (other));

    bool quit = false;
    const std::vector<std::pair<const char*, std::function<void()>>> actions = {
        { "quit or close", [&]
          { content.saveIfNeededThen ([&]
                                      { quit = true; }); } },
        { "New", [&]
          { perform (ContentComp::newLibrary); } },
        { "Open", [&]
          { perform (ContentComp::openLibrary); } },
        { "a file from outside", [&]
          { content.openFileFromOutside (other); } },
    };

    for (const auto& [name, action] : actions)
    {
        SCOPED_TRACE (name);
        openEditedLibrary (library);
        const auto before = image();

        action();

        auto* question = openQuestion();
        ASSERT_NE (question, nullptr);
        EXPECT_TRUE (question->getDescription().endsWith ("Do you want to save the changes to \"Set 1\"?")) << question->getDescription();

        answer ("Cancel");
        EXPECT_EQ (openQuestion(), nullptr);
        EXPECT_EQ (modalWindows().size(), 0u) << "nothing goes on after Cancel";
        EXPECT_FALSE (quit);
        EXPECT_EQ (image(), before);
        EXPECT_TRUE (model.hasChangedSinceSaved());
        EXPECT_EQ (model.getFile(), library);
    }
}

TEST_F (UnsavedChangesTest, AnUnchangedLibraryGoesOnWithoutAQuestion)
{
    bool quit = false;
    content.saveIfNeededThen ([&]
                              { quit = true; });
    EXPECT_TRUE (quit) << "at once, before any message is dispatched";

    model.currentPatternIndex = 3;
    model.selectUserPattern();
    model.bytesOf (*VeskBlock::user (4))[VeskImage::Pattern::tempoLow] = 99; // not an edit through the model: no change mark
    perform (ContentComp::newLibrary);
    EXPECT_EQ (openQuestion(), nullptr);
    EXPECT_EQ (model.bytesOf (*VeskBlock::user (4))[VeskImage::Pattern::tempoLow], VeskImage::Pattern::headerDefaults[VeskImage::Pattern::tempoLow]);

    perform (ContentComp::openLibrary);
    dispatchPendingMessages();
    EXPECT_EQ (openQuestion(), nullptr);
    EXPECT_EQ (modalWindows().size(), 1u) << "the file chooser opens at once";
}

TEST_F (UnsavedChangesTest, DiscardGoesOnWithoutSaving)
{
    const auto library = workingDirectory.file ("Set 1.vsk");
    openEditedLibrary (library);
    const auto onDisk = library.loadFileAsString();

    perform (ContentComp::newLibrary);
    answer ("Discard changes");

    EXPECT_EQ (model.systemBlock[VeskImage::System::masterTune], 63) << "the defaults are in";
    EXPECT_FALSE (model.hasChangedSinceSaved());
    EXPECT_EQ (library.loadFileAsString(), onDisk);
    EXPECT_EQ (content.getSettings().getRecentFiles().getNumFiles(), 0) << "nothing was saved";
}

TEST_F (UnsavedChangesTest, SaveWritesTheLibraryThenGoesOn)
{
    const auto library = workingDirectory.file ("Set 1.vsk");
    openEditedLibrary (library);
    const auto edited = image();

    bool quit = false;
    content.saveIfNeededThen ([&]
                              { quit = true; });
    answer ("Save");

    EXPECT_TRUE (quit);
    EXPECT_FALSE (model.hasChangedSinceSaved());

    juce::uint8 saved[VeskImage::imageSize];
    ASSERT_TRUE (VeskLibraryFile::read (library, saved).wasOk());
    EXPECT_EQ (Image (saved, saved + VeskImage::imageSize), edited);
    EXPECT_EQ (content.getSettings().getRecentFiles().getFile (0), library);
}

TEST_F (UnsavedChangesTest, AFailedSaveKeepsTheProgramAndTheChangedLibrary)
{
    // Root may write into a read-only folder; nobody can write below a plain file.
    const auto blocker = workingDirectory.file ("not a folder");
    ASSERT_TRUE (blocker.replaceWithText ("x"));
    openEditedLibrary (workingDirectory.file ("Set 1.vsk"));
    const auto target = blocker.getChildFile ("Set 1.vsk");
    model.setFile (target);
    const auto edited = image();

    bool quit = false;
    content.saveIfNeededThen ([&]
                              { quit = true; });
    answer ("Save");

    EXPECT_NE (openAlert ("Error writing to file..."), nullptr);
    EXPECT_FALSE (quit);
    EXPECT_TRUE (model.hasChangedSinceSaved());
    EXPECT_EQ (image(), edited);
    EXPECT_FALSE (target.exists());
}

TEST_F (UnsavedChangesTest, AFullDiskFailsSaveAndExportAndLosesNothing)
{
    const auto library = workingDirectory.file ("Set 1.vsk"), syx = workingDirectory.file ("Set 1.syx"), kept = workingDirectory.file ("kept/Set 1.vsk");
    openEditedLibrary (library);
    ASSERT_TRUE (syx.replaceWithText ("an older export"));
    ASSERT_TRUE (kept.getParentDirectory().createDirectory() && library.copyFileTo (kept));
    const auto edited = image();
    WholeFileWriter::setFaultsForTesting ({ 4072, false, false });

    // The question's Save, then File > Save: each says why, and nothing goes on.
    bool quit = false;
    content.saveIfNeededThen ([&]
                              { quit = true; });
    answer ("Save");

    for (int attempt = 0; attempt < 2; ++attempt)
    {
        SCOPED_TRACE (attempt);
        auto* failure = openAlert ("Error writing to file...");
        ASSERT_NE (failure, nullptr);
        const auto text = failure->getDescription();
        EXPECT_TRUE (text.contains ("\"Set 1.vsk\"") && text.contains ("4,072 of 7,473")) << text;
        failure->exitModalState (0);
        dispatchPendingMessages();

        EXPECT_FALSE (quit);
        EXPECT_TRUE (model.hasChangedSinceSaved());
        EXPECT_EQ (model.getFile(), library);
        EXPECT_EQ (image(), edited);
        EXPECT_TRUE (library.hasIdenticalContentTo (kept));

        perform (ContentComp::saveLibrary);
    }

    // Export .syx: said in a message, the old export kept.
    WholeFileWriter::setFaultsForTesting ({ 1000, false, false });
    content.exportSyxFile (syx);
    EXPECT_TRUE (content.lastMessage.contains ("\"Set 1.syx\"") && content.lastMessage.contains ("1,000 of 3,616")) << content.lastMessage;
    EXPECT_EQ (syx.loadFileAsString(), "an older export");
    EXPECT_NE (openAlert ("Export .syx"), nullptr);

    // The library's own file, reached by a .syx name, is never what an export replaces.
    WholeFileWriter::setFaultsForTesting ({});

    if (TestEnvironment::makesSymbolicLinks())
    {
        const auto alias = workingDirectory.file ("alias.syx");
        ASSERT_TRUE (library.createSymbolicLink (alias, true));
        content.exportSyxFile (alias);
        EXPECT_TRUE (content.lastMessage.contains ("\"alias.syx\"")) << content.lastMessage;
        EXPECT_TRUE (library.hasIdenticalContentTo (kept));
    }

    content.exportSyxFile (syx);
    EXPECT_EQ (syx.getSize(), 3616);
    EXPECT_TRUE (model.hasChangedSinceSaved()) << "an export is no save";
    EXPECT_EQ (workingDirectory.directory.getNumberOfChildFiles (juce::File::findFiles, ".*"), 0) << "no temporary file left";
}

TEST_F (UnsavedChangesTest, AFileThatWillNotLoadIsRefusedWithoutAQuestion)
{
    const auto library = workingDirectory.file ("Set 1.vsk");
    openEditedLibrary (library);
    const auto notALibrary = workingDirectory.file ("notes.vsk");
    ASSERT_TRUE (notALibrary.replaceWithText ("not a library"));
    const auto before = image();

    for (const auto& file : { notALibrary, workingDirectory.file ("missing.vsk") })
    {
        SCOPED_TRACE (file.getFileName());
        content.openFileFromOutside (file);

        EXPECT_EQ (openQuestion(), nullptr);
        auto* failure = openAlert ("Failed to open file...");
        ASSERT_NE (failure, nullptr);
        EXPECT_TRUE (failure->getDescription().contains (file.getFullPathName()));
        failure->exitModalState (0);
        dispatchPendingMessages();

        EXPECT_EQ (image(), before);
        EXPECT_EQ (model.getFile(), library);
        EXPECT_TRUE (model.hasChangedSinceSaved());
    }
}

TEST_F (UnsavedChangesTest, DroppedAndHandedFilesOpenALibraryOrImportASyxFile)
{
    const auto library = workingDirectory.file ("Dropped.vsk");
    model.setMasterTune (450.0);
    ASSERT_TRUE (model.writeLibrary (library));
    perform (ContentComp::newLibrary);
    answer ("Discard changes");

    const juce::StringArray dropped { workingDirectory.file ("readme.txt").getFullPathName(), library.getFullPathName() };
    EXPECT_FALSE (content.isInterestedInFileDrag ({ workingDirectory.file ("readme.txt").getFullPathName() }));
    ASSERT_TRUE (content.isInterestedInFileDrag (dropped));

    content.getEditor().setCurrentTabIndex (1);
    content.filesDropped (dropped, 10, 10);
    dispatchPendingMessages();
    EXPECT_EQ (model.getFile(), library);
    EXPECT_EQ (content.getEditor().getSystemPage()->masterTuneSlider->getValue(), 450.0);

    // A .syx file is imported into the library, which keeps its file and asks nothing.
    std::vector<juce::uint8> dumped (model.image, model.image + VeskImage::imageSize);
    dumped[VeskImage::temporaryPatternOffset + VeskImage::Pattern::level] = 11;
    const auto syx = workingDirectory.file ("dump.syx");
    ASSERT_TRUE (VeskSyxFile::writeImage (syx, dumped.data()).wasOk());

    content.openFileFromOutside (syx);
    dispatchPendingMessages();
    EXPECT_EQ (openQuestion(), nullptr);
    EXPECT_NE (openAlert ("Import .syx"), nullptr);
    EXPECT_EQ (model.temporaryPattern[VeskImage::Pattern::level], 11);
    EXPECT_EQ (model.getFile(), library);
    EXPECT_TRUE (model.hasChangedSinceSaved());
    openAlert ("Import .syx")->exitModalState (0);

    // A MIDI file dropped goes into the shown pattern, which comes to the front.
    const auto midi = workingDirectory.file ("tune.mid");
    ASSERT_TRUE (content.getSession().exportMidi (midi).wasOk());
    content.getSession().edit (VeskField::step (VeskImage::Pattern::stepNote, 0), 30);
    content.getEditor().setCurrentTabIndex (1);

    ASSERT_TRUE (content.isInterestedInFileDrag ({ midi.getFullPathName() }));
    content.filesDropped ({ midi.getFullPathName() }, 10, 10);
    dispatchPendingMessages();
    EXPECT_NE (openAlert ("Import MIDI File"), nullptr);
    EXPECT_EQ (model.temporaryPattern[VeskImage::Pattern::stepNote], 64);
    EXPECT_EQ (content.getEditor().getCurrentTabIndex(), 0);
    EXPECT_EQ (content.getSession().getUndoName(), "Import MIDI File");
    EXPECT_EQ (model.getFile(), library);
}

TEST_F (UnsavedChangesTest, ALibraryHandedOverUnderVariationsOpensOnlyOnceItIsClosedAndGetsNothingOfIt)
{
    auto libraryWith = [this] (const char* name, int level)
    {
        auto bytes = image();
        bytes[VeskImage::temporaryPatternOffset + VeskImage::Pattern::level] = (juce::uint8) level;
        bytes[VeskImage::temporaryPatternOffset + VeskImage::Pattern::patternLength] = 1;
        const auto file = workingDirectory.file (name);
        EXPECT_TRUE (VeskLibraryFile::write (file, bytes.data()).wasOk());
        return std::make_pair (file, bytes);
    };
    const auto [first, firstImage] = libraryWith ("a.vsk", 11);
    const auto [other, otherImage] = libraryWith ("other.vsk", 22);

    content.loadLibrary (first);
    dispatchPendingMessages();
    ASSERT_EQ (model.getFile(), first);

    auto variations = []() -> VariationsComponent*
    {
        for (auto* window : modalWindows())
            if (auto* dialog = dynamic_cast<juce::DialogWindow*> (window))
                if (auto* found = dynamic_cast<VariationsComponent*> (dialog->getContentComponent()))
                    return found;

        return nullptr;
    };

    for (const bool keep : { false, true })
    {
        SCOPED_TRACE (keep ? "kept" : "cancelled");
        content.getStepsCommands().showVariations (4);
        dispatchPendingMessages();
        auto* window = variations();
        ASSERT_NE (window, nullptr);
        ASSERT_TRUE (window->choose (3).wasOk());
        const auto heard = image();
        ASSERT_NE (heard, firstImage);

        // A second start hands other.vsk over: it waits, and the user is told why.
        content.openFilesFromOutside ({ other.getFullPathName() });
        dispatchPendingMessages();
        EXPECT_EQ (model.getFile(), first);
        EXPECT_EQ (image(), heard);
        EXPECT_EQ (content.getWaitingFiles().size(), 1);
        auto* told = openAlert ("Open");
        ASSERT_NE (told, nullptr);
        EXPECT_TRUE (told->getDescription().contains ("\"other.vsk\"")) << told->getDescription();
        EXPECT_TRUE (told->getDescription().contains ("Variations")) << told->getDescription();

        if (keep)
        {
            ASSERT_TRUE (window->keep().wasOk());
            dispatchPendingMessages();
            answer ("Discard changes"); // the kept variation is a change of a.vsk
        }
        else
        {
            window->cancel();
            dispatchPendingMessages();
        }

        EXPECT_EQ (variations(), nullptr);
        EXPECT_EQ (openAlert ("Open"), nullptr) << "the waiting is over, and so is what said so";
        EXPECT_EQ (model.getFile(), other);
        EXPECT_EQ (image(), otherImage) << "nothing of a.vsk's pattern in other.vsk";
        EXPECT_FALSE (model.hasChangedSinceSaved());
        EXPECT_FALSE (content.getSession().canUndo());
        EXPECT_TRUE (content.getWaitingFiles().isEmpty());
        VeskLibraryFile::write (first, firstImage.data());
        content.loadLibrary (first);
        dispatchPendingMessages();
    }
}
