#include "RecordingMidiOut.h"
#include "model/VeskModel.h"

#include <gtest/gtest.h>

using namespace VeskImage;

namespace
{
    const std::vector<int> patternHeaderDefaults { 10, 20, 0, 1, 0, 1, 0, 64, 127, 64, 64, 64, 64, 127, 64, 121,
                                                   0, 1, 0, 3, 8, 0, 8, 0, 127, 0, 64, 64, 8, 0, 2 };

    void expectDefaultImage (const VeskModel& model)
    {
        const std::vector<int> system { 63, 1, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 12 };

        for (int i = 0; i < systemBlockSize; ++i)
            EXPECT_EQ (model.image[i], system[(size_t) i]) << "system offset " << i;

        for (int record = 0; record < numPatternRecords; ++record)
        {
            const auto* p = model.image + patternRecordOffset (record);

            for (int i = 0; i < 31; ++i)
                EXPECT_EQ (p[i], patternHeaderDefaults[(size_t) i]) << "record " << record << " offset " << i;

            for (int s = 0; s < Pattern::numSteps; ++s)
            {
                EXPECT_EQ (p[Pattern::stepNote + s], 64);
                EXPECT_EQ (p[Pattern::stepLevel + s], 64);
                EXPECT_EQ (p[Pattern::stepGate + s], 80);
                EXPECT_EQ (p[Pattern::stepType + s], 0);
            }
        }

        for (int i = reservedAreaOffset; i < imageSize; ++i)
            ASSERT_EQ (model.image[i], 0) << "reserved offset " << i;
    }
}

TEST (VeskImage, LayoutOfTheRegions)
{
    EXPECT_EQ (patternRecordOffset (0), 13);
    EXPECT_EQ (patternRecordOffset (1), 172);
    EXPECT_EQ (userPatternOffset (19), 172 + 19 * 159);
    EXPECT_EQ (userPatternOffset (19) + patternSize, reservedAreaOffset);
    EXPECT_EQ (reservedAreaOffset + reservedAreaSize, imageSize);
}

TEST (VeskModelReset, ConstructionLeavesTheDefaultImageAndSends658MessagesInOrder)
{
    RecordingMidiOut out;
    VeskModel model (out);

    expectDefaultImage (model);
    EXPECT_EQ (model.currentPatternIndex, -1);
    EXPECT_EQ (model.currentPattern, model.temporaryPattern);

    ASSERT_EQ (out.messages.size(), 658u);

    // System defaults first, in their own order, then the channel.
    EXPECT_EQ (out.hexAt (0), "F0 41 10 00 4F 12 00 00 00 00 3F 41 F7");
    EXPECT_EQ (out.hexAt (1), "F0 41 10 00 4F 12 00 00 00 0C 0C 68 F7");
    EXPECT_EQ (out.hexAt (2), "F0 41 10 00 4F 12 00 00 00 01 01 7E F7");
    EXPECT_EQ (out.hexAt (3), "F0 41 10 00 4F 12 00 00 00 09 01 76 F7");
    EXPECT_EQ (out.hexAt (4), "F0 41 10 00 4F 12 00 00 00 03 01 7C F7");
    EXPECT_EQ (out.hexAt (5), "F0 41 10 00 4F 12 00 00 00 06 01 79 F7");
    EXPECT_EQ (out.hexAt (6), "F0 41 10 00 4F 12 00 00 00 08 00 78 F7");

    // Then 21 identical pattern resets, each aimed at the unit's temporary pattern.
    const std::vector<std::string> firstPattern {
        "F0 41 10 00 4F 12 01 00 00 05 01 79 F7", // type
        "F0 41 10 00 4F 12 01 00 00 00 0A 75 F7", // tempo high
        "F0 41 10 00 4F 12 01 00 00 01 14 6A F7", // tempo low
        "F0 41 10 00 4F 12 01 00 00 02 00 7D F7", // length
        "F0 41 10 00 4F 12 01 00 00 03 01 7B F7", // steps per bar
        "F0 41 10 00 4F 12 01 00 00 04 00 7B F7", // loop control
        "F0 41 10 00 4F 12 01 00 00 06 00 79 F7", // tone
        "B0 10 40",
        "B0 11 7F",
        "B0 12 40",
        "B0 4A 40",
        "B0 47 40",
        "B0 53 40",
        "B0 07 7F",
        "B0 0A 40",
    };

    for (size_t i = 0; i < firstPattern.size(); ++i)
        EXPECT_EQ (out.hexAt (7 + i), firstPattern[i]) << "message " << 7 + i;

    for (int offset = 15; offset <= 30; ++offset)
    {
        const auto& m = out.messages[(size_t) (7 + 15 + offset - 15)];
        EXPECT_EQ (m[9], offset);
        EXPECT_EQ (m[10], patternHeaderDefaults[(size_t) offset]);
    }

    for (size_t record = 1; record < 21; ++record)
        for (size_t i = 0; i < 31; ++i)
            ASSERT_EQ (out.messages[7 + record * 31 + i], out.messages[7 + i]) << "pattern " << record << " message " << i;
}

