#include "model/VeskBlock.h"
#include "model/VeskDecoder.h"
#include "model/VeskProtocol.h"

#include <gtest/gtest.h>

#include <set>

using namespace VeskImage;

TEST (VeskBlock, EveryNumberingOfEveryBlockComesBackToIt)
{
    const auto all = VeskBlock::all();
    ASSERT_EQ (all.size(), 22u);
    EXPECT_EQ (all.front(), VeskBlock::system());
    EXPECT_TRUE (std::is_sorted (all.begin(), all.end())) << "the image's order";

    std::set<juce::String> names, cliNames;
    juce::uint8 image[imageSize] = {};

    for (const auto block : all)
    {
        SCOPED_TRACE (block.name().toStdString());
        EXPECT_TRUE (names.insert (block.name()).second && cliNames.insert (block.cliName()).second);
        EXPECT_EQ (VeskBlock::fromName (block.cliName(), true), block);
        EXPECT_EQ (VeskBlock::fromAddress (block.addressArea(), block.addressIndex()), block);

        // A dump addressed as the block says lands on the block's own bytes, and only there.
        std::vector<juce::uint8> bytes ((size_t) block.size(), 0x55);
        const auto message = block.isSystem() ? VeskProtocol::systemBulk (bytes.data())
                                              : VeskProtocol::patternBulk (block.addressArea(), block.addressIndex(), bytes.data());
        std::fill (image, image + imageSize, 0);
        const auto dump = VeskDecoder::applyDump (image, message.getSysExData(), message.getSysExDataSize());
        ASSERT_TRUE (dump.applied());
        EXPECT_EQ (dump.block, block);
        EXPECT_EQ (std::count (image, image + imageSize, 0x55), block.size());
        EXPECT_EQ (image[block.imageOffset()], 0x55);
        EXPECT_EQ (image[block.imageOffset() + block.size() - 1], 0x55);

        // What the program sends of a block is that same dump.
        const auto sent = VeskProtocol::blockBulk (image, block);
        EXPECT_EQ (juce::MemoryBlock (sent.getRawData(), (size_t) sent.getRawDataSize()),
                   juce::MemoryBlock (message.getRawData(), (size_t) message.getRawDataSize()));

        if (block.isSystem())
        {
            EXPECT_EQ (block.userNumber(), 0);
            continue;
        }

        EXPECT_EQ (VeskBlock::fromRecord (block.record()), block);
        EXPECT_EQ (VeskBlock::fromPatternIndex (block.patternIndex()), block);
        EXPECT_EQ (VeskBlock::fromSelectorIndex (block.selectorIndex()), block);
        EXPECT_EQ (block.imageOffset(), patternRecordOffset (block.record()));
        EXPECT_EQ (block.isUser(), block.userNumber() > 0);

        if (block.isUser())
        {
            EXPECT_EQ (VeskBlock::user (block.userNumber()), block);
        }
    }

    EXPECT_EQ (VeskBlock::temporary().patternIndex(), -1);
    EXPECT_EQ (VeskBlock::user (20)->patternIndex(), 19);
    EXPECT_EQ (VeskBlock::user (3)->name(), "User 03");
    EXPECT_EQ (VeskBlock::user (3)->cliName(), "3");
    EXPECT_EQ (VeskBlock::user (20)->imageOffset() + patternSize, reservedAreaOffset);
    EXPECT_EQ (VeskBlock::patterns().size(), (size_t) numPatternRecords);
}

TEST (VeskBlock, NumbersAndNamesOfNoBlockAreRefused)
{
    for (const int record : { -1, 21, 100 })
        EXPECT_FALSE (VeskBlock::fromRecord (record).has_value()) << record;

    for (const int index : { -2, 20 })
        EXPECT_FALSE (VeskBlock::fromPatternIndex (index).has_value()) << index;

    for (const int number : { 0, 21, -1 })
        EXPECT_FALSE (VeskBlock::user (number).has_value()) << number;

    EXPECT_FALSE (VeskBlock::fromAddress (3, 0).has_value());
    EXPECT_FALSE (VeskBlock::fromAddress (VeskImage::Area::userPattern, 20).has_value());

    for (const char* name : { "", "0", "00", "21", "007", "+7", " 7", "7 ", "Temp", "temporary", "1.5", "system" })
        EXPECT_FALSE (VeskBlock::fromName (name).has_value()) << "'" << name << "'";

    EXPECT_EQ (VeskBlock::fromName ("07"), VeskBlock::user (7));
    EXPECT_EQ (VeskBlock::fromName ("system", true), VeskBlock::system());
}

TEST (VeskBlock, EveryImageOffsetLiesInTheBlockThatHoldsItOrInNone)
{
    for (int offset = -1; offset <= imageSize; ++offset)
    {
        const auto block = VeskBlock::containing (offset);
        const auto all = VeskBlock::all();
        const auto holder = std::find_if (all.begin(), all.end(), [offset] (VeskBlock b)
                                          { return offset >= b.imageOffset() && offset < b.imageOffset() + b.size(); });

        ASSERT_EQ (block.has_value(), holder != all.end()) << "offset " << offset;

        if (block.has_value())
            ASSERT_EQ (*block, *holder) << "offset " << offset;
        else
            ASSERT_TRUE (offset < 0 || offset >= reservedAreaOffset) << "offset " << offset;
    }
}

TEST (VeskBlock, ProgramChangesSelectUserPatternsOnly)
{
    std::set<int> programs;

    for (const auto block : VeskBlock::patterns())
    {
        SCOPED_TRACE (block.name().toStdString());

        if (! block.isUser())
            continue;

        EXPECT_EQ (VeskBlock::fromProgram (block.programNumber()), block);
        EXPECT_EQ (block.programNumber(), block.addressIndex()) << "the unit numbers its user patterns one way";
        programs.insert (block.programNumber());
    }

    EXPECT_EQ (programs.size(), (size_t) numUserPatterns);

    for (const int program : { -1, 20, 127 })
        EXPECT_FALSE (VeskBlock::fromProgram (program).has_value()) << program;
}
