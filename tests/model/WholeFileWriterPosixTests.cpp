#include "ScopedTmpfs.h"
#include "WholeFileWriterTest.h"
#include "model/VeskLibraryFile.h"

#include <sys/stat.h>
#include <unistd.h>

// What only POSIX systems have: links made by anyone, mode bits, owners, inodes.
namespace
{
    /** The file's stat (its link's, with lstat), all zeros when there is none. */
    struct stat statOf (const juce::File& f, decltype (::stat) how = ::stat)
    {
        struct stat info = {};
        how (f.getFullPathName().toRawUTF8(), &info);
        return info;
    }

    mode_t modeOf (const juce::File& f) { return statOf (f).st_mode & 07777; }
    bool isLink (const juce::File& f) { return S_ISLNK (statOf (f, ::lstat).st_mode); }

    void link (const char* text, const juce::File& at) { ASSERT_EQ (::symlink (text, at.getFullPathName().toRawUTF8()), 0); }
}

TEST_F (Writer, LinksStayLinksAndTheFileTheyLeadToGetsTheBytes)
{
    const auto real = folder.getChildFile ("real");
    ASSERT_TRUE (real.getChildFile ("inner").createDirectory());
    const auto library = real.getChildFile ("lib.vsk");
    ASSERT_TRUE (write (library, bytes (10, 'o')).wasOk());

    // absolute, relative, a chain of two, and ".." through a linked folder
    // (alias/.. is real, not the folder alias is in).
    link (library.getFullPathName().toRawUTF8(), file ("absolute.vsk"));
    link ("real/lib.vsk", file ("relative.vsk"));
    link ("relative.vsk", file ("chain.vsk"));
    link ("real/inner", file ("alias"));
    link ("../lib.vsk", real.getChildFile ("inner/up.vsk"));

    juce::uint8 value = 'a';

    for (const auto& name : { "absolute.vsk", "relative.vsk", "chain.vsk", "alias/up.vsk" })
    {
        SCOPED_TRACE (name);
        const auto through = file (name);
        ASSERT_TRUE (write (through, bytes (20, value)).wasOk());
        EXPECT_EQ (bytesOf (library), bytes (20, value));
        EXPECT_TRUE (isLink (through));
        EXPECT_TRUE (WholeFileWriter::isSameFile (through, library));
        ++value;
    }

    EXPECT_FALSE (file ("lib.vsk").exists()) << "alias/../lib.vsk is not beside alias";
    EXPECT_EQ (namesIn (real), juce::StringArray ({ "inner", "lib.vsk" }));
    EXPECT_EQ (namesIn (real.getChildFile ("inner")), juce::StringArray ("up.vsk"));

    // The same file by another name or a hard link; a missing one is nobody's twin.
    EXPECT_TRUE (WholeFileWriter::isSameFile (folder.getChildFile ("real/inner/../lib.vsk"), library));
    ASSERT_EQ (::link (library.getFullPathName().toRawUTF8(), file ("hard.vsk").getFullPathName().toRawUTF8()), 0);
    EXPECT_TRUE (WholeFileWriter::isSameFile (file ("hard.vsk"), library));
    EXPECT_FALSE (WholeFileWriter::isSameFile (file ("absolute.vsk"), file ("nothing.vsk")));
    ASSERT_TRUE (write (file ("other.vsk"), bytes (20, value)).wasOk());
    EXPECT_FALSE (WholeFileWriter::isSameFile (file ("other.vsk"), library));

    // A link to a file not made yet makes it; a circle of links fails and makes nothing.
    link ("real/later.vsk", file ("later.vsk"));
    ASSERT_TRUE (write (file ("later.vsk"), bytes (5, 'l')).wasOk());
    EXPECT_EQ (bytesOf (real.getChildFile ("later.vsk")), bytes (5, 'l'));
    EXPECT_TRUE (isLink (file ("later.vsk")));

    link ("round.vsk", file ("about.vsk"));
    link ("about.vsk", file ("round.vsk"));
    const auto circle = write (file ("round.vsk"), bytes (5, 'c'));
    EXPECT_TRUE (circle.failed());
    EXPECT_TRUE (isLink (file ("round.vsk")) && isLink (file ("about.vsk")));
    EXPECT_EQ (namesIn (folder).size(), 10) << namesIn (folder).joinIntoString (" ");
}