TEST (VeskModelReset, NewRestoresEverythingIncludingTheReservedArea)
{
    RecordingMidiOut out;
    VeskModel model (out);

    for (auto& b : model.image)
        b = 0x55;

    model.resetToDefaults();
    expectDefaultImage (model);
}

TEST (VeskModelReset, KeepsEditingTheRecordThePatternSelectorNames)
{
    RecordingMidiOut out;
    VeskModel model (out);

    model.currentPatternIndex = 4;
    model.selectUserPattern();
    model.resetToDefaults();

    EXPECT_EQ (model.currentPatternIndex, 4);
    EXPECT_EQ (model.currentPattern, model.bytesOf (*VeskBlock::user (5)));

    model.selectTemporaryPattern();
    model.resetToDefaults();
    EXPECT_EQ (model.currentPattern, model.temporaryPattern);
}

TEST (VeskModelReset, ResetPatternTouchesOnlyTheCurrentRecord)
{
    RecordingMidiOut out;
    VeskModel model (out);

    for (auto& b : model.image)
        b = 0x11;

    model.currentPatternIndex = 2;
    model.selectUserPattern();
    out.clear();
    model.resetPattern();

    EXPECT_EQ (out.messages.size(), 31u);

    for (int i = 0; i < imageSize; ++i)
    {
        const bool inRecord = i >= userPatternOffset (2) && i < userPatternOffset (2) + patternSize;

        if (! inRecord)
        {
            ASSERT_EQ (model.image[i], 0x11) << "offset " << i;
        }
    }

    EXPECT_EQ (model.currentPattern[Pattern::tempoHigh], 10);
    EXPECT_EQ (model.currentPattern[Pattern::stepGate + 31], 80);
}

namespace
{
    /** FNV-1a over every message, each preceded by its length, so a message
        split in two or moved hashes differently. */
    std::uint64_t hashOf (const std::vector<std::vector<juce::uint8>>& messages)
    {
        std::uint64_t h = 14695981039346656037ull;
        auto mix = [&h] (juce::uint8 b)
        {
            h ^= b;
            h *= 1099511628211ull;
        };

        for (auto& m : messages)
        {
            mix ((juce::uint8) m.size());

            for (auto b : m)
                mix (b);
        }

        return h;
    }

    std::uint64_t hashOf (const juce::uint8* bytes, int size)
    {
        return hashOf ({ std::vector<juce::uint8> (bytes, bytes + size) });
    }
}

TEST (VeskModelReset, SendsAndLeavesWhatItAlwaysHasWhateverItStartsFrom)
{
    // Recorded from the reset as it was when it built the defaults field by field.
    constexpr std::uint64_t resetMessages = 7564692133244236039ull, defaultImage = 3432804567413328779ull;

    struct Start
    {
        const char* name;
        juce::uint8 fill;
        int patternIndex;
    };

    // 0x55 also leaves the unit's channel off until the reset stores channel 1.
    const Start starts[] = { { "a fresh library", 0, -1 }, { "every byte 0x55", 0x55, -1 }, { "user pattern 5 shown", 0x11, 4 } };

    for (auto& start : starts)
    {
        SCOPED_TRACE (start.name);
        RecordingMidiOut out;
        VeskModel model (out);

        if (start.fill != 0)
            std::fill (std::begin (model.image), std::end (model.image), start.fill);

        model.currentPatternIndex = start.patternIndex;
        model.selectUserPattern();
        out.clear();
        model.resetToDefaults();

        EXPECT_EQ (out.messages.size(), 658u);
        EXPECT_EQ (hashOf (out.messages), resetMessages);
        EXPECT_EQ (hashOf (model.image, imageSize), defaultImage);
        EXPECT_TRUE (std::equal (defaults.begin(), defaults.end(), model.image));
        EXPECT_FALSE (model.hasChangedSinceSaved());
    }

    EXPECT_EQ (hashOf (defaults.data(), imageSize), defaultImage);
}
