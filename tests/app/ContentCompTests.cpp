#include "EditorTestSupport.h"
#include "ScopedWorkingDirectory.h"
#include "app/ContentComp.h"
#include "app/LayoutReport.h"
#include "app/SessionTexts.h"
#include "editors/VeskComponent.h"
#include "model/VeskImage.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"

#include <gtest/gtest.h>

namespace
{
    struct ContentCompTest : ::testing::Test
    {
        ContentCompTest()
        {
            // What the application object contributes in the running program.
            juce::ApplicationCommandInfo quit (juce::StandardApplicationCommandIDs::quit);
            quit.setInfo ("Quit", "Quits the application", "Application", 0);
            quit.addDefaultKeypress ('q', ctrl);
            commandManager.registerCommand (quit);

            commandManager.registerAllCommandsForTarget (&content);
            commandManager.setFirstCommandTarget (&content);
            content.setSize (446, 470);
            content.showDialogs = false;
        }

        juce::ApplicationCommandInfo info (juce::CommandID id)
        {
            juce::ApplicationCommandInfo result (id);
            content.getCommandInfo (id, result);
            return result;
        }

        bool perform (juce::CommandID id)
        {
            return content.perform (juce::ApplicationCommandTarget::InvocationInfo (id));
        }

        struct MenuEntry
        {
            int id; // 0 for a separator
            juce::String text;
            bool enabled;
        };

        std::vector<MenuEntry> menu (int index)
        {
            std::vector<MenuEntry> entries;
            auto popup = content.getMenuForIndex (index, content.getMenuBarNames()[index]);

            for (juce::PopupMenu::MenuItemIterator it (popup); it.next();)
            {
                const auto& item = it.getItem();
                entries.push_back ({ item.isSeparator ? 0 : item.itemID, item.text, item.isEnabled });
            }

            return entries;
        }

        ScopedWorkingDirectory workingDirectory;
        juce::ApplicationCommandManager commandManager;
        ContentComp content { commandManager };
    };
}

