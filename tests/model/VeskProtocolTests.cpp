#include "RecordingMidiOut.h"
#include "model/VeskModel.h"
#include "model/VeskProtocol.h"

#include <gtest/gtest.h>

using namespace VeskImage;

namespace
{
    struct ModelFixture : ::testing::Test
    {
        ModelFixture() { out.clear(); }

        RecordingMidiOut out;
        VeskModel model { out };
    };

    using VeskProtocolExamples = ModelFixture;
    using VeskModelSetters = ModelFixture;
    using VeskModelChannelOff = ModelFixture;
    using VeskModelTransfers = ModelFixture;
}

TEST_F (VeskProtocolExamples, OneByteDataSets)
{
    model.setMasterTune (440.0);
    EXPECT_EQ (out.last(), "F0 41 10 00 4F 12 00 00 00 00 3F 41 F7");

    model.currentPattern[Pattern::type] = PartType::lead;
    model.sendDataSet (1, 0, Pattern::type, model.currentPattern[Pattern::type]);
    EXPECT_EQ (out.last(), "F0 41 10 00 4F 12 01 00 00 05 01 79 F7");

    // Address and data adding up to 128 give a checksum of 0.
    model.setStepType (0, StepType::normal);
    EXPECT_EQ (out.last(), "F0 41 10 00 4F 12 01 00 00 7F 00 00 F7");

    model.setStepType (1, StepType::accent);
    EXPECT_EQ (out.last(), "F0 41 10 00 4F 12 01 00 01 00 04 7A F7");
    EXPECT_EQ (model.currentPattern[Pattern::stepType + 1], StepType::accent);

    model.setStepType (31, StepType::rest);
    EXPECT_EQ (out.last(), "F0 41 10 00 4F 12 01 00 01 1E 03 5D F7");
}

TEST_F (VeskProtocolExamples, BulkAndRequests)
{
    model.sendSystemBlock();
    EXPECT_EQ (out.last(), "F0 41 10 00 4F 12 00 00 00 00 3F 01 00 01 00 00 01 00 00 01 00 00 0C 31 F7");

    model.requestSystemBlock();
    EXPECT_EQ (out.last(), "F0 41 10 00 4F 11 00 00 00 00 00 00 00 0D 73 F7");

    model.requestCurrentPattern();
    EXPECT_EQ (out.last(), "F0 41 10 00 4F 11 01 00 00 00 00 00 01 1F 5F F7");

    model.currentPatternIndex = 4;
    model.selectUserPattern();
    model.requestCurrentPattern();
    EXPECT_EQ (out.last(), "F0 41 10 00 4F 11 02 04 00 00 00 00 01 1F 5A F7");
}

TEST_F (VeskProtocolExamples, SelectingAUserPatternSendsBankAndProgram)
{
    model.currentPatternIndex = 2;
    model.selectUserPattern();

    ASSERT_EQ (out.messages.size(), 3u);
    EXPECT_EQ (out.hexAt (0), "B0 00 55");
    EXPECT_EQ (out.hexAt (1), "B0 20 00");
    EXPECT_EQ (out.hexAt (2), "C0 02");
    EXPECT_EQ (model.currentPattern, model.bytesOf (*VeskBlock::user (3)));

    out.clear();
    model.setMidiChannel (10);
    model.selectUserPattern();
    EXPECT_EQ (out.hexAt (1), "B9 00 55");
    EXPECT_EQ (out.hexAt (3), "C9 02");
}

TEST (VeskProtocol, ChecksumIsTheTwosComplementOfAddressAndData)
{
    const juce::uint8 body[] = { 0x41, 0x10, 0x00, 0x4F, 0x12, 0x01, 0x00, 0x00, 0x7F, 0x01, 0x00 };
    EXPECT_EQ (VeskModel::computeChecksum (body, 11), 0x7F);

    // The header bytes play no part; the sum runs modulo 128.
    const juce::uint8 other[] = { 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x00 };
    EXPECT_EQ (VeskModel::computeChecksum (other, 11), (128 - (5 * 127) % 128) % 128);
}