TEST_F (Writer, TheFileKeepsItsModeAndOwner)
{
    const auto library = file ("private.vsk");
    const auto shared = file ("shared.vsk");
    const auto fresh = file ("fresh.vsk");
    ASSERT_TRUE (write (library, bytes (10, 'o')).wasOk());
    ASSERT_TRUE (write (shared, bytes (10, 'o')).wasOk());
    ASSERT_EQ (::chmod (library.getFullPathName().toRawUTF8(), 0600), 0);
    ASSERT_EQ (::chmod (shared.getFullPathName().toRawUTF8(), 0664), 0);

    const auto oldMask = ::umask (022);
    ASSERT_TRUE (write (library, bytes (20, 'n')).wasOk());
    ASSERT_TRUE (write (shared, bytes (20, 'n')).wasOk());
    ASSERT_TRUE (write (fresh, bytes (20, 'n')).wasOk());
    ::umask (oldMask);

    EXPECT_EQ (modeOf (library), 0600u);
    EXPECT_EQ (modeOf (shared), 0664u);
    EXPECT_EQ (modeOf (fresh), 0644u) << "a new file: 0666 less the umask";
    EXPECT_EQ (bytesOf (library), bytes (20, 'n'));

    if (::geteuid() != 0)
        GTEST_SKIP() << "keeping another user's ownership needs root";

    ASSERT_EQ (::chown (library.getFullPathName().toRawUTF8(), 12345, 23456), 0);
    ASSERT_TRUE (write (library, bytes (30, 'r')).wasOk());

    const auto info = statOf (library);
    EXPECT_EQ (info.st_uid, 12345u);
    EXPECT_EQ (info.st_gid, 23456u);
    EXPECT_EQ (info.st_mode & 07777, 0600u);
    EXPECT_EQ (bytesOf (library), bytes (30, 'r'));
}

TEST_F (Writer, WhatIsNotAWritablePlainFileIsRefusedAndKept)
{
    ASSERT_TRUE (file ("a folder.vsk").createDirectory());
    ASSERT_TRUE (write (file ("a folder.vsk/inside"), bytes (3, 'i')).wasOk());
    ASSERT_EQ (::mkfifo (file ("pipe.vsk").getFullPathName().toRawUTF8(), 0644), 0);
    ASSERT_TRUE (write (file ("plain"), bytes (3, 'p')).wasOk());

    const std::pair<juce::File, const char*> refused[] = {
        { file ("a folder.vsk"), "folder" },
        { file ("pipe.vsk"), "not a plain file" },
        { file ("no folder/lib.vsk"), "does not exist" },
        { file ("plain/lib.vsk"), "not a folder" },
        { juce::File(), "no file" },
    };

    for (const auto& [target, said] : refused)
    {
        SCOPED_TRACE (target.getFullPathName());
        const auto result = write (target, bytes (10, 'x'));
        ASSERT_TRUE (result.failed());
        EXPECT_TRUE (result.getErrorMessage().contains (said)) << result.getErrorMessage();
    }

    EXPECT_EQ (namesIn (folder), juce::StringArray ({ "a folder.vsk", "pipe.vsk", "plain" }));
    EXPECT_EQ (bytesOf (file ("a folder.vsk/inside")), bytes (3, 'i'));
    EXPECT_EQ (bytesOf (file ("plain")), bytes (3, 'p'));

    // A file its owner made read-only: refused for anyone but root. Root tries
    // it as an ordinary user, in a folder that user may write to.
    const auto readOnly = file ("kept.vsk");
    ASSERT_TRUE (write (readOnly, bytes (4, 'k')).wasOk());
    ASSERT_EQ (::chmod (readOnly.getFullPathName().toRawUTF8(), 0444), 0);
    const bool asRoot = ::geteuid() == 0;
    const uid_t nobody = 65534;

    if (asRoot)
    {
        ASSERT_EQ (::chmod (folder.getFullPathName().toRawUTF8(), 0777), 0);
        ASSERT_EQ (::chown (readOnly.getFullPathName().toRawUTF8(), nobody, nobody), 0);
        ASSERT_EQ (::seteuid (nobody), 0);
    }

    const auto result = write (readOnly, bytes (10, 'x'));

    ASSERT_TRUE (! asRoot || ::seteuid (0) == 0);

    EXPECT_TRUE (result.getErrorMessage().contains ("read-only")) << result.getErrorMessage();
    EXPECT_EQ (bytesOf (readOnly), bytes (4, 'k'));
    EXPECT_EQ (modeOf (readOnly), 0444u);
}