TEST_F (ContentCompTest, OffersItsCommandsWithTheirTextsKeysAndCategories)
{
    juce::Array<juce::CommandID> ids;
    content.getAllCommands (ids);
    const juce::Array<juce::CommandID> ownCommands ({ 0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008,
                                                      0x2100, 0x2101, 0x2102, 0x2103, 0x2104, 0x2105, 0x2106, 0x2200, 0x2201 });

    for (auto id : ownCommands)
        EXPECT_TRUE (ids.contains (id)) << id;

    auto sorted = ids;
    sorted.sort();

    for (int i = 1; i < sorted.size(); ++i)
        EXPECT_NE (sorted[i - 1], sorted[i]) << "listed once";

    struct Expected
    {
        juce::CommandID id;
        const char* name;
        const char* description;
        const char* category;
        juce::juce_wchar key;
    };

    const Expected table[] = {
        { 0x2000, "New", "Create a new library", "File", 'n' },
        { 0x2001, "Open", "Open an existing library", "File", 'o' },
        { 0x2002, "Close", "Close the active library", "File", 'c' },
        { 0x2003, "Save", "Save the active library", "File", 's' },
        { 0x2004, "Save As", "Save the active library with a new name", "File", 'a' },
        { 0x2005, "Midi Settings", "Open midi settings dialog", "File", 'm' },
        { 0x2006, "Auto Update", "Automatically re-send edit buffers on library change", "Setup", 'u' },
        { 0x2007, "Help", "Display the VeskEdit help", "File", 'h' },
        { 0x2008, "About", "Display program information, version and copyright", "File", 0 },
        { 0x2100, "Get All From Unit...", "Get the system block and every pattern from the unit into the library", "Unit", 0 },
        { 0x2101, "Send All To Unit...", "Send the system block and every pattern of the library to the unit", "Unit", 0 },
        { 0x2102, "Verify Unit Against Library...", "Compare the unit's memory with the library, field by field", "Unit", 0 },
        { 0x2103, "Find Unit...", "Look for the unit on every MIDI port and choose the ports it answers on", "Unit", 0 },
        { 0x2104, "Virtual Unit", "Talk to a unit inside the program instead of the MIDI ports", "Unit", 0 },
        { 0x2105, "Import .syx...", "Apply the dumps of a .syx file to the library", "File", 0 },
        { 0x2106, "Export .syx...", "Write the library as a .syx file that restores it into a unit", "File", 0 },
        { 0x2200, "Reset Unit At Start", "Send the defaults to the unit when VeskEdit starts", "Setup", 0 },
        { 0x2201, "Clear Recent Files", "Empty the list of recently used libraries", "File", 0 },
    };

    for (const auto& e : table)
    {
        SCOPED_TRACE (e.name);
        const auto i = info (e.id);
        EXPECT_EQ (i.shortName, e.name);
        EXPECT_EQ (i.description, e.description);
        EXPECT_EQ (i.categoryName, e.category);

        if (e.key == 0)
        {
            EXPECT_TRUE (i.defaultKeypresses.isEmpty());
        }
        else
        {
            ASSERT_EQ (i.defaultKeypresses.size(), 1);
            EXPECT_EQ (i.defaultKeypresses[0], juce::KeyPress (e.key, ctrl, 0));

            // The window's key mappings reach the command with that key; Ctrl+C
            // is the Library page's Copy first (see CtrlCIsCopyOnTheLibraryPageAndCloseElsewhere).
            EXPECT_EQ (commandManager.getKeyMappings()->findCommandForKeyPress (juce::KeyPress (e.key, ctrl, 0)),
                       e.key == 'c' ? (juce::CommandID) LibraryCommands::copyPatterns : e.id);
        }

        EXPECT_EQ ((i.flags & juce::ApplicationCommandInfo::isTicked) != 0, e.id == 0x2006 || e.id == 0x2200);
        EXPECT_EQ ((i.flags & juce::ApplicationCommandInfo::isDisabled) != 0, e.id == 0x2201) << "no recent file yet";
    }
}

TEST_F (ContentCompTest, CloseAndAutoUpdateAreNotHandledAndChangeNothing)
{
    content.getModel().setControl74 (99);
    const auto before = std::vector<juce::uint8> (content.getModel().image, content.getModel().image + VeskImage::imageSize);

    EXPECT_FALSE (perform (ContentComp::closeLibrary));
    EXPECT_FALSE (perform (ContentComp::autoUpdate));
    EXPECT_FALSE (perform (0x2009));

    EXPECT_EQ (std::vector<juce::uint8> (content.getModel().image, content.getModel().image + VeskImage::imageSize), before);
    EXPECT_TRUE (content.getModel().hasChangedSinceSaved());
}

TEST_F (ContentCompTest, NewResetsTheLibraryToAFreshUnchangedOne)
{
    auto& model = content.getModel();
    const auto library = workingDirectory.file ("Set 1.vsk");
    ASSERT_TRUE (model.writeLibrary (library));
    ASSERT_TRUE (model.loadFrom (library, false).wasOk());

    model.currentPatternIndex = 4;
    model.selectUserPattern();
    model.setControl74 (3);
    model.setChangedFlag (false); // the question a changed library gets first: UnsavedChangesTests

    EXPECT_TRUE (perform (ContentComp::newLibrary));

    EXPECT_EQ (model.bytesOf (*VeskBlock::user (5))[VeskImage::Pattern::filterCutoffOrBdLevel],
               VeskImage::Pattern::headerDefaults[VeskImage::Pattern::filterCutoffOrBdLevel]);
    EXPECT_EQ (model.currentPatternIndex, 4) << "the pattern in edit stays the same slot";
    EXPECT_EQ (model.currentPattern, model.bytesOf (*VeskBlock::user (5)));
    EXPECT_FALSE (model.hasChangedSinceSaved());
    EXPECT_EQ (model.getFile(), juce::File()) << "a later Save must not overwrite Set 1.vsk with defaults";
    EXPECT_EQ (model.getDocumentTitle(), "New");
}

