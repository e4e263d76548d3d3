#include "model/VeskSyxFile.h"

#include <gtest/gtest.h>

namespace
{
    using Bytes = std::vector<juce::uint8>;
    using Kind = VeskSyxFile::Skipped::Kind;

    VeskSyxFile::Contents parse (const Bytes& bytes, size_t maxBody = 169)
    {
        return VeskSyxFile::parse (bytes.data(), bytes.size(), maxBody);
    }

    Bytes bodyOf (const VeskSyxFile::Message& m)
    {
        auto* p = static_cast<const juce::uint8*> (m.body.getData());
        return { p, p + m.body.getSize() };
    }
}

TEST (VeskSyxFile, SplitsMessagesAndMergesJunkBetweenThem)
{
    auto c = parse ({ 0xF0, 1, 2, 0xF7, 0x00, 0x7F, 0x90, 0xF7, 0xF0, 0xF7, 0xF0, 3, 0xF7 });

    ASSERT_EQ (c.messages.size(), 3u);
    EXPECT_EQ (bodyOf (c.messages[0]), (Bytes { 1, 2 }));
    EXPECT_EQ (bodyOf (c.messages[1]), Bytes {});
    EXPECT_EQ (c.messages[2].fileOffset, 10u);
    EXPECT_EQ (bodyOf (c.messages[2]), (Bytes { 3 }));

    ASSERT_EQ (c.skipped.size(), 1u);
    EXPECT_EQ (c.skipped[0].kind, Kind::junk);
    EXPECT_EQ (c.skipped[0].fileOffset, 4u);
    EXPECT_EQ (c.skipped[0].length, 4u);
    EXPECT_EQ (VeskSyxFile::describe (c.skipped[0]), "4 bytes outside any message at byte 4");
}

TEST (VeskSyxFile, DamagedFramingIsSkippedAndTheNextMessageStillFound)
{
    // Cut short by a new F0, then a note-on status, then an unterminated end.
    auto c = parse ({ 0xF0, 1, 2, 0xF0, 5, 0xF7, 0xF0, 6, 0x90, 0xF0, 7 });

    ASSERT_EQ (c.messages.size(), 1u);
    EXPECT_EQ (bodyOf (c.messages[0]), (Bytes { 5 }));

    ASSERT_EQ (c.skipped.size(), 4u);
    EXPECT_EQ (c.skipped[0].kind, Kind::interrupted);
    EXPECT_EQ (c.skipped[0].length, 3u);
    EXPECT_EQ (c.skipped[1].kind, Kind::interrupted);
    EXPECT_EQ (c.skipped[2].kind, Kind::junk); // the 0x90 itself
    EXPECT_EQ (c.skipped[3].kind, Kind::unterminated);
    EXPECT_EQ (c.skipped[3].fileOffset, 9u);
    EXPECT_EQ (c.skipped[3].length, 2u);
}

TEST (VeskSyxFile, OverLongMessageIsSkippedWhole)
{
    Bytes bytes { 0xF0 };
    bytes.insert (bytes.end(), 170, 0x11);
    bytes.push_back (0xF7);
    bytes.insert (bytes.end(), { 0xF0, 0x22, 0xF7 });

    auto c = parse (bytes);
    ASSERT_EQ (c.messages.size(), 1u);
    EXPECT_EQ (bodyOf (c.messages[0]), (Bytes { 0x22 }));
    ASSERT_EQ (c.skipped.size(), 1u);
    EXPECT_EQ (c.skipped[0].kind, Kind::tooLong);
    EXPECT_EQ (c.skipped[0].length, 172u);

    bytes.erase (bytes.begin() + 1); // 169 bytes: the largest dump fits
    EXPECT_EQ (parse (bytes).messages.size(), 2u);
}
