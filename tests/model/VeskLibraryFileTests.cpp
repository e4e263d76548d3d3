#include "RecordingMidiOut.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskModel.h"

#include <gtest/gtest.h>

using namespace VeskImage;

namespace
{
    struct LibraryFiles : ::testing::Test
    {
        juce::File folder { juce::File::createTempFile ("vesk-tests") };
        RecordingMidiOut out;
        VeskModel model { out };

        LibraryFiles() { folder.createDirectory(); }
        ~LibraryFiles() override { folder.deleteRecursively(); }

        juce::File file (const char* name) const { return folder.getChildFile (name); }

        juce::MemoryBlock bytesOf (const juce::File& f) const
        {
            juce::MemoryBlock block;
            f.loadFileAsData (block);
            return block;
        }

        void writeBytes (const juce::File& f, const std::vector<juce::uint8>& bytes) const
        {
            // replaceWithData deletes the file when given nothing.
            ASSERT_TRUE (bytes.empty() ? f.create().wasOk() : f.replaceWithData (bytes.data(), bytes.size()));
        }

        std::vector<juce::uint8> imageCopy() const { return { model.image, model.image + imageSize }; }

        std::vector<juce::uint8> defaultFileBytes() const
        {
            auto block = VeskLibraryFile::encode (model.image);
            auto* p = static_cast<const juce::uint8*> (block.getData());
            return { p, p + block.getSize() };
        }
    };
}

TEST_F (LibraryFiles, DefaultsSaveTo7473BytesAndLoadBackExactly)
{
    auto f = file ("defaults.vsk");
    const auto original = imageCopy();

    ASSERT_TRUE (model.writeLibrary (f));
    auto block = bytesOf (f);
    ASSERT_EQ (block.getSize(), 7473u);
    EXPECT_EQ (std::memcmp (block.getData(), "VSK", 3), 0);

    // Each of the 21 tempoHigh bytes of 10 is written as CR LF.
    auto* bytes = static_cast<const juce::uint8*> (block.getData());
    EXPECT_EQ (bytes[3 + 13], 0x0D);
    EXPECT_EQ (bytes[3 + 14], 0x0A);

    for (auto& b : model.image)
        b = 0;

    ASSERT_TRUE (model.readLibrary (f));
    EXPECT_EQ (imageCopy(), original);
}

TEST_F (LibraryFiles, LineEndingConventionRoundTripsAwkwardBytes)
{
    auto f = file ("awkward.vsk");
    model.image[100] = 0x0D;
    model.image[101] = 0x0A;
    model.image[200] = 0x1A; // an old end-of-file mark: data like any other
    model.image[201] = 0x0D;
    model.image[imageSize - 2] = 0x0D;
    model.image[imageSize - 1] = 0x0A;
    model.image[reservedAreaOffset] = 0x7F;
    const auto original = imageCopy();

    ASSERT_TRUE (model.writeLibrary (f));
    auto block = bytesOf (f);
    auto* bytes = static_cast<const juce::uint8*> (block.getData());

    const auto newlinesBefore = (size_t) std::count (model.image, model.image + 100, 0x0A);
    const size_t at = 3 + 100 + newlinesBefore;
    EXPECT_EQ (bytes[at], 0x0D);
    EXPECT_EQ (bytes[at + 1], 0x0D);
    EXPECT_EQ (bytes[at + 2], 0x0A);
    EXPECT_EQ (block.getSize(), 3 + (size_t) imageSize + (size_t) std::count (original.begin(), original.end(), 0x0A));

    for (auto& b : model.image)
        b = 0;

    ASSERT_TRUE (model.readLibrary (f));
    EXPECT_EQ (imageCopy(), original);
}

