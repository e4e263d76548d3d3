#include "EditorTestSupport.h"
#include "ScopedWorkingDirectory.h"
#include "TestEnvironment.h"
#include "app/ContentComp.h"
#include "midi/MidiOutLog.h"
#include "model/BoundedXml.h"
#include "model/WholeFileWriter.h"

#include <gtest/gtest.h>

namespace
{
    /** Settings that say "do not reset the unit at start", with a value of
        elements nested depth deep in all, padded with spaces to size bytes. */
    std::string nestedUserSettings (int depth, size_t size = 0)
    {
        const auto levels = std::max (0, depth - 2);
        const auto open = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES><VALUE name=\"resetUnitAtStart\" val=\"0\"/><VALUE name=\"x\">"
                          + juce::String::repeatedString ("<a>", levels).toStdString();
        const auto close = juce::String::repeatedString ("</a>", levels).toStdString() + "</VALUE></PROPERTIES>";
        return open + std::string (std::max (size, open.size() + close.size()) - open.size() - close.size(), ' ') + close;
    }

    struct UserSettingsTest : ::testing::Test
    {
        juce::StringArray recentPaths (UserSettings& settings)
        {
            juce::StringArray paths;

            for (int i = 0; i < settings.getRecentFiles().getNumFiles(); ++i)
                paths.add (settings.getRecentFiles().getFile (i).getFullPathName());

            return paths;
        }

        juce::File library (int number)
        {
            auto file = workingDirectory.file ("Set " + juce::String (number) + ".vsk");
            file.replaceWithText ("VSK");
            return file;
        }

        ScopedWorkingDirectory workingDirectory;
    };
}

TEST_F (UserSettingsTest, LiveInTheUsersConfigurationFolderNotTheWorkingDirectory)
{
    UserSettings settings;
    settings.setResetUnitAtStart (false);

    EXPECT_EQ (settings.getFile(), workingDirectory.file ("config/VeskEdit/VeskEdit.settings"));
    EXPECT_TRUE (settings.getFile().existsAsFile()) << "written at once";
    EXPECT_FALSE (UserSettings().getResetUnitAtStart()) << "read back by the next start";
}

TEST_F (UserSettingsTest, RecentFilesKeepTheLastEightMostRecentFirst)
{
    {
        UserSettings settings;

        for (int i = 1; i <= 10; ++i)
            settings.addRecentFile (library (i));

        settings.addRecentFile (library (5)); // again: to the top, not twice
    }

    UserSettings settings;
    const auto paths = recentPaths (settings);
    ASSERT_EQ (paths.size(), UserSettings::maxRecentFiles);
    const int expected[] = { 5, 10, 9, 8, 7, 6, 4, 3 };

    for (int i = 0; i < paths.size(); ++i)
        EXPECT_EQ (paths[i], library (expected[i]).getFullPathName());
}

TEST_F (UserSettingsTest, MissingFilesArePrunedAndClearEmptiesTheList)
{
    UserSettings settings;
    settings.addRecentFile (library (1));
    settings.addRecentFile (library (2));
    settings.addRecentFile (library (3));
    library (2).deleteFile();

    settings.removeMissingRecentFiles();
    EXPECT_EQ (recentPaths (settings), juce::StringArray (library (3).getFullPathName(), library (1).getFullPathName()));
    EXPECT_EQ (recentPaths (*std::make_unique<UserSettings>()).size(), 2) << "the pruned list is kept";

    settings.clearRecentFiles();
    EXPECT_EQ (UserSettings().getRecentFiles().getNumFiles(), 0);
}

