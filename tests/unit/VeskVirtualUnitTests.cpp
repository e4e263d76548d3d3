#include "UnitTestSupport.h"
#include "model/VeskProtocol.h"

using namespace VeskImage;

namespace
{
    /** What reaches an input: the virtual unit's answers, knob moves and pattern changes. */
    struct CapturingInput : juce::MidiInputCallback
    {
        void handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& m) override { heard.push_back (hexOf (m)); }
        std::vector<std::string> heard;
    };

    struct VirtualUnit : ::testing::Test
    {
        VirtualUnit()
        {
            unit.answerDelayMs = 0.0;
            unit.connectTo (&input);
        }

        VirtualClock clock;
        VeskVirtualUnit unit { clock };
        CapturingInput input;
        VeskModel model { unit }; // the editor's edits go straight to the unit
    };
}

TEST_F (VirtualUnit, StartsFromTheDefaultsAndTakesTheEditorsEdits)
{
    EXPECT_TRUE (std::equal (unit.memory, unit.memory + imageSize, model.image));

    model.setControl74 (12); // a controller
    model.storePatternField (Pattern::lfoRate, 33); // a one-byte data set
    model.setStepType (5, 2); // a data set at 01 00 01 04
    model.setMasterTune (430.0);

    EXPECT_EQ (unit.memory[temporaryPatternOffset + Pattern::filterCutoffOrBdLevel], 12);
    EXPECT_EQ (unit.memory[temporaryPatternOffset + Pattern::lfoRate], 33);
    EXPECT_EQ (unit.memory[temporaryPatternOffset + Pattern::stepType + 5], 2);
    EXPECT_EQ (unit.memory[System::masterTune], model.systemBlock[System::masterTune]);

    // Edits of a user pattern go to the unit's edit buffer; "Send" stores it in the user pattern too.
    model.currentPatternIndex = 6;
    model.selectUserPattern();
    EXPECT_EQ (unit.selectedUserPattern, VeskBlock::user (7));
    model.storePatternField (Pattern::lfoRate, 44);
    EXPECT_EQ (unit.memory[userPatternOffset (6) + Pattern::lfoRate], Pattern::headerDefaults[Pattern::lfoRate]);
    model.sendCurrentPattern (false);
    EXPECT_TRUE (std::equal (model.bytesOf (*VeskBlock::user (7)), model.bytesOf (*VeskBlock::user (7)) + patternSize, unit.memory + userPatternOffset (6)));
}

TEST_F (VirtualUnit, RefusesWhatIsDamagedForeignOrOutOfItsMemory)
{
    const std::vector<juce::uint8> before (unit.memory, unit.memory + imageSize);

    auto damaged = bytesOf (VeskProtocol::dataSet (1, 0, Pattern::level, 5));
    damaged[damaged.size() - 2] ^= 1; // the checksum
    unit.send (juce::MidiMessage (damaged.data(), (int) damaged.size()));

    auto foreign = bytesOf (VeskProtocol::dataSet (1, 0, Pattern::level, 5));
    foreign[1] = 0x43;
    unit.send (juce::MidiMessage (foreign.data(), (int) foreign.size()));

    unit.send (VeskProtocol::dataSet (0, 0, 13, 5)); // past the system block
    unit.send (VeskProtocol::patternBulk (2, 20, model.temporaryPattern)); // no user pattern 21
    unit.send (juce::MidiMessage::controllerEvent (2, 74, 1)); // another channel

    EXPECT_EQ (std::vector<juce::uint8> (unit.memory, unit.memory + imageSize), before);
    EXPECT_TRUE (input.heard.empty());
}

TEST_F (VirtualUnit, AnswersRequestsWithDumpsAsTheUnitSendsThem)
{
    unit.send (VeskProtocol::systemRequest());
    unit.send (VeskProtocol::patternRequest (1, 0));
    unit.send (VeskProtocol::patternRequest (2, 4));

    ASSERT_EQ (input.heard.size(), 3u);
    EXPECT_EQ (input.heard[0], "F0 41 10 00 4F 12 00 00 00 00 3F 01 00 01 00 00 01 00 00 01 00 00 0C 31 F7");
    EXPECT_EQ (input.heard[1], hexOf (VeskProtocol::patternBulk (1, 0, unit.memory + temporaryPatternOffset)));
    EXPECT_EQ (input.heard[2], hexOf (VeskProtocol::patternBulk (2, 4, unit.memory + userPatternOffset (4))));

    // Answers take their time on the line unless told otherwise: 171 bytes, 54.72 ms.
    unit.answerDelayMs = -1.0;
    unit.send (VeskProtocol::patternRequest (2, 0));
    clock.runFor (54.0);
    EXPECT_EQ (input.heard.size(), 3u);
    clock.runFor (1.0);
    EXPECT_EQ (input.heard.size(), 4u);
}

TEST_F (VirtualUnit, KnobsAndPatternChangesOnTheUnitAreSentOnItsChannel)
{
    model.setMidiChannel (3);
    unit.turnKnob (74, 90);
    unit.changePattern (*VeskBlock::user (5));

    EXPECT_EQ (input.heard, std::vector<std::string> ({ "B2 4A 5A", "B2 00 55", "B2 20 00", "C2 04" }));
    EXPECT_EQ (unit.memory[temporaryPatternOffset + Pattern::filterCutoffOrBdLevel],
               unit.memory[userPatternOffset (4) + Pattern::filterCutoffOrBdLevel])
        << "the chosen pattern is loaded into the edit buffer";

    // Controllers and pattern changes the editor sends land as on the unit.
    model.setControl71 (17);
    EXPECT_EQ (unit.memory[temporaryPatternOffset + Pattern::filterResonanceOrSdLevel], 17);

    model.setMidiChannel (0); // off: it neither takes nor sends channel messages
    input.heard.clear();
    unit.turnKnob (74, 1);
    unit.changePattern (*VeskBlock::user (6));
    EXPECT_TRUE (input.heard.empty());
}

TEST_F (VirtualUnit, EveryBlockGoesInAndComesBackAtItsOwnPlace)
{
    struct Answers : juce::MidiInputCallback
    {
        void handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& m) override { messages.push_back (m); }
        std::vector<juce::MidiMessage> messages;
    } answers;

    unit.connectTo (&answers);

    for (const auto block : VeskBlock::all())
    {
        SCOPED_TRACE (block.name().toStdString());
        std::vector<juce::uint8> library ((size_t) imageSize, 0);
        std::fill_n (library.begin() + block.imageOffset(), block.size(), (juce::uint8) (block.index() + 2));
        const std::vector<juce::uint8> before (unit.memory, unit.memory + imageSize);

        // A dump of the block replaces that block of the unit's memory and nothing else.
        unit.send (VeskProtocol::blockBulk (library.data(), block));
        auto expected = before;
        std::copy_n (library.begin() + block.imageOffset(), block.size(), expected.begin() + block.imageOffset());
        EXPECT_EQ (std::vector<juce::uint8> (unit.memory, unit.memory + imageSize), expected);

        // Its request is answered with a dump of that block, which lands there again.
        answers.messages.clear();
        unit.send (VeskProtocol::blockRequest (block));
        clock.runUntilIdle();
        ASSERT_EQ (answers.messages.size(), 1u);
        std::vector<juce::uint8> received ((size_t) imageSize, 0);
        const auto& answer = answers.messages.front();
        const auto dump = VeskDecoder::applyDump (received.data(), answer.getSysExData(), answer.getSysExDataSize());
        ASSERT_TRUE (dump.applied());
        EXPECT_EQ (dump.block, block);
        EXPECT_EQ (received, library);
    }
}
