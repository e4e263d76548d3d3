#include "ScopedTmpfs.h"
#include "model/PrivateFolder.h"
#include "model/WholeFileWriter.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
    struct NewFile : ::testing::Test
    {
        NewFile() { folder.createDirectory(); }

        ~NewFile() override
        {
            WholeFileWriter::setFaultsForTesting ({});

            folder.deleteRecursively();
        }

        /** The folder's entries, hidden ones too: no temporary file may be left. */
        juce::StringArray entries() const
        {
            juce::StringArray names;

            for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories, juce::File::FollowSymlinks::no))
                names.add (entry.getFile().getFileName());

            names.sort (false);
            return names;
        }

        const OpenFolder& openFolder()
        {
            EXPECT_EQ (handle.open (folder, true), 0);
            return handle;
        }

        juce::File folder { juce::File::createTempFile ("vesk-new-file") };
        OpenFolder handle;
        juce::MemoryBlock data { "MThd and the rest", 17 };
    };
}

TEST_F (NewFile, NeverReplacesAnythingNorFollowsALink)
{
    const auto& dir = openFolder();
    const auto elsewhere = folder.getSiblingFile (folder.getFileName() + " elsewhere");
    ASSERT_TRUE (elsewhere.createDirectory() && elsewhere.getChildFile ("kept").replaceWithText ("kept"));

    struct Case
    {
        const char* name;
        std::function<bool (const juce::File&)> make; // what stands at the name before the write
    };

    const Case cases[] = {
        { "a file", [] (const juce::File& f)
          { return f.replaceWithText ("old"); } },
        { "a link to a file", [&] (const juce::File& f)
          { return elsewhere.getChildFile ("kept").createSymbolicLink (f, false); } },
        { "a link that leads nowhere", [&] (const juce::File& f)
          { return elsewhere.getChildFile ("missing").createSymbolicLink (f, false); } },
        { "a folder", [] (const juce::File& f)
          { return f.createDirectory().wasOk(); } },
        { "a named pipe", [] (const juce::File& f)
          { return ::mkfifo (f.getFullPathName().toRawUTF8(), 0600) == 0; } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto target = folder.getChildFile (c.name);
        ASSERT_TRUE (c.make (target));
        const auto before = entries();

        EXPECT_TRUE (WholeFileWriter::writeNew (dir, c.name, data.getData(), data.getSize()).failed());
        EXPECT_EQ (entries(), before);
        EXPECT_EQ (elsewhere.getChildFile ("kept").loadFileAsString(), "kept");
        EXPECT_FALSE (elsewhere.getChildFile ("missing").exists());
    }

    EXPECT_EQ (folder.getChildFile ("a file").loadFileAsString(), "old");

    // Only a name in this folder: nothing reached by a path.
    for (const auto* name : { "", ".", "..", "a/b", "../escape" })
        EXPECT_TRUE (WholeFileWriter::writeNew (dir, name, data.getData(), data.getSize()).failed()) << name;

    EXPECT_FALSE (folder.getSiblingFile ("escape").exists());
    elsewhere.deleteRecursively();
}

TEST_F (NewFile, IsWrittenWholeOrNotAtAll)
{
    const auto& dir = openFolder();
    ASSERT_TRUE (WholeFileWriter::writeNew (dir, "new.mid", data.getData(), data.getSize(), 0600).wasOk());
    juce::MemoryBlock back;
    ASSERT_TRUE (folder.getChildFile ("new.mid").loadFileAsData (back));
    EXPECT_EQ (back, data);
    struct stat info;
    ASSERT_EQ (::lstat (folder.getChildFile ("new.mid").getFullPathName().toRawUTF8(), &info), 0);
    EXPECT_EQ (info.st_mode & 07777, 0600u);

    const std::pair<const char*, WholeFileWriter::Faults> faults[] = {
        { "the disk fills", { 5, false, false } },
        { "the flush fails", { -1, true, false } },
        { "the last step fails", { -1, false, true } },
    };

    for (const auto& [name, fault] : faults)
    {
        SCOPED_TRACE (name);
        WholeFileWriter::setFaultsForTesting (fault);
        EXPECT_TRUE (WholeFileWriter::writeNew (dir, "faulty.mid", data.getData(), data.getSize()).failed());
        WholeFileWriter::setFaultsForTesting ({});
        EXPECT_EQ (entries(), juce::StringArray ("new.mid"));
    }

    // A real disk that fills up.
    ScopedTmpfs disk ("16k");

    if (! disk.isMounted())
        GTEST_SKIP() << disk.whyNot;

    ASSERT_TRUE (disk.fillLeaving (4096));
    OpenFolder diskHandle;
    ASSERT_EQ (diskHandle.open (disk.folder, true), 0);
    juce::MemoryBlock large (64 * 1024);
    const auto result = WholeFileWriter::writeNew (diskHandle, "large.mid", large.getData(), large.getSize());
    EXPECT_TRUE (result.getErrorMessage().contains ("full")) << result.getErrorMessage();
    EXPECT_FALSE (disk.folder.getChildFile ("large.mid").exists());
    EXPECT_EQ (disk.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*"), 1);
    EXPECT_EQ (disk.folder.getNumberOfChildFiles (juce::File::findFiles, ".*"), 0) << "a temporary file was left";
}

TEST (PrivateFolder, ReplacesOnlyFilesInsideIt)
{
    const auto base = juce::File::createTempFile ("vesk-private");
    const auto outside = base.getChildFile ("outside.vsk");
    ASSERT_TRUE (base.createDirectory() && outside.replaceWithText ("someone's library"));

    const PrivateFolder folder (base.getChildFile ("mine"), true);
    ASSERT_TRUE (folder.isOpen()) << folder.getProblem();

    for (const auto* name : { "../outside.vsk", "..", "" })
        EXPECT_TRUE (folder.replaceFile (name, juce::MemoryBlock ("MThd", 4), 0600).failed()) << name;

    EXPECT_EQ (outside.loadFileAsString(), "someone's library");
    base.deleteRecursively();
}
