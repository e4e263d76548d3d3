#include "RecordingMidiOut.h"
#include "model/VeskModel.h"
#include "model/VeskProtocol.h"

#include <gtest/gtest.h>

using namespace VeskImage;
using DumpResult = VeskDecoder::DumpResult;
using Kind = VeskDecoder::ChannelAction::Kind;

namespace
{
    /** A dump body as the unit sends it: header, address, data, checksum. */
    std::vector<juce::uint8> dumpBody (int a0, int a1, const std::vector<juce::uint8>& data)
    {
        std::vector<juce::uint8> body (9 + data.size() + 1);
        const juce::uint8 header[] { 0x41, 0x10, 0x00, 0x4F, 0x12, (juce::uint8) a0, (juce::uint8) a1, 0x00, 0x00 };
        std::copy (std::begin (header), std::end (header), body.begin());
        std::copy (data.begin(), data.end(), body.begin() + 9);
        body.back() = VeskProtocol::computeChecksum (body.data(), (int) body.size());
        return body;
    }

    std::vector<juce::uint8> filled (int size, juce::uint8 value) { return std::vector<juce::uint8> ((size_t) size, value); }

    struct Receiving : ::testing::Test
    {
        RecordingMidiOut out;
        VeskModel model { out };
        int bankSelect = 0;

        Receiving() { out.clear(); }

        std::vector<juce::uint8> imageCopy() const { return { model.image, model.image + imageSize }; }

        VeskDecoder::Dump receive (const std::vector<juce::uint8>& body)
        {
            return model.receiveDump (body.data(), (int) body.size());
        }

        VeskDecoder::ChannelAction receive (const juce::MidiMessage& m, int& state)
        {
            return model.receiveChannelMessage (m, state);
        }

        VeskDecoder::ChannelAction receive (const juce::MidiMessage& m) { return receive (m, bankSelect); }

        /** Everything outside [start, start + size) is as it was. */
        void expectUnchangedOutside (const std::vector<juce::uint8>& before, int start, int size) const
        {
            for (int i = 0; i < imageSize; ++i)
            {
                if (i < start || i >= start + size)
                {
                    ASSERT_EQ (model.image[i], before[(size_t) i]) << "image offset " << i;
                }
            }
        }
    };

    using ReceivingDumps = Receiving;
    using ReceivingChannelMessages = Receiving;
}

TEST_F (ReceivingDumps, SystemDumpReplacesTheSystemBlockOnly)
{
    const auto before = imageCopy();
    auto body = dumpBody (0, 0, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13 });
    ASSERT_EQ (body.size(), 23u);

    auto dump = receive (body);
    EXPECT_EQ (dump.result, DumpResult::systemBlock);
    EXPECT_TRUE (dump.applied());
    EXPECT_EQ (dump.patternRecord(), -1);

    for (int i = 0; i < 13; ++i)
        EXPECT_EQ (model.systemBlock[i], i + 1);

    expectUnchangedOutside (before, 0, systemBlockSize);
    EXPECT_TRUE (out.messages.empty()) << "a received dump is never echoed";
}

TEST_F (ReceivingDumps, PatternDumpsGoToTheRecordTheirAddressNames)
{
    auto before = imageCopy();
    auto dump = receive (dumpBody (2, 4, filled (patternSize, 0x21)));

    EXPECT_EQ (dump.result, DumpResult::userPattern);
    EXPECT_EQ (dump.userPatternIndex, 4);
    EXPECT_EQ (dump.patternRecord(), 5);
    EXPECT_EQ (model.userPattern (4)[0], 0x21);
    EXPECT_EQ (model.userPattern (4)[patternSize - 1], 0x21);
    expectUnchangedOutside (before, userPatternOffset (4), patternSize);

    // Area 1 is the temporary pattern whatever its second address byte says.
    before = imageCopy();
    dump = receive (dumpBody (1, 4, filled (patternSize, 0x22)));
    EXPECT_EQ (dump.result, DumpResult::temporaryPattern);
    EXPECT_EQ (dump.patternRecord(), 0);
    EXPECT_EQ (model.temporaryPattern[patternSize - 1], 0x22);
    expectUnchangedOutside (before, temporaryPatternOffset, patternSize);

    // The last user pattern ends right before the reserved area.
    before = imageCopy();
    EXPECT_EQ (receive (dumpBody (2, 19, filled (patternSize, 0x23))).result, DumpResult::userPattern);
    expectUnchangedOutside (before, userPatternOffset (19), patternSize);

    // The pattern in edit stays in edit.
    EXPECT_EQ (model.currentPatternIndex, -1);
    EXPECT_EQ (model.currentPattern, model.temporaryPattern);
}

