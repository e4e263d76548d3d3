#include "RecordingMidiOut.h"
#include "model/VeskFields.h"
#include "model/VeskModel.h"

#include <gtest/gtest.h>

using namespace VeskImage;

namespace
{
    struct FieldValues : ::testing::Test
    {
        RecordingMidiOut out;
        VeskModel model { out };
        juce::uint8* p = model.temporaryPattern;

        juce::String value (int offset) const { return VeskFields::patternValue (p, offset); }
        juce::String system (int offset) const { return VeskFields::systemValue (model.systemBlock, offset); }
    };
}

TEST_F (FieldValues, SystemValuesAsTheUserReadsThem)
{
    auto* s = model.systemBlock;
    s[System::masterTune] = 0;
    EXPECT_EQ (system (System::masterTune), "427.4 Hz");
    s[System::masterTune] = 126;
    EXPECT_EQ (system (System::masterTune), "452.6 Hz");
    s[System::masterTune] = 127;
    EXPECT_EQ (system (System::masterTune), "127 (out of range)");

    s[System::midiChannel] = 15;
    EXPECT_EQ (system (System::midiChannel), "16");
    s[System::midiChannel] = 16;
    EXPECT_EQ (system (System::midiChannel), "off");

    s[System::transpose] = 0;
    EXPECT_EQ (system (System::transpose), "-12 semitones");
    s[System::transpose] = 24;
    EXPECT_EQ (system (System::transpose), "+12 semitones");

    s[System::receivePitchBend] = 0;
    EXPECT_EQ (system (System::receivePitchBend), "off");
    EXPECT_EQ (VeskFields::systemFieldName (4), "reserved 4");
}

TEST_F (FieldValues, PatternValuesFollowThePartType)
{
    p[Pattern::tempoHigh] = 3;
    p[Pattern::tempoLow] = 16;
    EXPECT_EQ (value (Pattern::tempoLow), "40.0 BPM");
    p[Pattern::patternLength] = 1;
    EXPECT_EQ (value (Pattern::patternLength), "2 bars");
    p[Pattern::stepsPerBar] = 0;
    EXPECT_EQ (value (Pattern::stepsPerBar), "12");
    p[Pattern::loopCtrl] = 9;
    EXPECT_EQ (value (Pattern::loopCtrl), "9 (out of range)");
    p[Pattern::pan] = 0;
    EXPECT_EQ (value (Pattern::pan), "-64");

    // Lead: effect parameter as is, effect type by name, notes from octave -1.
    p[Pattern::tuneOrEffectParam1] = 10;
    p[Pattern::vintageOrEffectType] = 10;
    p[Pattern::stepNote] = 36;
    EXPECT_EQ (value (Pattern::tuneOrEffectParam1), "10");
    EXPECT_EQ (value (Pattern::vintageOrEffectType), "OFF");
    EXPECT_EQ (value (Pattern::stepNote), "C  2");

    p[Pattern::type] = PartType::bass;
    p[Pattern::vintageOrEffectType] = 1;
    EXPECT_EQ (value (Pattern::tuneOrEffectParam1), "-54");
    EXPECT_EQ (value (Pattern::vintageOrEffectType), "on");
    EXPECT_EQ (value (Pattern::stepNote), "C -1");
    EXPECT_EQ (value (Pattern::toneOrKit), "01 - SAW 1 Ds1 Off");

    p[Pattern::type] = PartType::rythm;
    p[Pattern::toneOrKit] = 9;
    p[Pattern::stepType + 3] = StepType::rest;
    p[Pattern::stepType + 4] = StepType::accent;
    p[Pattern::stepType + 5] = 7;
    EXPECT_EQ (value (Pattern::toneOrKit), "Latin Perc.");
    EXPECT_EQ (value (Pattern::stepNote), "36");
    EXPECT_EQ (value (Pattern::stepType + 3), "OA");
    EXPECT_EQ (value (Pattern::stepType + 4), "-");
    EXPECT_EQ (value (Pattern::stepType + 5), "7 (out of range)");

    p[Pattern::type] = 8;
    EXPECT_EQ (value (Pattern::type), "8 (out of range)");
    EXPECT_EQ (value (Pattern::toneOrKit), "9");
}

TEST_F (FieldValues, NamesAndRecords)
{
    EXPECT_EQ (VeskFields::patternFieldName (Pattern::vintageOrEffectType), "vintageOrEffectType");
    EXPECT_EQ (VeskFields::patternFieldName (Pattern::stepNote), "stepNote 1");
    EXPECT_EQ (VeskFields::patternFieldName (Pattern::stepType + 31), "stepType 32");
    EXPECT_EQ (VeskFields::patternFieldName (patternSize), "");
    EXPECT_EQ (VeskBlock::temporary().name(), "Temporary");
    EXPECT_EQ (VeskBlock::user (7)->name(), "User 07");
    EXPECT_EQ (VeskBlock::user (20)->name(), "User 20");
}