TEST_F (UserSettingsTest, ADamagedOrUnreadableFileIsIgnoredAndReplacedAtTheNextChange)
{
    const auto file = workingDirectory.file ("config/VeskEdit/VeskEdit.settings");
    const char* damaged[] = { "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"resetUnitAtStart\" val=\"0\"",
                              "\x01\x02 not a settings file at all",
                              "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"recentFiles\" val=\"relative/path.vsk&#10;\"/></PROPERTIES>" };

    for (auto* content : damaged)
    {
        SCOPED_TRACE (content);
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_TRUE (file.replaceWithText (content));

        UserSettings settings;
        EXPECT_TRUE (settings.getResetUnitAtStart());
        EXPECT_EQ (settings.getRecentFiles().getNumFiles(), 0);

        settings.addRecentFile (library (1));
        EXPECT_EQ (recentPaths (*std::make_unique<UserSettings>()), juce::StringArray (library (1).getFullPathName()));
        file.deleteFile();
    }

    // A folder where the file should be: nothing can be read or written, and the program still starts.
    ASSERT_TRUE (file.createDirectory());
    UserSettings settings;
    settings.setResetUnitAtStart (false);
    EXPECT_TRUE (file.isDirectory());
}

TEST_F (UserSettingsTest, OpenRecentListsPrunesAndOpensLibraries)
{
    juce::ApplicationCommandManager commandManager;
    ContentComp content (commandManager);
    commandManager.registerAllCommandsForTarget (&content);
    auto& model = content.getModel();

    const auto first = workingDirectory.file ("First.vsk");
    const auto second = workingDirectory.file ("Second.vsk");
    const auto gone = workingDirectory.file ("Gone.vsk");
    model.setMasterTune (450.0);
    const auto savedTune = model.systemBlock[VeskImage::System::masterTune];

    for (auto& file : { first, gone, second })
        ASSERT_TRUE (model.writeLibrary (file));

    content.getSettings().addRecentFile (first);
    content.getSettings().addRecentFile (gone);
    content.getSettings().addRecentFile (second);
    gone.deleteFile();

    const auto file = content.getMenuForIndex (0, "File");
    juce::PopupMenu::MenuItemIterator it (file);

    while (it.next() && it.getItem().text != "Open Recent")
    {
    }

    auto* recent = it.getItem().subMenu.get();
    ASSERT_NE (recent, nullptr);
    std::vector<std::pair<int, juce::String>> items;

    for (juce::PopupMenu::MenuItemIterator r (*recent); r.next();)
        items.emplace_back (r.getItem().itemID, r.getItem().text);

    ASSERT_EQ (items.size(), 4u);
    EXPECT_EQ (items[0], std::make_pair ((int) ContentComp::firstRecentFile, second.getFullPathName()));
    EXPECT_EQ (items[1], std::make_pair ((int) ContentComp::firstRecentFile + 1, first.getFullPathName()));
    EXPECT_EQ (items[3].second, "Clear Recent Files");

    // An unchanged library: it opens at once.
    model.resetToDefaults();
    content.menuItemSelected (ContentComp::firstRecentFile + 1, 0);
    EXPECT_EQ (model.getFile(), first);
    EXPECT_EQ (model.systemBlock[VeskImage::System::masterTune], savedTune);
    EXPECT_EQ (content.getSettings().getRecentFiles().getFile (0), first) << "opened: now the most recent";

    EXPECT_TRUE (content.perform (juce::ApplicationCommandTarget::InvocationInfo (ContentComp::clearRecentFiles)));
    EXPECT_EQ (content.getSettings().getRecentFiles().getNumFiles(), 0);
}