TEST_F (ContentCompTest, NewShowsTheDefaultsOnTheShownPageAndTheHiddenOneOnItsTab)
{
    auto& model = content.getModel();
    auto& editor = content.getEditor();

    // The system page last showed 430 Hz; the pattern page shows 141 BPM.
    model.setMasterTune (430.0);
    editor.setCurrentTabIndex (1);
    editor.setCurrentTabIndex (0);
    model.setTempo (141.0);
    editor.refreshPatternsPage (0);
    ASSERT_EQ (editor.getSystemPage()->masterTuneSlider->getValue(), 430.0);
    ASSERT_EQ (editor.patternsPage->tempoSlider->getValue(), 141.0);
    model.setChangedFlag (false);

    EXPECT_TRUE (perform (ContentComp::newLibrary));

    EXPECT_EQ (editor.patternsPage->tempoSlider->getValue(), 130.0);
    EXPECT_EQ (editor.getSystemPage()->masterTuneSlider->getValue(), 430.0) << "a hidden page is not refreshed";

    editor.setCurrentTabIndex (1);
    EXPECT_EQ (editor.getSystemPage()->masterTuneSlider->getValue(), 440.0) << "but read again when its tab is chosen";
}

TEST_F (ContentCompTest, MenusListTheirCommandsInOrder)
{
    EXPECT_EQ (content.getMenuBarNames(), juce::StringArray ({ "File", "Edit", "Steps", "Setup", "Unit", "Help" }));

    const auto file = menu (0);
    ASSERT_EQ (file.size(), 15u);
    const int fileIds[] = { 0x2000, 0x2001, 0, 0x2003, 0x2004, 0, 0x2105, 0x2106, 0, 0x2107, 0x2108, 0, 0x2a00, 0, 0x1001 };
    const char* fileTexts[] = { "New", "Open", "Open Recent", "Save", "Save As", "", "Import .syx...", "Export .syx...", "",
                                "Export Pattern as MIDI File...", "Import MIDI File into Pattern...", "",
                                "Add Folder to Collection...", "", "Quit" };

    for (size_t i = 0; i < file.size(); ++i)
    {
        EXPECT_EQ (file[i].id, fileIds[i]);
        EXPECT_EQ (file[i].text, fileTexts[i]);
    }

    for (size_t i : { 0u, 1u, 3u, 4u })
        EXPECT_TRUE (file[i].enabled) << file[i].text;

    EXPECT_FALSE (file[2].enabled) << "no recent file yet";

    const auto edit = menu (1);
    ASSERT_EQ (edit.size(), 16u);
    const int editIds[] = { 0x2400, 0x2401, 0, 0x2500, 0x2501, 0x2502, 0x2503, 0, 0x2504, 0x2505, 0, 0x2700, 0x2701, 0x2702, 0x2703, 0x2704 };
    const char* editTexts[] = { "Undo", "Redo", "", "Copy", "Paste", "Swap With...", "Initialise", "", "Open Other Library...", "Close Other Library",
                                "", "Find in Collection", "Audition", "Copy to Slot...", "Find Similar", "New Library from Selection" };

    for (size_t i = 0; i < edit.size(); ++i)
    {
        EXPECT_EQ (edit[i].id, editIds[i]);
        EXPECT_EQ (edit[i].text, editTexts[i]);

        // Nothing to undo yet, and neither the Library nor the Collection page is in front.
        if (editIds[i] != 0)
        {
            EXPECT_EQ (edit[i].enabled, editIds[i] == 0x2504 || editIds[i] == 0x2700) << edit[i].text;
        }
    }

    // The Patterns page is in front: its tools can run, Blend (of two Library rows) not.
    for (const auto& item : menu (2))
    {
        if (item.id != 0)
        {
            EXPECT_EQ (item.enabled, item.id != StepsCommands::blend) << item.text;
        }
    }

    const auto setup = menu (3);
    ASSERT_EQ (setup.size(), 6u) << "and after a separator, the view options' two submenus";
    EXPECT_EQ (setup[0].id, 0x2005);
    EXPECT_EQ (setup[0].text, "Midi Settings");
    EXPECT_EQ (setup[1].id, 0x2200);
    EXPECT_EQ (setup[1].text, "Reset Unit At Start");
    EXPECT_EQ (setup[2].id, 0x2a01);
    EXPECT_EQ (setup[2].text, "Add Patterns to Collection");

    const auto unit = menu (4);
    ASSERT_EQ (unit.size(), 6u);
    const int unitIds[] = { 0x2100, 0x2101, 0x2102, 0, 0x2103, 0x2104 };

    for (size_t i = 0; i < unit.size(); ++i)
        EXPECT_EQ (unit[i].id, unitIds[i]);

    const auto help = menu (5);
    ASSERT_EQ (help.size(), 1u);
    EXPECT_EQ (help[0].id, 0x2008);
    EXPECT_EQ (help[0].text, "About");
    EXPECT_TRUE (help[0].enabled);
}

