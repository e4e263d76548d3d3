#include "model/VeskLibraryFile.h"
#include "model/VeskModel.h"
#include "model/VeskPatternSource.h"
#include "model/VeskPatternText.h"
#include "model/VeskProtocol.h"

#include <gtest/gtest.h>

using namespace VeskImage;

namespace
{
    std::vector<juce::uint8> testImage()
    {
        std::vector<juce::uint8> image (imageSize);
        VeskModel::writeDefaults (image.data());

        for (int slot = 0; slot < numPatternRecords; ++slot)
            image[(size_t) patternRecordOffset (slot) + Pattern::level] = (juce::uint8) (90 + slot);

        return image;
    }

    std::vector<juce::uint8> recordOf (const std::vector<juce::uint8>& image, int slot)
    {
        const auto start = image.begin() + patternRecordOffset (slot);
        return { start, start + patternSize };
    }
}

TEST (VeskPatternText, LinesAreTheDataSetsTheUnitGetsAndReadBackAsTheSameRecords)
{
    const auto image = testImage();
    const auto text = VeskPatternText::fromSlots (image.data(), { 0, 3, 20 });
    const auto lines = juce::StringArray::fromLines (text.trimEnd());
    ASSERT_EQ (lines.size(), 3);

    const auto user3 = VeskProtocol::patternBulk (Area::userPattern, 2, image.data() + patternRecordOffset (3));
    EXPECT_EQ (lines[1], juce::String::toHexString (user3.getRawData(), user3.getRawDataSize()).toUpperCase());
    EXPECT_TRUE (lines[0].startsWith ("F0 41 10 00 4F 12 01 00 00 00 ")) << "the temporary pattern's address";

    // As another program may hand it back: lower case, without spaces, blank lines around.
    for (const auto& variant : { text, "\n" + text.toLowerCase() + "\r\n\n", text.removeCharacters (" ") })
    {
        std::vector<VeskPatternText::Record> records;
        ASSERT_TRUE (VeskPatternText::parse (variant, records).wasOk());
        ASSERT_EQ (records.size(), 3u);

        for (auto [i, slot] : { std::pair (0, 0), std::pair (1, 3), std::pair (2, 20) })
            EXPECT_EQ (std::pair (records[(size_t) i].slot, std::vector<juce::uint8> (records[(size_t) i].bytes.begin(), records[(size_t) i].bytes.end())), std::pair (slot, recordOf (image, slot)));
    }
}