TEST_F (UserSettingsTest, ResetUnitAtStartDecidesWhetherAStartSendsTheDefaults)
{
    const auto log = workingDirectory.file ("sent.txt");
    TestEnvironment::set (MidiOutLog::environmentVariable, log.getFullPathName());

    auto linesSentByAStart = [&]
    {
        juce::ApplicationCommandManager commandManager;
        ContentComp content (commandManager);
        commandManager.registerAllCommandsForTarget (&content);
        dispatchPendingMessages(); // the pattern page's notifications are part of the start
        return juce::StringArray::fromLines (log.loadFileAsString().trim());
    };

    // The defaults, then the pattern page telling the unit its loop control.
    const auto ticked = linesSentByAStart();
    EXPECT_EQ (ticked.size(), 659);
    EXPECT_EQ (ticked[658], "F0 41 10 00 4F 12 01 00 00 04 00 7B F7");

    {
        juce::ApplicationCommandManager commandManager;
        ContentComp content (commandManager);
        commandManager.registerAllCommandsForTarget (&content);
        juce::ApplicationCommandInfo info (ContentComp::resetUnitAtStart);
        content.getCommandInfo (ContentComp::resetUnitAtStart, info);
        EXPECT_NE (info.flags & juce::ApplicationCommandInfo::isTicked, 0);

        EXPECT_TRUE (content.perform (juce::ApplicationCommandTarget::InvocationInfo (ContentComp::resetUnitAtStart)));
        content.getCommandInfo (ContentComp::resetUnitAtStart, info);
        EXPECT_EQ (info.flags & juce::ApplicationCommandInfo::isTicked, 0);
    }

    const auto unticked = linesSentByAStart();
    EXPECT_TRUE (unticked.isEmpty()) << unticked.joinIntoString ("\n");
    TestEnvironment::unset (MidiOutLog::environmentVariable);
}

TEST_F (UserSettingsTest, AnOversizedOrDeeplyNestedFileIsIgnoredAndTheStartGoesOn)
{
    const auto file = UserSettings::getFile();
    ASSERT_TRUE (file.getParentDirectory().createDirectory());

    const std::tuple<const char*, std::string, bool> files[] = {
        { "200,000 nested elements, which crashed every start", nestedUserSettings (200'000), false },
        { "nested a level too deep", nestedUserSettings (BoundedXml::maxDepth + 1), false },
        { "a byte over 64 KiB", nestedUserSettings (2, BoundedXml::maxFileSize + 1), false },
        { "just inside both bounds", nestedUserSettings (BoundedXml::maxDepth, BoundedXml::maxFileSize), true },
    };

    for (const auto& [name, content, read] : files)
    {
        SCOPED_TRACE (name);
        ASSERT_TRUE (file.replaceWithData (content.data(), content.size()));

        {
            UserSettings settings;
            EXPECT_EQ (settings.getResetUnitAtStart(), ! read);
            EXPECT_EQ (file.getSize(), (juce::int64) content.size()) << "left as it was until a change";

            // The whole window starts over it too.
            juce::ApplicationCommandManager commandManager;
            EXPECT_EQ (ContentComp (commandManager).getSettings().getResetUnitAtStart(), ! read);

            settings.addRecentFile (library (1));
        }

        EXPECT_EQ (recentPaths (*std::make_unique<UserSettings>()), juce::StringArray (library (1).getFullPathName()))
            << "the next change replaced it with a file that loads";
    }
}

TEST_F (UserSettingsTest, FilesOfEarlierVersionsLoadAndChangesAreWrittenWhole)
{
    // Written by juce::PropertiesFile, as every earlier version did.
    {
        juce::PropertiesFile::Options options;
        options.applicationName = "VeskEdit";
        options.filenameSuffix = "settings";
        options.folderName = UserSettings::getFolder().getFullPathName();
        options.storageFormat = juce::PropertiesFile::storeAsXML;
        juce::PropertiesFile old (options);
        ASSERT_EQ (old.getFile(), UserSettings::getFile());
        old.setValue ("resetUnitAtStart", false);
        old.setValue ("recentFiles", library (2).getFullPathName() + "\n" + library (1).getFullPathName());
        ASSERT_TRUE (old.save());
    }

    UserSettings settings;
    EXPECT_FALSE (settings.getResetUnitAtStart());
    EXPECT_EQ (recentPaths (settings), juce::StringArray (library (2).getFullPathName(), library (1).getFullPathName()));

    // A change that cannot be written whole leaves the file as it was.
    const auto before = UserSettings::getFile().loadFileAsString();
    WholeFileWriter::setFaultsForTesting ({ 10, false, false });
    settings.addRecentFile (library (3));
    WholeFileWriter::setFaultsForTesting ({});
    EXPECT_EQ (UserSettings::getFile().loadFileAsString(), before);
    EXPECT_EQ (settings.getRecentFiles().getNumFiles(), 3) << "and the program goes on with it";
}