TEST_F (Writer, AFileWithoutAnyWriteBitIsRefusedAlsoForRootAndBySave)
{
    // Root passes every access check, so only the bits say what the owner meant.
    const std::pair<mode_t, bool> modes[] = {
        { 0444, false },
        { 0400, false },
        { 0555, false },
        { 0000, false },
        { 0644, true },
        { 0200, true },
        { 0464, ::geteuid() == 0 }, // the owner may not, root and the group may
    };

    const auto library = file ("Set 1.vsk");

    for (const auto& [mode, writable] : modes)
    {
        SCOPED_TRACE (juce::String::toHexString ((int) mode));
        library.deleteFile();
        ASSERT_TRUE (write (library, bytes (4, 'k')).wasOk());
        ASSERT_EQ (::chmod (library.getFullPathName().toRawUTF8(), mode), 0);

        const auto result = write (library, bytes (10, 'x'));
        EXPECT_EQ (result.wasOk(), writable) << result.getErrorMessage();
        EXPECT_TRUE (writable || result.getErrorMessage().contains ("read-only")) << result.getErrorMessage();

        // The window's Save goes through the same door.
        const auto saved = model.saveDocument (library);
        EXPECT_EQ (saved.wasOk(), writable) << saved.getErrorMessage();
        EXPECT_TRUE (writable || saved.getErrorMessage().contains ("read-only")) << saved.getErrorMessage();

        EXPECT_EQ (modeOf (library), mode);
        ASSERT_EQ (::chmod (library.getFullPathName().toRawUTF8(), 0644), 0);
        EXPECT_EQ (bytesOf (library).size(), writable ? 7473u : 4u);
        EXPECT_EQ (namesIn (folder), juce::StringArray ("Set 1.vsk"));
    }
}

TEST_F (Writer, NoFreeFileEntriesIsToldApartFromAFullDisk)
{
    ScopedTmpfs disk ("1m", "nr_inodes=8");

    if (! disk.isMounted())
        GTEST_SKIP() << disk.whyNot;

    const auto library = disk.folder.getChildFile ("Set 1.vsk");
    ASSERT_TRUE (write (library, bytes (100, 'o')).wasOk());

    // Every entry left taken by small files; the data blocks stay free.
    int taken = 0;

    for (; taken < 100; ++taken)
        if (! disk.folder.getChildFile ("f" + juce::String (taken)).create().wasOk())
            break;

    ASSERT_LT (taken, 100) << "the file system has no limit on its files";

    for (const auto& target : { library, disk.folder.getChildFile ("New.vsk") })
    {
        SCOPED_TRACE (target.getFileName());
        const auto result = write (target, bytes (200, 'n'));
        ASSERT_TRUE (result.failed());
        EXPECT_TRUE (result.getErrorMessage().contains ("no room for another file")) << result.getErrorMessage();
        EXPECT_FALSE (result.getErrorMessage().contains ("disk is full")) << result.getErrorMessage();
    }

    EXPECT_EQ (bytesOf (library), bytes (100, 'o'));
    EXPECT_EQ (namesIn (disk.folder).size(), taken + 1) << "no temporary file, no new file";

    // One entry free again: the write goes through.
    ASSERT_TRUE (disk.folder.getChildFile ("f0").deleteFile());
    EXPECT_TRUE (write (library, bytes (200, 'n')).wasOk());
    EXPECT_EQ (bytesOf (library), bytes (200, 'n'));
}
