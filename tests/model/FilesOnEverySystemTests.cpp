#include "FileContents.h"
#include "ScopedFolder.h"
#include "model/BoundedFileReader.h"
#include "model/PrivateFolder.h"
#include "model/WholeFileWriter.h"
#include "platform/SecureRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// The writer's promises where each system has the risk in its own way: the
// same test holds them on Linux and on Windows.
using namespace FileContents;

TEST (FilesOnEverySystem, AReadOnlyFileIsRefusedAndKept)
{
    ScopedFolder dir;
    const auto file = dir.file ("Kept.vsk");
    ASSERT_TRUE (WholeFileWriter::write (file, bytesFrom ("old")).wasOk());
    ASSERT_TRUE (file.setReadOnly (true));

    const auto result = WholeFileWriter::write (file, bytesFrom ("new"));
    file.setReadOnly (false);

    EXPECT_TRUE (result.getErrorMessage().contains ("read-only")) << result.getErrorMessage();
    EXPECT_EQ (textOf (file), "old");
    EXPECT_EQ (namesIn (dir.folder), "Kept.vsk");
}

TEST (FilesOnEverySystem, AFileAReaderHoldsOpenIsReplacedWholeAndTheReaderKeepsItsBytes)
{
    ScopedFolder dir;
    const auto file = dir.file ("Open.vsk");
    ASSERT_TRUE (WholeFileWriter::write (file, bytesFrom ("old bytes")).wasOk());

    {
        // JUCE's reader lets others write, rename and delete the file (Windows: every FILE_SHARE_ flag).
        juce::FileInputStream reader (file);
        ASSERT_TRUE (reader.openedOk());

        const auto result = WholeFileWriter::write (file, bytesFrom ("new bytes"));
        EXPECT_TRUE (result.wasOk()) << result.getErrorMessage();
        EXPECT_EQ (reader.readEntireStreamAsString(), "old bytes");
        EXPECT_EQ (textOf (file), "new bytes");
    }

    EXPECT_EQ (namesIn (dir.folder), "Open.vsk") << "a temporary file was left";
}

TEST (FilesOnEverySystem, NamesWithAnyLettersAndEitherCaseAreOneFileEach)
{
    ScopedFolder dir;
    const auto name = juce::String (juce::CharPointer_UTF8 ("S\xc3\xa4tze \xc3\x9c\x62\x65r \xe6\x97\xa5\xe6\x9c\xac.vsk"));
    const auto file = dir.file (name);
    ASSERT_TRUE (WholeFileWriter::write (file, bytesFrom ("first")).wasOk());
    ASSERT_TRUE (WholeFileWriter::write (file, bytesFrom ("second")).wasOk());
    EXPECT_EQ (textOf (file), "second");
    EXPECT_EQ (namesIn (dir.folder), name);

    const auto upper = dir.file ("Mixed.VSK");
    const auto lower = dir.file ("mixed.vsk");
    ASSERT_TRUE (WholeFileWriter::write (upper, bytesFrom ("upper")).wasOk());

    // A system that finds the file under either case (Windows) writes that one file.
    const bool oneFile = lower.existsAsFile();
    EXPECT_EQ (WholeFileWriter::isSameFile (upper, lower), oneFile);
    ASSERT_TRUE (WholeFileWriter::write (lower, bytesFrom ("lower")).wasOk());
    EXPECT_EQ (textOf (upper), oneFile ? "lower" : "upper");
    EXPECT_EQ (textOf (lower), "lower");
    EXPECT_EQ (juce::StringArray::fromLines (namesIn (dir.folder)).size(), oneFile ? 2 : 3);
}

