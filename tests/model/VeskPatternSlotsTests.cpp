#include "RecordingMidiOut.h"
#include "model/VeskModel.h"
#include "model/VeskPatternSlots.h"

#include <gtest/gtest.h>

#include <functional>

using namespace VeskImage;
using Bytes = std::vector<juce::uint8>;

namespace
{
    VeskBlock slot (int record) { return *VeskBlock::fromRecord (record); }
}

TEST (VeskPatternSlots, SlotNames)
{
    const std::pair<const char*, int> cases[] = { { "temp", 0 }, { "1", 1 }, { "01", 1 }, { "20", 20 }, { "0", -1 }, { "21", -1 }, { "001", -1 }, { "+1", -1 }, { "1x", -1 }, { "Temp", -1 }, { "", -1 } };

    for (const auto& [text, slot] : cases)
        EXPECT_EQ (VeskBlock::fromName (text), VeskBlock::fromRecord (slot)) << text;
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
          { S::copy (i, slot (3), slot (7)); },
          { { 7, &original, 3 } } },
        { "copy temp to 20", [] (auto* i)
          { S::copy (i, slot (0), slot (20)); },
          { { 20, &original, 0 } } },
        { "copy 5 onto itself", [] (auto* i)
          { S::copy (i, slot (5), slot (5)); },
          {} },
        { "copy other 9 to temp", [&] (auto* i)
          { S::copy (i, other.data(), slot (9), slot (0)); },
          { { 0, &other, 9 } } },
        { "swap 3 and 7", [] (auto* i)
          { S::swap (i, slot (3), slot (7)); },
          { { 3, &original, 7 }, { 7, &original, 3 } } },
        { "swap 20 and temp", [] (auto* i)
          { S::swap (i, slot (20), slot (0)); },
          { { 0, &original, 20 }, { 20, &original, 0 } } },
        { "swap 2 and 19 twice", [] (auto* i)
          { S::swap (i, slot (2), slot (19)); S::swap (i, slot (19), slot (2)); },
          {} },
        { "init 12", [] (auto* i)
          { S::initialise (i, slot (12)); },
          { { 12, &defaults, 12 } } },
    };

    for (const auto& [name, operation, changed] : cases)
    {
        SCOPED_TRACE (name);
        auto expected = original, image = original;

        for (const auto& [to, source, from] : changed)
            std::copy_n (source->begin() + patternRecordOffset (from), patternSize, expected.begin() + patternRecordOffset (to));

        operation (image.data());
        EXPECT_EQ (image, expected);
    }
}