TEST_F (ContentCompTest, EditorFillsTheContentAndNoInputMeansNoReceiver)
{
    content.setSize (300, 200);
    EXPECT_EQ (content.getEditor().getBounds(), juce::Rectangle<int> (0, 0, 300, 200));
    EXPECT_EQ (content.getEditor().getParentComponent(), &content);

    // No MIDI port exists here: nothing is enabled, so nothing is attached.
    content.getSession().attachReceivers();
    EXPECT_EQ (content.getSession().getNumReceivers(), 0);
}

TEST (ContentCompSettings, StartingWithoutASettingsFileWritesNone)
{
    ScopedWorkingDirectory workingDirectory;

    {
        juce::ApplicationCommandManager commandManager;
        ContentComp content (commandManager);
        commandManager.registerAllCommandsForTarget (&content);
    }

    EXPECT_FALSE (workingDirectory.file ("MidiSettings.xml").exists()) << "only the settings dialog writes it";
}

TEST_F (ContentCompTest, ImportSyxAppliesEveryValidDumpAndReportsWhatItIgnored)
{
    auto& model = content.getModel();
    model.setChangedFlag (false);
    EXPECT_EQ (content.getSession().getNumReceivers(), 0);

    auto dump = [] (const juce::MidiMessage& m)
    { return juce::MemoryBlock (m.getRawData(), (size_t) m.getRawDataSize()); };
    std::vector<juce::uint8> record (VeskImage::patternSize, 9);
    auto damaged = dump (VeskProtocol::patternBulk (2, 1, record.data()));
    static_cast<juce::uint8*> (damaged.getData())[damaged.getSize() - 2] ^= 1;

    juce::MemoryBlock file;
    file.append ("\x01\x02", 2);
    file.append (dump (VeskProtocol::patternBulk (2, 4, record.data())).getData(), 171);
    file.append (damaged.getData(), damaged.getSize());
    const auto syx = workingDirectory.file ("dump.syx");
    ASSERT_TRUE (syx.replaceWithData (file.getData(), file.getSize()));

    content.importSyxFile (syx);

    EXPECT_TRUE (std::equal (record.begin(), record.end(), model.bytesOf (*VeskBlock::user (5))));
    EXPECT_NE (model.bytesOf (*VeskBlock::user (2))[0], 9);
    EXPECT_TRUE (model.hasChangedSinceSaved());
    EXPECT_TRUE (content.lastMessage.startsWith ("dump.syx: applied 1 dump, ignored 1 message (1 bad checksum), skipped 2 bytes outside messages.\n"))
        << content.lastMessage;
    EXPECT_TRUE (content.lastMessage.contains ("message at byte 173 ignored: bad checksum"));
}

