#include "RecordingMidiOut.h"
#include "model/VeskModel.h"
#include "model/VeskPatternSlots.h"

#include <gtest/gtest.h>

#include <functional>

using namespace VeskImage;
using Bytes = std::vector<juce::uint8>;

TEST (VeskPatternSlots, SlotNames)
{
    const std::pair<const char*, int> cases[] = { { "temp", 0 }, { "1", 1 }, { "01", 1 }, { "20", 20 }, { "0", -1 }, { "21", -1 }, { "001", -1 }, { "+1", -1 }, { "1x", -1 }, { "Temp", -1 }, { "", -1 } };

    for (const auto& [text, slot] : cases)
        EXPECT_EQ (VeskPatternSlots::parseSlot (text).value_or (-1), slot) << text;
}

TEST (VeskPatternSlots, OnlyTheTargetRecordsChange)
{
    Bytes original ((size_t) imageSize), other ((size_t) imageSize);
    juce::Random random (3);
    std::generate (original.begin(), original.end(), [&]
                   { return (juce::uint8) random.nextInt (128); });
    std::generate (other.begin(), other.end(), [&]
                   { return (juce::uint8) random.nextInt (128); });
    RecordingMidiOut midi;
    VeskModel model (midi); // its reset's bytes are the defaults
    const Bytes defaults (model.image, model.image + imageSize);
    using S = VeskPatternSlots;

    // Each operation, and the records it leaves: slot, and the image and slot they come from.
    const std::tuple<const char*, std::function<void (juce::uint8*)>, std::vector<std::tuple<int, const Bytes*, int>>> cases[] = {
        { "copy 3 to 7", [] (auto* i)
          { S::copy (i, 3, 7); },
          { { 7, &original, 3 } } },
        { "copy temp to 20", [] (auto* i)
          { S::copy (i, 0, 20); },
          { { 20, &original, 0 } } },
        { "copy 5 onto itself", [] (auto* i)
          { S::copy (i, 5, 5); },
          {} },
        { "copy other 9 to temp", [&] (auto* i)
          { S::copy (i, other.data(), 9, 0); },
          { { 0, &other, 9 } } },
        { "swap 3 and 7", [] (auto* i)
          { S::swap (i, 3, 7); },
          { { 3, &original, 7 }, { 7, &original, 3 } } },
        { "swap 20 and temp", [] (auto* i)
          { S::swap (i, 20, 0); },
          { { 0, &original, 20 }, { 20, &original, 0 } } },
        { "swap 2 and 19 twice", [] (auto* i)
          { S::swap (i, 2, 19); S::swap (i, 19, 2); },
          {} },
        { "init 12", [] (auto* i)
          { S::initialise (i, 12); },
          { { 12, &defaults, 12 } } },
    };

    for (const auto& [name, operation, changed] : cases)
    {
        SCOPED_TRACE (name);
        auto expected = original, image = original;

        for (const auto& [slot, source, from] : changed)
            std::copy_n (source->begin() + patternRecordOffset (from), patternSize, expected.begin() + patternRecordOffset (slot));

        operation (image.data());
        EXPECT_EQ (image, expected);
    }
}
