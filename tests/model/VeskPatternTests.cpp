#include "model/VeskFieldTable.h"
#include "model/VeskMidiFile.h"
#include "model/VeskNames.h"
#include "model/VeskPattern.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using namespace VeskImage;

namespace
{
    VeskPattern::Record defaultRecord()
    {
        VeskPattern::Record record;
        std::copy_n (defaults.begin() + temporaryPatternOffset, patternSize, record.begin());
        return record;
    }
}

TEST (VeskPattern, StepsPerBarIsTwelveOnlyForByteZeroAtEveryByteValue)
{
    auto record = defaultRecord();

    for (int byte = 0; byte < 256; ++byte)
    {
        record[Pattern::stepsPerBar] = (juce::uint8) byte;
        const int expected = byte == 0 ? 12 : 16;
        EXPECT_EQ (VeskPattern (record).stepsPerBar(), expected) << byte;

        // The Steps control and the listing read the same byte the same way.
        if (byte < 128)
        {
            EXPECT_EQ (VeskFieldTable::pattern (Pattern::stepsPerBar, record.data()).shownAt (record.data(), Pattern::stepsPerBar), expected) << byte;
        }
    }
}

TEST (VeskPattern, BarsAndPlayedStepsAtTheirEdges)
{
    struct Case
    {
        int lengthByte, perBarByte, bars;
        bool secondBar;
        int played;
        const char* length;
    };

    const Case cases[] = {
        { 0, 0, 1, false, 12, "1 x 12" },
        { 0, 1, 1, false, 16, "1 x 16" },
        { 1, 0, 2, true, 24, "2 x 12" },
        { 1, 1, 2, true, 32, "2 x 16" },
        // Damaged bytes: the number plus one, as the collection stores it; never more than 32 steps played.
        { 2, 0, 3, true, 32, "3 x 12" },
        { 127, 5, 128, true, 32, "128 x 16" },
        { 255, 1, 256, true, 32, "256 x 16" },
    };

    for (const auto& c : cases)
    {
        auto record = defaultRecord();
        record[Pattern::patternLength] = (juce::uint8) c.lengthByte;
        record[Pattern::stepsPerBar] = (juce::uint8) c.perBarByte;
        const VeskPattern pattern (record);
        SCOPED_TRACE (c.length);

        EXPECT_EQ (pattern.bars(), c.bars);
        EXPECT_EQ (pattern.hasSecondBar(), c.secondBar);
        EXPECT_EQ (pattern.playedSteps(), c.played);
        EXPECT_EQ (Pattern::playedSteps (record.data()), c.played);
        EXPECT_EQ (pattern.lengthText(), c.length);
    }
}

TEST (VeskPattern, TempoKeepsItsTenthsUntilTheListsShowWholeBeats)
{
    EXPECT_EQ (VeskPattern (defaultRecord()).tempo(), 1300); // 10 x 128 + 20
    EXPECT_DOUBLE_EQ (VeskPattern::bpm (955), 95.5);

    const std::tuple<int, const char*, const char*> cases[] = {
        // tenths, beats with one decimal, a list's column
        { 1300, "130.0", "130" },
        { 955, "95.5", "95" }, // whole beats drop the tenths, never round up
        { 400, "40.0", "40" },
        { 2400, "240.0", "240" },
        { 399, "39.9", "399 (out of range)" },
        { 2401, "240.1", "2401 (out of range)" },
        { 16383, "1638.3", "16383 (out of range)" },
        { 0, "0.0", "0 (out of range)" },
    };

    for (const auto& [tenths, text, listed] : cases)
    {
        auto record = defaultRecord();
        Pattern::storeTempo (record.data(), tenths);
        const VeskPattern pattern (record);
        SCOPED_TRACE (text);

        EXPECT_EQ (VeskPattern::bpmText (pattern.tempo()), text);
        EXPECT_EQ (pattern.tempoText(), listed);
        EXPECT_EQ (pattern.tempoIsPlayable(), tenths >= 400 && tenths <= 2400);
    }

    // vesk printed the tempo with one decimal of a double: the same text at every value the bytes hold.
    for (int tenths = 0; tenths <= 0x3FFF; ++tenths)
        ASSERT_EQ (VeskPattern::bpmText (tenths), juce::String (tenths / 10.0, 1)) << tenths;
}

TEST (VeskPattern, EveryTypeIsNamedOnceAndAnUnknownOneTheSameWayEverywhere)
{
    auto record = defaultRecord();

    for (int type = 0; type < PartType::numTypes; ++type)
    {
        record[Pattern::type] = (juce::uint8) type;
        EXPECT_EQ (VeskPattern (record).typeName(), VeskNames::partTypes()[type]);
    }

    for (int type : { (int) PartType::numTypes, 9, 127 })
    {
        record[Pattern::type] = (juce::uint8) type;
        const VeskPattern pattern (record);
        const auto name = "type " + juce::String (type);
        SCOPED_TRACE (name);

        EXPECT_EQ (pattern.typeName(), name);
        EXPECT_EQ (pattern.summary(), name + ", 130 BPM, 1 x 16"); // no tone or kit to name

        juce::uint8 image[imageSize] = {};
        const auto slot = *VeskBlock::user (3);
        std::copy (record.begin(), record.end(), image + slot.imageOffset());
        EXPECT_EQ (VeskMidiFile::trackName (image, slot), "User 03 - " + name);
    }
}
