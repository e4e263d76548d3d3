// Both pattern lists, the Library page's slots and the Collection page's
// patterns, paint a pattern's row through the one painter (LibraryRows).

#include "editors/CollectionList.h"
#include "editors/LibraryRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using namespace VeskImage;

namespace
{
    VeskPattern::Record leadRecord()
    {
        VeskPattern::Record record;
        std::copy_n (defaults.begin() + temporaryPatternOffset, patternSize, record.begin());
        record[Pattern::type] = PartType::lead;
        record[Pattern::patternLength] = 1;
        Pattern::storeTempo (record.data(), 1285);

        for (int s = 0; s < Pattern::numSteps; s += 3)
            record[(size_t) (Pattern::stepNote + s)] = (juce::uint8) (40 + s);

        return record;
    }

    juce::Image painted (const LibraryRows::Row& row, int width)
    {
        juce::Image image (juce::Image::ARGB, width, LibraryRows::rowHeight, true);
        juce::Graphics g (image);
        LibraryRows::paintRow (g, row, width, LibraryRows::rowHeight);
        return image;
    }

    bool samePixels (const juce::Image& a, juce::Rectangle<int> inA, const juce::Image& b, juce::Rectangle<int> inB)
    {
        if (inA.getWidth() != inB.getWidth() || inA.getHeight() != inB.getHeight())
            return false;

        for (int y = 0; y < inA.getHeight(); ++y)
            for (int x = 0; x < inA.getWidth(); ++x)
                if (a.getPixelAt (inA.getX() + x, inA.getY() + y) != b.getPixelAt (inB.getX() + x, inB.getY() + y))
                    return false;

        return true;
    }
}

TEST (PatternRows, ASlotAndACollectionPatternOfOneRecordReadTheSame)
{
    const auto record = leadRecord();
    const auto slot = *VeskBlock::user (3);

    LibraryRows::State state;
    state.differsFromUnit = true;
    state.shown = true;
    const auto slotRow = LibraryRows::slotRow (record.data(), slot, state);

    CollectionPattern pattern;
    pattern.bytes = record;
    pattern.name = "Groove";
    pattern.hasOwnName = true;
    pattern.favourite = true;
    pattern.rating = 3;
    const auto patternRow = CollectionList::rowOf (&pattern, false);

    // What each list adds of its own: the name, the mark, the layout.
    EXPECT_EQ (slotRow.name, "User 03");
    EXPECT_EQ (patternRow.name, "Groove  ***");
    EXPECT_EQ (slotRow.mark, LibraryRows::Mark::differsFromUnit);
    EXPECT_EQ (patternRow.mark, LibraryRows::Mark::favourite);
    EXPECT_TRUE (slotRow.boldName && patternRow.boldName);
    ASSERT_TRUE (slotRow.record != nullptr && patternRow.record != nullptr);
    EXPECT_TRUE (std::equal (record.begin(), record.end(), patternRow.record));

    // The pattern's own columns look alike in both, wherever each list puts them.
    const int width = 520;
    const auto slotImage = painted (slotRow, width), patternImage = painted (patternRow, width);
    const LibraryRows::Columns inSlots (width, LibraryRows::Layout::slots), inPatterns (width, LibraryRows::Layout::patterns);

    for (auto [a, b, what] : { std::tuple (inSlots.type, inPatterns.type, "type"), std::tuple (inSlots.tempo, inPatterns.tempo, "tempo"),
                               std::tuple (inSlots.length, inPatterns.length, "length"), std::tuple (inSlots.steps, inPatterns.steps, "steps") })
    {
        EXPECT_FALSE (a.isEmpty()) << what;
        EXPECT_TRUE (samePixels (slotImage, a, patternImage, b)) << what;
    }

    // ... and are drawn at all: the steps are more than the background.
    EXPECT_FALSE (samePixels (slotImage, inSlots.steps, painted ({}, width), inSlots.steps));
}

TEST (PatternRows, ARowWithoutItsPatternShowsOnlyItsName)
{
    const auto record = leadRecord();
    const int width = 520;
    const auto background = painted ({}, width);

    // A Collection row whose page is on its way: blank.
    const auto waiting = CollectionList::rowOf (nullptr, false);
    EXPECT_EQ (waiting.record, nullptr);
    EXPECT_TRUE (samePixels (painted (waiting, width), { width, LibraryRows::rowHeight }, background, { width, LibraryRows::rowHeight }));

    // A slot a .syx file does not hold: its name, greyed, and none of the defaults it has.
    LibraryRows::State notHeld;
    notHeld.held = false;
    const auto slotRow = LibraryRows::slotRow (record.data(), *VeskBlock::user (3), notHeld);
    EXPECT_EQ (slotRow.record, nullptr);
    EXPECT_TRUE (slotRow.greyed);

    const auto image = painted (slotRow, width);
    const LibraryRows::Columns columns (width);
    EXPECT_FALSE (samePixels (image, columns.name, background, columns.name));
    EXPECT_TRUE (samePixels (image, columns.steps, background, columns.steps));
}