TEST_F (ReceivingDumps, AnythingButAValidDumpOfThisUnitChangesNothing)
{
    const auto before = imageCopy();

    auto badChecksum = dumpBody (0, 0, filled (13, 5));
    badChecksum.back() ^= 0x01;

    auto otherMaker = dumpBody (0, 0, filled (13, 5));
    otherMaker[0] = 0x43;

    auto otherModel = dumpBody (1, 0, filled (patternSize, 5));
    otherModel[3] = 0x4E;

    auto request = dumpBody (0, 0, filled (13, 5));
    request[4] = 0x11;

    auto shortSystem = dumpBody (0, 0, filled (12, 5));
    auto shortPattern = dumpBody (2, 0, filled (patternSize - 1, 5));

    auto eighthBit = dumpBody (1, 0, filled (patternSize, 5));
    eighthBit[50] = 0x85;

    const std::vector<std::pair<std::vector<juce::uint8>, DumpResult>> cases {
        { badChecksum, DumpResult::badChecksum },
        { otherMaker, DumpResult::notThisUnit },
        { otherModel, DumpResult::notThisUnit },
        { request, DumpResult::notThisUnit },
        { { 0x41, 0x10 }, DumpResult::notThisUnit },
        { {}, DumpResult::notThisUnit },
        { dumpBody (3, 0, filled (patternSize, 5)), DumpResult::unknownAddress },
        { dumpBody (2, 20, filled (patternSize, 5)), DumpResult::unknownAddress },
        { dumpBody (2, 127, filled (patternSize, 5)), DumpResult::unknownAddress },
        { shortSystem, DumpResult::truncated },
        { shortPattern, DumpResult::truncated },
        { { 0x41, 0x10, 0x00, 0x4F, 0x12, 0x01, 0x00, 0x00, 0x00 }, DumpResult::truncated },
        { eighthBit, DumpResult::notSevenBit },
    };

    for (size_t i = 0; i < cases.size(); ++i)
    {
        auto dump = receive (cases[i].first);
        EXPECT_EQ (dump.result, cases[i].second) << "case " << i;
        EXPECT_FALSE (dump.applied()) << "case " << i;
        ASSERT_EQ (imageCopy(), before) << "case " << i;
    }

    EXPECT_EQ (VeskDecoder::describe (DumpResult::badChecksum), "bad checksum");
}

TEST_F (ReceivingDumps, TheDeviceByteIsNotExamined)
{
    auto body = dumpBody (0, 0, filled (13, 7));
    body[1] = 0x1F;
    EXPECT_EQ (receive (body).result, DumpResult::systemBlock);
    EXPECT_EQ (model.systemBlock[0], 7);

    // Nor is the address past the area and the user index, as the unit sends it.
    auto offset = dumpBody (2, 4, filled (patternSize, 6));
    offset[7] = 0x01;
    offset.back() = VeskProtocol::computeChecksum (offset.data(), (int) offset.size());
    EXPECT_EQ (receive (offset).result, DumpResult::userPattern);
    EXPECT_EQ (model.userPattern (4)[0], 6);
}

TEST_F (ReceivingChannelMessages, ControllersOnTheUnitsChannelLandInTheCurrentPattern)
{
    auto action = receive (juce::MidiMessage::controllerEvent (1, 74, 100));
    EXPECT_EQ (action.kind, Kind::controllerStored);
    EXPECT_EQ (action.controller, 74);
    EXPECT_EQ (model.currentPattern[Pattern::filterCutoffOrBdLevel], 100);

    const std::vector<std::pair<int, int>> table {
        { 7, Pattern::level },
        { 10, Pattern::pan },
        { 16, Pattern::tuneOrEffectParam1 },
        { 17, Pattern::envModOrEffectParam2 },
        { 18, Pattern::accentOrEffectParam3 },
        { 71, Pattern::filterResonanceOrSdLevel },
        { 83, Pattern::filterDecayOrHhLevel },
    };

    model.currentPatternIndex = 9;
    model.selectUserPattern();

    for (auto [controller, offset] : table)
    {
        EXPECT_EQ (receive (juce::MidiMessage::controllerEvent (1, controller, 3)).controller, controller);
        EXPECT_EQ (model.userPattern (9)[offset], 3) << "controller " << controller;
    }

    EXPECT_TRUE (out.messages.size() == 3u) << "only the pattern selection was sent";
}