TEST_F (ContentCompTest, ImportOfAFileWithoutDumpsOrThatCannotBeReadChangesNothing)
{
    auto& model = content.getModel();
    model.setChangedFlag (false);
    const std::vector<juce::uint8> before (model.image, model.image + VeskImage::imageSize);

    const auto notes = workingDirectory.file ("notes.syx");
    ASSERT_TRUE (notes.replaceWithText ("not sysex at all"));
    content.importSyxFile (notes);
    EXPECT_TRUE (content.lastMessage.contains ("It holds no dump of this unit: the library was left as it was.")) << content.lastMessage;

    content.importSyxFile (workingDirectory.directory);
    EXPECT_EQ (content.lastMessage, workingDirectory.directory.getFileName() + " is a folder, not a .syx file.\n\nThe library was left as it was.");

    EXPECT_EQ (std::vector<juce::uint8> (model.image, model.image + VeskImage::imageSize), before);
    EXPECT_FALSE (model.hasChangedSinceSaved());
}

TEST_F (ContentCompTest, ImportRefusesAFileOverTheBoundAndSurvivesAMegabyteOfJunk)
{
    auto& model = content.getModel();
    model.setChangedFlag (false);
    const std::vector<juce::uint8> before (model.image, model.image + VeskImage::imageSize);

    // Ten megabytes of status bytes: refused by its size, the library untouched.
    juce::MemoryBlock junk (10'000'000);
    junk.fillWith (0xF0);
    const auto syx = workingDirectory.file ("junk.syx");
    ASSERT_TRUE (syx.replaceWithData (junk.getData(), junk.getSize()));
    content.importSyxFile (syx);
    EXPECT_TRUE (content.lastMessage.contains ("junk.syx") && content.lastMessage.contains ("10,000,000")) << content.lastMessage;
    EXPECT_EQ (std::vector<juce::uint8> (model.image, model.image + VeskImage::imageSize), before);
    EXPECT_FALSE (model.hasChangedSinceSaved());

    // Just inside the bound: a whole MiB of junk before one dump. The dump is
    // applied and the report stays short, however many runs were skipped.
    std::vector<juce::uint8> record (VeskImage::patternSize, 9);
    const auto dump = VeskProtocol::patternBulk (2, 6, record.data());
    junk.setSize ((size_t) (VeskSyxFile::maxFileSize - dump.getRawDataSize()));
    junk.append (dump.getRawData(), (size_t) dump.getRawDataSize());
    ASSERT_TRUE (syx.replaceWithData (junk.getData(), junk.getSize()));
    content.importSyxFile (syx);
    EXPECT_TRUE (std::equal (record.begin(), record.end(), model.bytesOf (*VeskBlock::user (7))));
    EXPECT_LT (juce::StringArray::fromLines (content.lastMessage).size(), 20) << content.lastMessage;
}

TEST_F (ContentCompTest, ExportSyxWritesWhatImportReadsBack)
{
    auto& model = content.getModel();
    model.setControl74 (5);
    model.bytesOf (*VeskBlock::user (20))[VeskImage::Pattern::level] = 3;
    const std::vector<juce::uint8> library (model.image, model.image + VeskImage::reservedAreaOffset);

    const auto syx = workingDirectory.file ("lib.syx");
    content.exportSyxFile (syx);
    EXPECT_EQ (syx.getSize(), 25 + 21 * 171);

    // Saved or not does not matter here; unchanged, New asks nothing.
    model.setChangedFlag (false);
    content.perform (juce::ApplicationCommandTarget::InvocationInfo (ContentComp::newLibrary));
    ASSERT_NE (model.temporaryPattern[VeskImage::Pattern::filterCutoffOrBdLevel], 5);
    content.importSyxFile (syx);
    EXPECT_EQ (std::vector<juce::uint8> (model.image, model.image + VeskImage::reservedAreaOffset), library);
    EXPECT_TRUE (content.lastMessage.startsWith ("lib.syx: applied 22 dumps, ignored 0 messages.")) << content.lastMessage;

    // A file that cannot be written is reported, and nothing is left behind.
    content.exportSyxFile (workingDirectory.file ("no such folder").getChildFile ("lib.syx"));
    EXPECT_TRUE (content.lastMessage.contains ("\"lib.syx\"")) << content.lastMessage;
    EXPECT_FALSE (workingDirectory.file ("no such folder").exists());
}