TEST_F (VeskModelSetters, SignedAndWrappedControllers)
{
    const std::vector<std::pair<double, std::string>> pans {
        { -64.0, "B0 0A 00" },
        { 0.0, "B0 0A 40" },
        { 63.0, "B0 0A 7F" },
        { 64.0, "B0 0A 00" },
        { -65.0, "B0 0A 7F" },
    };

    for (auto& [value, expected] : pans)
    {
        model.setPan (value);
        EXPECT_EQ (out.last(), expected) << "pan " << value;
        EXPECT_EQ (model.currentPattern[Pattern::pan], out.messages.back()[2]);
    }

    model.setControl16Signed (-65.0);
    EXPECT_EQ (out.last(), "B0 10 7F");
    model.setControl16Signed (-64.0);
    EXPECT_EQ (out.last(), "B0 10 00");
    model.setControl16 (128.0);
    EXPECT_EQ (out.last(), "B0 10 00");
    model.setControl17 (-1.0);
    EXPECT_EQ (out.last(), "B0 11 7F");
    model.setControl18 (99.9);
    EXPECT_EQ (out.last(), "B0 12 63");

    model.setControl74 (100.0);
    EXPECT_EQ (out.last(), "B0 4A 64");
    EXPECT_EQ (model.currentPattern[Pattern::filterCutoffOrBdLevel], 100);
    model.setControl71 (1.0);
    EXPECT_EQ (out.last(), "B0 47 01");
    model.setControl83 (2.0);
    EXPECT_EQ (out.last(), "B0 53 02");
    model.setLevel (3.0);
    EXPECT_EQ (out.last(), "B0 07 03");
}

TEST_F (VeskModelSetters, ValuesOutsideAnySliderStillLeaveSevenBitBytes)
{
    model.setControl74 (1000.0);
    model.setLevel (-5.0);
    model.setControl71 (std::numeric_limits<double>::quiet_NaN());
    model.setMasterTune (1.0e9);
    model.setTempo (1.0e12);

    EXPECT_EQ (model.currentPattern[Pattern::filterCutoffOrBdLevel], 127);
    EXPECT_EQ (model.currentPattern[Pattern::level], 0);
    EXPECT_EQ (model.currentPattern[Pattern::filterResonanceOrSdLevel], 0);

    for (auto b : model.image)
        ASSERT_LT (b, 0x80);

    for (auto& m : out.messages)
        for (size_t i = 1; i + 1 < m.size(); ++i)
            ASSERT_LT (m[i], 0x80);
}

TEST_F (VeskModelSetters, StepTypeWrapsBothWays)
{
    model.setStepType (3, 5);
    EXPECT_EQ (model.currentPattern[Pattern::stepType + 3], StepType::normal);
    model.setStepType (3, -1);
    EXPECT_EQ (model.currentPattern[Pattern::stepType + 3], StepType::accent);
    EXPECT_EQ (out.last(), "F0 41 10 00 4F 12 01 00 01 02 04 78 F7");

    // A step outside the pattern is not written anywhere.
    out.clear();
    model.setStepType (32, 1);
    model.setStepType (-1, 1);
    EXPECT_TRUE (out.messages.empty());
}

TEST_F (VeskModelSetters, TempoStoresWholeBeatsTimesTen)
{
    const std::vector<std::tuple<double, int, int>> tempos {
        { 130.7, 10, 20 },
        { 130.0, 10, 20 },
        { 40.0, 3, 16 },
        { 240.0, 18, 96 },
        { 141.0, 11, 2 },
    };

    for (auto& [bpm, high, low] : tempos)
    {
        out.clear();
        model.setTempo (bpm);
        EXPECT_EQ (model.currentPattern[Pattern::tempoHigh], high) << bpm;
        EXPECT_EQ (model.currentPattern[Pattern::tempoLow], low) << bpm;
        ASSERT_EQ (out.messages.size(), 2u);
        EXPECT_EQ (out.messages[0][9], Pattern::tempoHigh);
        EXPECT_EQ (out.messages[0][10], high);
        EXPECT_EQ (out.messages[1][9], Pattern::tempoLow);
        EXPECT_EQ (out.messages[1][10], low);
    }
}