TEST (FilesOnEverySystem, ALinkIsWrittenThroughAndStaysALink)
{
    ScopedFolder dir;
    const auto real = dir.file ("real.vsk");
    const auto link = dir.file ("link.vsk");
    ASSERT_TRUE (WholeFileWriter::write (real, bytesFrom ("old")).wasOk());

    if (! real.createSymbolicLink (link, false))
        GTEST_SKIP() << "no symbolic link can be made here";

    ASSERT_TRUE (WholeFileWriter::write (link, bytesFrom ("through the link")).wasOk());
    EXPECT_TRUE (link.isSymbolicLink());
    EXPECT_EQ (textOf (real), "through the link");
    EXPECT_TRUE (WholeFileWriter::isSameFile (link, real));
    EXPECT_EQ (namesIn (dir.folder), "link.vsk\nreal.vsk");
}

TEST (FilesOnEverySystem, WhatIsNotAPlainFileIsNotRead)
{
    ScopedFolder dir;
    juce::MemoryBlock data;
    EXPECT_EQ (BoundedFileReader::read (dir.folder, 10, data).getErrorMessage(), "is a folder");

    // Each system's name for the device that swallows everything.
    const auto device = juce::File::getSeparatorChar() == '\\' ? juce::File ("\\\\.\\NUL") : juce::File ("/dev/null");
    EXPECT_EQ (BoundedFileReader::read (device, 10, data).getErrorMessage(), "is a device, not a file");
    EXPECT_EQ (data.getSize(), 0u);
}

TEST (FilesOnEverySystem, APrivateFolderIsTheOneWrittenIntoWhileHeld)
{
    ScopedFolder dir;
    const auto place = dir.file ("private");
    const auto elsewhere = dir.file ("moved");

    {
        PrivateFolder folder (place, true);
        ASSERT_TRUE (folder.isOpen()) << folder.getProblem();
        ASSERT_TRUE (folder.replaceFile ("a.mid", bytesFrom ("a"), 0600).wasOk());

        // Renamed (POSIX) or refused (Windows holds it): either way the
        // writes go to the folder that was checked, under its new name.
        const bool moved = place.moveFileTo (elsewhere);
        ASSERT_TRUE (folder.replaceFile ("b.mid", bytesFrom ("b"), 0600).wasOk());
        ASSERT_TRUE (folder.replaceFile ("b.mid", bytesFrom ("b again"), 0600).wasOk());
        const auto now = moved ? elsewhere : place;
        EXPECT_EQ (textOf (now.getChildFile ("b.mid")), "b again");
        EXPECT_EQ (namesIn (now), "a.mid\nb.mid");

        // A new file never replaces one, nor a link.
        EXPECT_TRUE (WholeFileWriter::writeNew (folder.inside(), "a.mid", "x", 1).failed());
        EXPECT_EQ (textOf (now.getChildFile ("a.mid")), "a");

        // Nor anything reached by a path.
        for (const auto* name : { "", "..", "../escape.mid", "sub/x.mid" })
            EXPECT_TRUE (WholeFileWriter::writeNew (folder.inside(), name, "x", 1).failed()) << name;
    }

    // Made for this user alone: a second look finds it private.
    const auto now = place.isDirectory() ? place : elsewhere;
    PrivateFolder again (now, false);
    EXPECT_TRUE (again.isOpen()) << again.getProblem();
    EXPECT_FALSE (dir.file ("escape.mid").exists());
}

TEST (SecureRandom, KeysAreWholeHexAndNeverRepeatAndLargeRequestsAreFilledToTheEnd)
{
    const auto key = SecureRandom::hex (32);
    ASSERT_EQ (key.length(), 64);
    EXPECT_TRUE (key.containsOnly ("0123456789abcdef")) << key;
    EXPECT_NE (SecureRandom::hex (32), key);

    // Larger than one request to the system's source: no tail left as it was.
    std::vector<juce::uint8> bytes (3 << 20, 0);
    ASSERT_TRUE (SecureRandom::fill (bytes.data(), bytes.size()));
    const auto tail = std::vector<juce::uint8> (bytes.end() - 4096, bytes.end());
    EXPECT_NE (tail, std::vector<juce::uint8> (4096, 0));
    EXPECT_LT (std::count (bytes.begin(), bytes.end(), 0), (std::ptrdiff_t) bytes.size() / 100);
}