TEST_F (ContentCompTest, TransfersNeedAWayToTheUnit)
{
    // No port exists here and the virtual unit is off.
    EXPECT_TRUE (perform (ContentComp::getAllFromUnit));
    EXPECT_FALSE (content.getSession().getTransfer().isRunning());
    EXPECT_TRUE (content.lastMessage.startsWith ("No MIDI output is chosen, so nothing can reach the unit.")) << content.lastMessage;
}

TEST_F (ContentCompTest, TheVirtualUnitStandsInForThePortsWhileTicked)
{
    auto& model = content.getModel();
    auto& unit = content.getSession().getVirtualUnit();
    using namespace VeskImage;

    EXPECT_TRUE (perform (ContentComp::useVirtualUnit));
    EXPECT_TRUE (content.getSession().isVirtualUnitInUse());
    EXPECT_NE (info (ContentComp::useVirtualUnit).flags & juce::ApplicationCommandInfo::isTicked, 0);
    EXPECT_EQ (content.getSession().getNumReceivers(), 1);

    // Edits reach it; its knobs reach the library.
    model.setControl74 (3);
    EXPECT_EQ (unit.memory[temporaryPatternOffset + Pattern::filterCutoffOrBdLevel], 3);
    unit.turnKnob (71, 5);
    dispatchPendingMessages();
    EXPECT_EQ (model.currentPattern[Pattern::filterResonanceOrSdLevel], 5);

    // Get All, in real time: the unit answers at the speed of a MIDI line.
    unit.memory[userPatternOffset (1) + Pattern::level] = 77;
    model.setChangedFlag (false);
    EXPECT_TRUE (perform (ContentComp::getAllFromUnit));
    EXPECT_TRUE (content.getSession().isBusy());

    // Meanwhile edits of the library and other transfers wait.
    EXPECT_TRUE (perform (ContentComp::newLibrary));
    EXPECT_TRUE (content.lastMessage.contains ("New waits until it has ended")) << content.lastMessage;
    EXPECT_TRUE (perform (ContentComp::sendAllToUnit));
    EXPECT_EQ (content.getSession().getTransfer().getReport().kind, VeskTransfer::Kind::getAll);

    const auto giveUp = juce::Time::getMillisecondCounter() + 10000;

    while (content.getSession().isBusy() && juce::Time::getMillisecondCounter() < giveUp)
        juce::dispatchNextMessageOnSystemQueue (false);

    EXPECT_EQ (model.bytesOf (*VeskBlock::user (2))[Pattern::level], 77);
    EXPECT_TRUE (model.hasChangedSinceSaved());
    EXPECT_TRUE (content.lastMessage.startsWith ("Got all 22 blocks from the unit")) << content.lastMessage;

    // Off again: back to the ports of the settings, of which there are none here.
    EXPECT_TRUE (perform (ContentComp::useVirtualUnit));
    EXPECT_FALSE (content.getSession().isVirtualUnitInUse());
    EXPECT_EQ (content.getSession().getNumReceivers(), 0);
    model.setControl74 (9);
    EXPECT_EQ (unit.memory[temporaryPatternOffset + Pattern::filterCutoffOrBdLevel], 3);
}