TEST_F (ReceivingChannelMessages, OtherChannelsOffAndOtherKindsAreIgnored)
{
    const auto before = imageCopy();

    const std::vector<juce::MidiMessage> ignored {
        juce::MidiMessage::controllerEvent (2, 74, 100),
        juce::MidiMessage::controllerEvent (1, 32, 5),
        juce::MidiMessage::controllerEvent (1, 1, 5),
        juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100),
        juce::MidiMessage::pitchWheel (1, 0),
        juce::MidiMessage::aftertouchChange (1, 60, 5),
        juce::MidiMessage::midiClock(),
    };

    for (auto& m : ignored)
        EXPECT_EQ (receive (m).kind, Kind::ignored) << m.getDescription();

    EXPECT_EQ (imageCopy(), before);

    for (int stored : { 16, 17 })
    {
        model.systemBlock[System::midiChannel] = (juce::uint8) stored;
        const auto offBefore = imageCopy();

        for (int channel = 1; channel <= 16; ++channel)
        {
            EXPECT_EQ (receive (juce::MidiMessage::controllerEvent (channel, 74, 1)).kind, Kind::ignored);
            EXPECT_EQ (receive (juce::MidiMessage::controllerEvent (channel, 0, 85)).kind, Kind::ignored);
            EXPECT_EQ (receive (juce::MidiMessage::programChange (channel, 3)).kind, Kind::ignored);
        }

        EXPECT_EQ (imageCopy(), offBefore);
        EXPECT_EQ (bankSelect, 0);
    }

    // A dump still arrives while the channel is off, and can switch it back on.
    auto dump = receive (dumpBody (0, 0, { 63, 1, 0, 1, 0, 0, 1, 0, 4, 1, 0, 0, 12 }));
    EXPECT_TRUE (dump.applied());
    EXPECT_EQ (receive (juce::MidiMessage::controllerEvent (5, 74, 9)).kind, Kind::controllerStored);
}

TEST_F (ReceivingChannelMessages, ProgramChangesFollowTheirInputsBankSelect)
{
    EXPECT_EQ (receive (juce::MidiMessage::programChange (1, 4)).patternItem, 0) << "no bank select yet";

    EXPECT_EQ (receive (juce::MidiMessage::controllerEvent (1, 0, 85)).kind, Kind::bankSelect);
    EXPECT_EQ (bankSelect, 85);

    auto action = receive (juce::MidiMessage::programChange (1, 4));
    EXPECT_EQ (action.kind, Kind::selectPattern);
    EXPECT_EQ (action.patternItem, 5);

    // The bank stays in force until the next bank select.
    EXPECT_EQ (receive (juce::MidiMessage::programChange (1, 19)).patternItem, 20);
    EXPECT_EQ (receive (juce::MidiMessage::programChange (1, 20)).patternItem, 0) << "no user pattern 21";
    EXPECT_EQ (receive (juce::MidiMessage::programChange (1, 127)).patternItem, 0);

    receive (juce::MidiMessage::controllerEvent (1, 0, 84));
    EXPECT_EQ (receive (juce::MidiMessage::programChange (1, 4)).patternItem, 0);

    // Each input keeps its own bank select.
    receive (juce::MidiMessage::controllerEvent (1, 0, 85));
    int otherInput = 0;
    EXPECT_EQ (receive (juce::MidiMessage::programChange (1, 4), otherInput).patternItem, 0);
    EXPECT_EQ (receive (juce::MidiMessage::programChange (1, 4)).patternItem, 5);

    // Decoding a program change changes no byte; selecting is the page's business.
    EXPECT_EQ (model.currentPatternIndex, -1);
    EXPECT_TRUE (out.messages.empty());
}
