#include "RecordingMidiOut.h"
#include "model/VeskModel.h"
#include "model/VeskPatternSlots.h"

#include <gtest/gtest.h>

#include <functional>

using namespace VeskImage;

namespace
{
    using Bytes = std::vector<juce::uint8>;

    Bytes randomImage (int seed)
    {
        Bytes image ((size_t) imageSize);
        juce::Random random (seed);

        for (auto& b : image)
            b = (juce::uint8) random.nextInt (128);

        return image;
    }

    Bytes recordOf (const Bytes& image, int slot)
    {
        auto begin = image.begin() + patternRecordOffset (slot);
        return { begin, begin + patternSize };
    }
}

TEST (VeskPatternSlots, ParsesTemporaryAndUserSlotsOnly)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        { "temp", 0 },
        { "1", 1 },
        { "01", 1 },
        { "9", 9 },
        { "20", 20 },
        { "0", {} },
        { "21", {} },
        { "001", {} },
        { "-1", {} },
        { "+1", {} },
        { " 1", {} },
        { "1x", {} },
        { "", {} },
        { "Temp", {} },
        { "temporary", {} },
    };

    for (const auto& [text, slot] : cases)
    {
        SCOPED_TRACE (text);
        EXPECT_EQ (VeskPatternSlots::parseSlot (text), slot);
    }
}

TEST (VeskPatternSlots, OnlyTheTargetRecordsChange)
{
    const auto original = randomImage (3), other = randomImage (4);
    RecordingMidiOut midi;
    VeskModel defaults (midi);
    const Bytes defaultImage (defaults.image, defaults.image + imageSize);
    using Op = std::function<void (juce::uint8*)>;

    // Each operation, and the records it should leave: slot, image and slot they come from.
    const std::tuple<const char*, Op, std::vector<std::tuple<int, const Bytes*, int>>> cases[] = {
        { "copy 3 to 7", [] (auto* i)
          { VeskPatternSlots::copy (i, 3, 7); },
          { { 7, &original, 3 } } },
        { "copy temp to 20", [] (auto* i)
          { VeskPatternSlots::copy (i, 0, 20); },
          { { 20, &original, 0 } } },
        { "copy 1 to temp", [] (auto* i)
          { VeskPatternSlots::copy (i, 1, 0); },
          { { 0, &original, 1 } } },
        { "copy 5 onto itself", [] (auto* i)
          { VeskPatternSlots::copy (i, 5, 5); },
          {} },
        { "copy other 9 to 2", [&] (auto* i)
          { VeskPatternSlots::copy (i, other.data(), 9, 2); },
          { { 2, &other, 9 } } },
        { "copy other 20 to temp", [&] (auto* i)
          { VeskPatternSlots::copy (i, other.data(), 20, 0); },
          { { 0, &other, 20 } } },
        { "swap 3 and 7", [] (auto* i)
          { VeskPatternSlots::swap (i, 3, 7); },
          { { 3, &original, 7 }, { 7, &original, 3 } } },
        { "swap 7 and 3", [] (auto* i)
          { VeskPatternSlots::swap (i, 7, 3); },
          { { 3, &original, 7 }, { 7, &original, 3 } } },
        { "swap temp and 20", [] (auto* i)
          { VeskPatternSlots::swap (i, 0, 20); },
          { { 0, &original, 20 }, { 20, &original, 0 } } },
        { "swap 4 and 4", [] (auto* i)
          { VeskPatternSlots::swap (i, 4, 4); },
          {} },
        { "swap 2 and 19 twice", [] (auto* i)
          { VeskPatternSlots::swap (i, 2, 19); VeskPatternSlots::swap (i, 19, 2); },
          {} },
        { "init 12", [] (auto* i)
          { VeskPatternSlots::initialise (i, 12); },
          { { 12, &defaultImage, 12 } } },
        { "init temp", [] (auto* i)
          { VeskPatternSlots::initialise (i, 0); },
          { { 0, &defaultImage, 0 } } },
    };

    for (const auto& [name, op, changed] : cases)
    {
        SCOPED_TRACE (name);
        auto expected = original;

        for (const auto& [slot, source, from] : changed)
        {
            const auto record = recordOf (*source, from);
            std::copy (record.begin(), record.end(), expected.begin() + patternRecordOffset (slot));
        }

        auto image = original;
        op (image.data());
        EXPECT_EQ (image, expected);
    }
}

TEST (VeskPatternSlots, InitialiseLeavesWhatResetPatternLeaves)
{
    RecordingMidiOut midi;
    VeskModel model (midi);
    const auto garbage = randomImage (5);
    std::copy (garbage.begin(), garbage.end(), model.image);

    for (int index : { 0, 13, 19 })
    {
        SCOPED_TRACE (index);
        auto image = garbage;
        VeskPatternSlots::initialise (image.data(), index + 1);

        model.currentPatternIndex = index;
        model.currentPattern = model.userPattern (index);
        model.resetPattern();
        EXPECT_EQ (image, Bytes (model.image, model.image + imageSize));
        std::copy (garbage.begin(), garbage.end(), model.image);
    }
}