//==============================================================================
namespace
{
    /** The commands the window's keys invoke, in order. */
    struct InvokedCommands : juce::ApplicationCommandManagerListener
    {
        void applicationCommandInvoked (const juce::ApplicationCommandTarget::InvocationInfo& info) override { ids.push_back (info.commandID); }
        void applicationCommandListChanged() override {}

        std::vector<int> ids;
    };
}

TEST_F (ContentCompTest, CtrlCIsCopyOnTheLibraryPageAndCloseElsewhere)
{
    auto& editor = content.getEditor();
    auto& page = *editor.libraryPage;
    InvokedCommands invoked;
    commandManager.addListener (&invoked);

    auto press = [this] (juce::juce_wchar key, bool taken = true)
    {
        EXPECT_EQ (commandManager.getKeyMappings()->keyPressed (juce::KeyPress (key, ctrl, 0), &content), taken) << (char) key;
    };

    press ('c'); // the Patterns page
    editor.setCurrentTabIndex (2);
    press ('c'); // the Library page, nothing selected
    page.ourList.selectSlots (slotBlocks ({ 3 }));
    press ('c');
    press ('v');
    editor.setCurrentTabIndex (1);
    press ('c'); // the System page, the selection kept
    press ('v', false);

    const std::vector<int> expected { ContentComp::closeLibrary, ContentComp::closeLibrary, LibraryCommands::copyPatterns,
                                      LibraryCommands::pastePatterns, ContentComp::closeLibrary };
    EXPECT_EQ (invoked.ids, expected);
    commandManager.removeListener (&invoked);
}

TEST_F (ContentCompTest, ACommandRefusedWhileAJobRunsNamesTheJobAndHowToEndIt)
{
    auto& session = content.getSession();
    session.setVirtualUnitInUse (true);

    auto untilIdle = [&session]
    {
        const auto giveUp = juce::Time::getMillisecondCounter() + 10000;

        while (session.isBusy() && juce::Time::getMillisecondCounter() < giveUp)
            juce::dispatchNextMessageOnSystemQueue (false);
    };

    const struct
    {
        const char* what;
        std::function<void()> start;
        juce::String expected;
    } cases[] = {
        { "a transfer, with its window", [&]
          { ASSERT_TRUE (session.startTransfer (VeskTransfer::Kind::sendAll).wasOk()); },
          "The unit is busy with \"" + VeskTransfer::title (VeskTransfer::Kind::sendAll)
              + "\".\n\nUndo waits until it has ended: wait, or press Cancel in its window." },
        { "a few records, sent quietly", [&]
          {
              auto& model = session.getModel();
              ASSERT_TRUE (session.changeRecords ("Level Of User 03", { *VeskBlock::user (3) }, [&model]
                                                  { model.bytesOf (*VeskBlock::user (3))[VeskImage::Pattern::level] ^= 1; })
                               .wasOk());
          },
          "The unit is busy with \"Level Of User 03\".\n\nUndo waits until it has ended: wait a moment." },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        c.start();
        content.lastMessage.clear();
        EXPECT_TRUE (perform (ContentComp::undoEdit));
        EXPECT_EQ (content.lastMessage, c.expected);
        session.cancelJob();
        untilIdle();
    }
}

TEST_F (ContentCompTest, FindUnitWithoutAnyPortSaysWhatToTryInstead)
{
    // No port exists here: the search ends at once.
    EXPECT_TRUE (perform (ContentComp::findUnit));
    dispatchPendingMessages();
    EXPECT_FALSE (content.getSession().isBusy());
    EXPECT_EQ (content.lastMessage, "No unit can answer: there is no MIDI output on this computer.\n"
                                    "Check the cables and that the unit is switched on, or try the program with Unit > Virtual Unit.");
}