TEST_F (VeskModelSetters, MasterTuneLandsOnTheNearestStep)
{
    for (int n = 0; n <= 126; ++n)
    {
        model.setMasterTune (427.4 + 0.2 * n);
        ASSERT_EQ (model.systemBlock[System::masterTune], n) << "step " << n;
    }

    model.setMasterTune (440.0);
    EXPECT_EQ (model.systemBlock[System::masterTune], 63);
    model.setMasterTune (439.99999);
    EXPECT_EQ (model.systemBlock[System::masterTune], 63);
}

TEST_F (VeskModelSetters, MidiChannelAsShownAndAsStored)
{
    model.setMidiChannel (0);
    EXPECT_EQ (model.systemBlock[System::midiChannel], 16);
    EXPECT_EQ (out.last(), "F0 41 10 00 4F 12 00 00 00 08 10 68 F7");
    EXPECT_EQ (model.getMidiChannel(), 0);

    model.setMidiChannel (1);
    EXPECT_EQ (model.systemBlock[System::midiChannel], 0);
    EXPECT_EQ (model.getMidiChannel(), 1);

    model.setMidiChannel (16);
    EXPECT_EQ (model.systemBlock[System::midiChannel], 15);
    EXPECT_EQ (model.getMidiChannel(), 16);

    // Damaged data above 16 reads as off, like 16.
    model.systemBlock[System::midiChannel] = 40;
    EXPECT_EQ (model.getMidiChannel(), 0);
}

TEST_F (VeskModelChannelOff, ControllerEditsTravelAsDataSets)
{
    for (int stored : { 16, 17, 127 })
    {
        model.systemBlock[System::midiChannel] = (juce::uint8) stored;
        out.clear();

        model.setControl74 (100.0);
        model.setPan (-64.0);
        model.setControl16Signed (1.0);

        ASSERT_EQ (out.messages.size(), 3u);
        EXPECT_EQ (out.hexAt (0), "F0 41 10 00 4F 12 01 00 00 0A 64 11 F7");
        EXPECT_EQ (out.hexAt (1), "F0 41 10 00 4F 12 01 00 00 0E 00 71 F7");
        EXPECT_EQ (out.hexAt (2), "F0 41 10 00 4F 12 01 00 00 07 41 37 F7");
        EXPECT_EQ (model.currentPattern[Pattern::filterCutoffOrBdLevel], 100);
    }
}

TEST_F (VeskModelChannelOff, SelectingAUserPatternSendsNothing)
{
    model.setMidiChannel (0);
    out.clear();

    model.currentPatternIndex = 7;
    model.selectUserPattern();

    EXPECT_TRUE (out.messages.empty());
    EXPECT_EQ (model.currentPattern, model.bytesOf (*VeskBlock::user (8)));
}

TEST_F (VeskModelTransfers, SendOnAUserPatternGoesToTheEditBufferThenTheSlot)
{
    model.currentPatternIndex = 0;
    model.selectUserPattern();
    model.currentPattern[Pattern::stepNote] = 36;
    out.clear();

    model.sendCurrentPattern (false);

    ASSERT_EQ (out.messages.size(), 2u);

    for (size_t i = 0; i < 2; ++i)
    {
        const auto& m = out.messages[i];
        ASSERT_EQ (m.size(), 171u);
        EXPECT_EQ (RecordingMidiOut::hex ({ m.begin(), m.begin() + 10 }),
                   i == 0 ? "F0 41 10 00 4F 12 01 00 00 00" : "F0 41 10 00 4F 12 02 00 00 00");
        EXPECT_TRUE (std::equal (m.begin() + 10, m.begin() + 169, model.currentPattern));
        EXPECT_EQ (m[169], VeskProtocol::computeChecksum (m.data() + 1, 169));
        EXPECT_EQ (m[170], 0xF7);
    }

    out.clear();
    model.currentPatternIndex = 6;
    model.selectUserPattern();
    out.clear();
    model.sendCurrentPattern (true);
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.messages[0][6], 0x01);
    EXPECT_EQ (out.messages[0][7], 0x06);
}

TEST_F (VeskModelTransfers, SendOnTheTemporaryPatternIsOneMessage)
{
    model.sendCurrentPattern (false);
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.messages[0].size(), 171u);
    EXPECT_EQ (RecordingMidiOut::hex ({ out.messages[0].begin(), out.messages[0].begin() + 10 }),
               "F0 41 10 00 4F 12 01 00 00 00");
}
