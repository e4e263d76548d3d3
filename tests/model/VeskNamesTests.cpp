#include "model/VeskImage.h"
#include "model/VeskNames.h"

#include <gtest/gtest.h>

TEST (VeskNames, ItemListsHaveTheUnitsTexts)
{
    EXPECT_EQ (VeskNames::partTypes().size(), 8);
    EXPECT_EQ (VeskNames::item (VeskNames::partTypes(), 3), "Rythm");
    EXPECT_EQ (VeskNames::tones().size(), 128);
    EXPECT_EQ (VeskNames::item (VeskNames::tones(), 0), "01 - SAW 1 Ds1 Off");
    EXPECT_EQ (VeskNames::item (VeskNames::tones(), 99), "100 - SAW Detune TRI XMod Ring Ds1 Off");
    EXPECT_EQ (VeskNames::item (VeskNames::tones(), 127), "128 - SAW Detune SAW 39 Ph2 Off");
    EXPECT_EQ (VeskNames::item (VeskNames::effectTypes(), 10), "OFF");
    EXPECT_EQ (VeskNames::item (VeskNames::kits(), 9), "Latin Perc.");
    EXPECT_EQ (VeskNames::item (VeskNames::loopCtrls(), 0), "Off");

    // Bytes a list does not cover read as nothing, never as a neighbour's text.
    for (int index : { -1, 4, 127, 255 })
        EXPECT_EQ (VeskNames::item (VeskNames::loopCtrls(), index), "") << index;
}

TEST (VeskNames, NoteLabelsFollowThePartsOctaves)
{
    using namespace VeskImage::PartType;

    EXPECT_EQ (VeskNames::noteLabel (lead, 0), "C -1");
    EXPECT_EQ (VeskNames::noteLabel (lead, 36), "C  2");
    EXPECT_EQ (VeskNames::noteLabel (lead, 60), "C  4");
    EXPECT_EQ (VeskNames::noteLabel (lead, 61), "C# 4");
    EXPECT_EQ (VeskNames::noteLabel (lead, 127), "G  9");
    EXPECT_EQ (VeskNames::noteLabel (bass, 0), "C -4");
    EXPECT_EQ (VeskNames::noteLabel (bass, 36), "C -1");
    EXPECT_EQ (VeskNames::noteLabel (bass, 127), "G  6");

    EXPECT_EQ (VeskNames::noteLabel (lead, 128), "");
    EXPECT_EQ (VeskNames::noteLabel (lead, -1), "");
    EXPECT_EQ (VeskNames::noteLabel (rythm, 60), "");
}