TEST_F (ContentCompTest, LibraryOperationsWhileATransferRunsAreRefusedAsNewAndOpenAre)
{
    auto& session = content.getSession();
    auto& page = *content.getEditor().libraryPage;
    content.getEditor().setCurrentTabIndex (2);
    page.ourList.selectSlots (slotBlocks ({ 3 }));
    session.setVirtualUnitInUse (true);
    ASSERT_TRUE (session.startTransfer (VeskTransfer::Kind::sendAll).wasOk());

    for (auto [id, what] : { std::pair<int, const char*> { LibraryCommands::initialisePatterns, "Initialise" },
                             { LibraryCommands::pastePatterns, "Paste" },
                             { ContentComp::newLibrary, "New" } })
    {
        content.lastMessage.clear();
        EXPECT_TRUE (perform (id));
        EXPECT_EQ (content.lastMessage, SessionTexts::describe (session.refusalWhileBusy (what)));
    }

    session.cancelJob();
}

TEST_F (ContentCompTest, TheLayoutReportNamesEachRowOfTheLibraryList)
{
    const auto report = LayoutReport::describe (content);

    for (const auto* row : { "ourList/Temporary", "ourList/User 03", "ourList/User 20" })
        EXPECT_TRUE (report.contains (juce::String ("\n") + row + "\t")) << row;
}

TEST (ContentCompHandOver, FilesHandedOverDuringATransferAreEachTakenWhenItEnds)
{
    ScopedWorkingDirectory workingDirectory;
    VirtualClock clock;
    RecordingMidiOut out;
    juce::ApplicationCommandManager commandManager;
    ContentComp content (commandManager, VeskSession::Options::headless (clock, out));
    content.showDialogs = false;
    auto& session = content.getSession();
    auto& model = content.getModel();
    const std::vector<juce::uint8> start (model.image, model.image + VeskImage::imageSize);

    // A MIDI file of the shown pattern with a note changed, and a dump with a user pattern's level changed.
    const auto midi = workingDirectory.file ("tune.mid");
    const auto note = VeskField::step (VeskImage::Pattern::stepNote, 0);
    session.edit (note, 30);
    ASSERT_TRUE (session.exportMidi (midi).wasOk());
    session.edit (note, model.readField (note) + 1);
    auto dumped = start;
    dumped[VeskImage::userPatternOffset (5) + VeskImage::Pattern::level] = 9;
    const auto syx = workingDirectory.file ("dump.syx");
    ASSERT_TRUE (VeskSyxFile::writeImage (syx, dumped.data()).wasOk());
    session.getEditHistory().forget();

    session.setVirtualUnitInUse (true);
    ASSERT_TRUE (session.startTransfer (VeskTransfer::Kind::sendAll).wasOk());
    const std::vector<juce::uint8> before (model.image, model.image + VeskImage::imageSize);
    content.openFilesFromOutside ({ midi.getFullPathName(), syx.getFullPathName() });

    // One answer names both, in the words of every command that waits.
    EXPECT_EQ (content.lastMessage, SessionTexts::describe (session.refusalWhileBusy ("Opening \"tune.mid\", \"dump.syx\"")));
    EXPECT_EQ (std::vector<juce::uint8> (model.image, model.image + VeskImage::imageSize), before);
    EXPECT_EQ (content.getWaitingFiles().size(), 2);

    clock.runUntilIdle();
    dispatchPendingMessages();
    EXPECT_TRUE (content.getWaitingFiles().isEmpty());
    EXPECT_EQ (model.image[VeskImage::userPatternOffset (5) + VeskImage::Pattern::level], 9) << "the dump into the library";
    EXPECT_EQ (session.getUndoName(), "Import .syx");
    EXPECT_TRUE (content.lastMessage.isNotEmpty());

    // The MIDI file went into the shown pattern before the dump came.
    clock.runUntilIdle();
    ASSERT_TRUE (session.undo().wasOk());
    clock.runUntilIdle();
    EXPECT_EQ (session.getUndoName(), "Import MIDI File");
    EXPECT_EQ (model.readField (note), 30);
}