TEST (VeskPatternText, AnythingButPatternDataSetsIsRefusedWholeSayingWhy)
{
    const auto image = testImage();
    const auto good = VeskPatternText::fromSlots (image.data(), { 5 }).trimEnd();
    auto badChecksum = good.dropLastCharacters (5) + (good.endsWith ("00 F7") ? "01 F7" : "00 F7");
    const auto system = VeskProtocol::systemBulk (image.data());
    const auto oneByte = VeskProtocol::dataSet (1, 0, 10, 64);

    // User 06's bytes as another device would take them, or written from
    // inside a record: each with a checksum that holds.
    auto changed = [&image] (std::initializer_list<std::pair<size_t, juce::uint8>> changes)
    {
        const auto m = VeskProtocol::patternBulk (Area::userPattern, 5, image.data() + patternRecordOffset (6));
        std::vector<juce::uint8> bytes (m.getRawData(), m.getRawData() + m.getRawDataSize());

        for (auto [at, value] : changes)
            bytes[at] = value;

        bytes[bytes.size() - 2] = VeskProtocol::computeChecksum (bytes.data() + 1, (int) bytes.size() - 2);
        return juce::String::toHexString (bytes.data(), (int) bytes.size());
    };

    struct Case
    {
        juce::String text, why;
    };

    const Case cases[] = {
        { "", "holds no pattern" },
        { "\n  \n", "holds no pattern" },
        { "Verse A, 120 BPM", "line 1 it is not hex bytes" },
        { good + "\nF0 4", "line 2 it is not hex bytes" },
        { "41 10 00 4F 12", "line 1 is not one exclusive message" },
        { badChecksum, "line 1 is not a pattern of this unit: bad checksum" },
        { juce::String::toHexString (system.getRawData(), system.getRawDataSize()), "line 1 is the system block" },
        { juce::String::toHexString (oneByte.getRawData(), oneByte.getRawDataSize()), "line 1 is not a pattern of this unit: truncated" },
        { good.replace ("F0 41", "F0 43"), "not this unit" },
        { good.dropLastCharacters (2) + "7F", "line 1 is not one exclusive message" },
        { good + "\n" + good.dropLastCharacters (2) + "00", "line 2 is not one exclusive message" },
        { changed ({ { 2, 0x11 } }), "line 1 is not a pattern of this unit: another device's" },
        { changed ({ { 2, 0x7F } }), "another device's" },
        { changed ({ { 8, 0x01 } }), "line 1 is not a pattern of this unit: not at a record's start" },
        { changed ({ { 9, 0x05 } }), "not at a record's start" },
        { changed ({ { 6, 0x01 } }), "not at a record's start" }, // the temporary pattern's, with an index
        { changed ({ { 6, 0x00 }, { 7, 0x00 }, { 9, 0x01 } }), "not at a record's start" }, // the system block's
        { juce::String::repeatedString (good + "\n", 200), "more than 64 KiB" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text.substring (0, 60));
        std::vector<VeskPatternText::Record> records (1);
        const auto result = VeskPatternText::parse (c.text, records);
        EXPECT_TRUE (result.getErrorMessage().contains (c.why)) << result.getErrorMessage();
        EXPECT_TRUE (records.empty());
    }
}

TEST (VeskPatternSource, ALibraryHoldsEverySlotASyxOnlyItsDumpsAndADamagedFileChangesNothing)
{
    const auto image = testImage();
    juce::TemporaryFile library (".vsk"), syx (".syx"), damaged (".syx"), folder ("");
    ASSERT_TRUE (VeskLibraryFile::write (library.getFile(), image.data()).wasOk());

    juce::MemoryBlock dumps;

    for (auto m : { VeskProtocol::patternBulk (Area::userPattern, 6, image.data() + patternRecordOffset (7)),
                    VeskProtocol::systemBulk (image.data()) })
        dumps.append (m.getRawData(), (size_t) m.getRawDataSize());

    ASSERT_TRUE (syx.getFile().replaceWithData (dumps.getData(), dumps.getSize()));
    ASSERT_TRUE (damaged.getFile().replaceWithText ("no dumps here"));

    VeskPatternSource source;
    ASSERT_TRUE (VeskPatternSource::read (library.getFile(), source).wasOk());
    EXPECT_EQ (std::vector<juce::uint8> (source.image.begin(), source.image.end()), image);

    for (int slot = 0; slot < numPatternRecords; ++slot)
        EXPECT_TRUE (source.holds (slot));

    ASSERT_TRUE (VeskPatternSource::read (syx.getFile(), source).wasOk());
    EXPECT_EQ (source.file, syx.getFile());

    for (int slot = 0; slot < numPatternRecords; ++slot)
        EXPECT_EQ (source.holds (slot), slot == 7) << slot;

    EXPECT_EQ (recordOf (std::vector<juce::uint8> (source.image.begin(), source.image.end()), 7), recordOf (image, 7));

    for (const auto& bad : { damaged.getFile(), folder.getFile().getParentDirectory(), juce::File ("/nonexistent/x.vsk") })
    {
        SCOPED_TRACE (bad.getFullPathName());
        const auto result = VeskPatternSource::read (bad, source);
        EXPECT_TRUE (result.failed());
        EXPECT_TRUE (result.getErrorMessage().startsWith ("\"" + bad.getFileName() + "\": ")) << result.getErrorMessage();
        EXPECT_EQ (source.file, syx.getFile()) << "the source read before is kept";
    }
}