TEST_F (LibraryFiles, RefusedFilesLeaveTheImageAsItWas)
{
    auto bytes = defaultFileBytes();
    model.image[500] = 0x33; // differs from what the files hold
    const auto before = imageCopy();

    struct Case
    {
        const char* name;
        std::vector<juce::uint8> data;
        juce::String reason;
    };

    auto wrongMagic = bytes;
    wrongMagic[2] = 'X';

    auto truncated = bytes;
    truncated.resize (3 + 5120 + (size_t) std::count (model.image, model.image + 5120, 0x0A));

    auto eighthBit = bytes;
    eighthBit[3 + 211 + (size_t) std::count (model.image, model.image + 211, 0x0A)] = 0x93;

    const std::vector<Case> cases {
        { "empty.vsk", {}, "not a library file (missing VSK header)" },
        { "magic.vsk", wrongMagic, "not a library file (missing VSK header)" },
        { "short.vsk", truncated, "ends after 5120 of 7449 image bytes" },
        { "bit.vsk", eighthBit, "byte 0x93 at image offset 211 is not a 7-bit value" },
    };

    for (auto& c : cases)
    {
        auto f = file (c.name);
        writeBytes (f, c.data);

        EXPECT_EQ (VeskLibraryFile::read (f, model.image).getErrorMessage(), c.reason) << c.name;
        EXPECT_FALSE (model.readLibrary (f)) << c.name;
        EXPECT_EQ (model.loadDocument (f).getErrorMessage(), "Error while loading file") << c.name;
        EXPECT_EQ (imageCopy(), before) << c.name;
    }

    EXPECT_FALSE (model.readLibrary (file ("missing.vsk")));
    EXPECT_FALSE (model.readLibrary (folder));
    EXPECT_EQ (imageCopy(), before);
}

TEST_F (LibraryFiles, BytesAfterTheImageAreIgnored)
{
    auto bytes = defaultFileBytes();
    bytes.insert (bytes.end(), { 0xFF, 0x0D, 0x0A, 0x00 });
    auto f = file ("trailing.vsk");
    writeBytes (f, bytes);

    model.image[0] = 0;
    EXPECT_TRUE (model.readLibrary (f));
    EXPECT_EQ (model.image[0], 63);
}

TEST_F (LibraryFiles, DocumentTitlesAndLastDocument)
{
    EXPECT_EQ (model.getDocumentTitle(), "New");

    auto f = file ("Set 1.vsk");
    ASSERT_TRUE (model.writeLibrary (f));
    out.clear();

    model.currentPatternIndex = 3;
    model.currentPattern = model.bytesOf (*VeskBlock::user (4));
    model.image[0] = 1;

    ASSERT_TRUE (model.loadDocument (f).wasOk());
    EXPECT_EQ (model.getLastDocumentOpened(), f);
    EXPECT_EQ (model.image[0], 63);

    // Loading sends nothing and keeps the pattern in edit.
    EXPECT_TRUE (out.messages.empty());
    EXPECT_EQ (model.currentPatternIndex, 3);
    EXPECT_EQ (model.currentPattern, model.bytesOf (*VeskBlock::user (4)));

    model.setFile (f);
    EXPECT_EQ (model.getDocumentTitle(), "Set 1");
}

TEST_F (LibraryFiles, SavingReplacesWholeOrFailsWithoutHarm)
{
    auto f = file ("lib.vsk");
    ASSERT_TRUE (model.saveDocument (f).wasOk());
    const auto first = bytesOf (f);

    model.image[reservedAreaOffset + 10] = 0x42;
    ASSERT_TRUE (model.saveDocument (f).wasOk());
    EXPECT_NE (bytesOf (f), first);

    // Only the library itself is left in the folder: no temporary files.
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);

    // A failure names the file it was saving.
    const auto noFolder = model.saveDocument (folder.getChildFile ("no such folder").getChildFile ("x.vsk"));
    EXPECT_TRUE (noFolder.failed() && noFolder.getErrorMessage().contains ("\"x.vsk\"")) << noFolder.getErrorMessage();
    EXPECT_TRUE (model.saveDocument (folder).failed());
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
}
