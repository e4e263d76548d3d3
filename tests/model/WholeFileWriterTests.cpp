#include "ScopedTmpfs.h"
#include "WholeFileWriterTest.h"
#include "model/VeskLibraryFile.h"

TEST_F (Writer, AFailedWriteLeavesTheOldFileAndNothingElse)
{
    const auto library = file ("Set 1.vsk");
    const auto fresh = file ("New.vsk");
    const auto old = bytes (100, 'o');
    const auto encoded = VeskLibraryFile::encode (model.image);
    ASSERT_EQ (encoded.getSize(), 7473u);

    struct Case
    {
        const char* name;
        WholeFileWriter::Faults faults;
        juce::StringArray said;
    };

    const Case cases[] = {
        { "disk full after 4,072 bytes", { 4072, false, false }, { "disk is full", "wrote 4,072 of 7,473 bytes" } },
        { "disk full at once", { 0, false, false }, { "disk is full", "wrote 0 of 7,473 bytes" } },
        { "flush to disk fails", { -1, true, false }, { "flushed", "disk reported an error" } },
        { "rename fails", { -1, false, true }, { "take the old one's place" } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        ASSERT_TRUE (write (library, old).wasOk());
        WholeFileWriter::setFaultsForTesting (c.faults);

        for (const auto& target : { library, fresh })
        {
            const auto result = WholeFileWriter::write (target, encoded);
            ASSERT_TRUE (result.failed());

            for (const auto& words : c.said)
                EXPECT_TRUE (result.getErrorMessage().contains (words)) << result.getErrorMessage();
        }

        EXPECT_EQ (bytesOf (library), old);
        EXPECT_EQ (namesIn (folder), juce::StringArray ("Set 1.vsk")) << "no temporary file, no new file";

        WholeFileWriter::setFaultsForTesting ({});
        ASSERT_TRUE (WholeFileWriter::write (library, encoded).wasOk());
        EXPECT_EQ (bytesOf (library).size(), 7473u);
        library.deleteFile();
    }

    // A fault past the end of the data is no fault.
    WholeFileWriter::setFaultsForTesting ({ 7473, false, false });
    EXPECT_TRUE (WholeFileWriter::write (library, encoded).wasOk());
    EXPECT_EQ (bytesOf (library).size(), 7473u);
}

TEST_F (Writer, ARealFullDiskFailsTheWriteAndKeepsTheLibrary)
{
    ScopedTmpfs disk ("16k");

    if (! disk.isMounted())
        GTEST_SKIP() << disk.whyNot;

    const auto library = disk.folder.getChildFile ("Set 1.vsk");
    const auto before = VeskLibraryFile::encode (model.image);
    ASSERT_TRUE (WholeFileWriter::write (library, before).wasOk());

    model.setControl74 (3);
    ASSERT_TRUE (disk.fillLeaving (4096));

    const auto result = VeskLibraryFile::write (library, model.image);
    ASSERT_TRUE (result.failed());
    EXPECT_TRUE (result.getErrorMessage().contains ("disk is full")) << result.getErrorMessage();
    EXPECT_TRUE (result.getErrorMessage().contains ("of 7,473 bytes")) << result.getErrorMessage();
    EXPECT_EQ (bytesOf (library), bytesOf (before));
    EXPECT_EQ (namesIn (disk.folder), juce::StringArray ({ "Set 1.vsk", "filler" }));

    // With room again the same write goes through.
    ASSERT_TRUE (disk.removeFiller());
    ASSERT_TRUE (VeskLibraryFile::write (library, model.image).wasOk());
    juce::uint8 image[VeskImage::imageSize];
    ASSERT_TRUE (VeskLibraryFile::read (library, image).wasOk());
    EXPECT_EQ (image[VeskImage::temporaryPatternOffset + VeskImage::Pattern::filterCutoffOrBdLevel], 3);
}
