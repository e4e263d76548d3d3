#include "UnitTestSupport.h"
#include "unit/VeskUnitFinder.h"

namespace
{
    // The next steps as the program words them.
    const VeskUnitFinder::Advice advice { "Check the cables and that the unit is switched on, or try the program with Unit > Virtual Unit.",
                                          "Choose the pair of the unit in Setup > Midi Settings." };

    /**
        Fake MIDI ports. Each output may lead to a virtual unit; each unit's
        answers come out on one input, delivered to whatever callback has that
        input open.
    */
    struct FakePorts
    {
        struct Input : juce::MidiInputCallback
        {
            void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& m) override
            {
                if (open != nullptr)
                    open->handleIncomingMidiMessage (source, m);
            }

            juce::MidiInputCallback* open = nullptr;
        };

        struct OpenInput : MidiDeviceLists::OpenInput
        {
            explicit OpenInput (Input& i) : input (i) {}
            ~OpenInput() override { input.open = nullptr; }
            Input& input;
        };

        struct Output : MidiOut
        {
            explicit Output (VeskVirtualUnit* u) : unit (u) {}
            void send (const juce::MidiMessage& m) override
            {
                if (unit != nullptr)
                    unit->send (m);
            }
            VeskVirtualUnit* unit;
        };

        FakePorts (int numInputs, int numOutputs)
        {
            for (int i = 1; i <= numInputs; ++i)
                inputInfos.add ({ "In " + juce::String (i), "in:" + juce::String (i) });

            for (int i = 1; i <= numOutputs; ++i)
                outputInfos.add ({ "Out " + juce::String (i), "out:" + juce::String (i) });

            inputs.resize ((size_t) numInputs);
            units.resize ((size_t) numOutputs);
        }

        /** A unit listening on output o (1-based) and answering on input i. */
        void plugUnit (int o, int i)
        {
            units[(size_t) o - 1] = std::make_unique<VeskVirtualUnit> (clock);
            units[(size_t) o - 1]->connectTo (&inputs[(size_t) i - 1]);
        }

        MidiDeviceLists lists()
        {
            return { [this]
                     { return inputInfos; },
                     [this]
                     { return outputInfos; },
                     [this] (const juce::String& id) -> std::unique_ptr<MidiOut>
                     {
                         if (unopenable.contains (id))
                             return nullptr;

                         const int index = id.getTrailingIntValue() - 1;
                         return std::make_unique<Output> (units[(size_t) index].get());
                     },
                     [this] (const juce::String& id, juce::MidiInputCallback& callback) -> std::unique_ptr<MidiDeviceLists::OpenInput>
                     {
                         if (unopenable.contains (id))
                             return nullptr;

                         auto& input = inputs[(size_t) id.getTrailingIntValue() - 1];
                         input.open = &callback;
                         return std::make_unique<OpenInput> (input);
                     } };
        }

        VirtualClock clock;
        juce::Array<juce::MidiDeviceInfo> inputInfos, outputInfos;
        std::vector<Input> inputs;
        std::vector<std::unique_ptr<VeskVirtualUnit>> units;
        juce::StringArray unopenable;
    };

    VeskUnitFinder::Result find (FakePorts& ports)
    {
        VeskUnitFinder finder (ports.lists(), ports.clock);
        bool finished = false;
        finder.onFinished = [&finished]
        { finished = true; };

        EXPECT_TRUE (finder.start());
        ports.clock.runUntilIdle();
        EXPECT_TRUE (finished);

        for (auto& input : ports.inputs)
            EXPECT_EQ (input.open, nullptr) << "every port is closed again";

        return finder.getResult();
    }
}

TEST (VeskUnitFinder, ChoosesTheOnePairThatAnswers)
{
    FakePorts ports (3, 3);
    ports.plugUnit (2, 3);

    const auto result = find (ports);
    ASSERT_EQ (result.answered.size(), 1u);
    EXPECT_EQ (result.answered[0].output.name, "Out 2");
    EXPECT_EQ (result.answered[0].input.name, "In 3");
    EXPECT_EQ (result.outputsTried, 3);
}

TEST (VeskUnitFinder, SaysSoWhenNothingAnswers)
{
    FakePorts ports (2, 2);
    ports.unopenable.add ("out:2");

    const auto result = find (ports);
    EXPECT_TRUE (result.answered.empty());
    EXPECT_EQ (result.describe (advice),
               "No unit answered on any of the 2 inputs after a request on each of the 1 outputs.\n"
               "Check the cables and that the unit is switched on, or try the program with Unit > Virtual Unit.\n"
               "\nNot searched:\n  Out 2 (output): cannot be opened");

    FakePorts none (0, 0);
    EXPECT_TRUE (find (none).describe (advice).startsWith ("No unit can answer: there is no MIDI output on this computer."));
}

TEST (VeskUnitFinder, ListsEveryPairWhenTwoAnswer)
{
    FakePorts ports (2, 2);
    ports.plugUnit (1, 1);
    ports.plugUnit (2, 2);

    const auto result = find (ports);
    ASSERT_EQ (result.answered.size(), 2u);
    EXPECT_TRUE (result.describe (advice).contains ("  output Out 1, input In 1\n  output Out 2, input In 2"));
}

TEST (VeskUnitFinder, ADamagedOrForeignAnswerIsNoAnswer)
{
    FakePorts ports (1, 1);
    ports.plugUnit (1, 1);
    VeskVirtualUnit::Fault damaged;
    damaged.badChecksum = true;
    damaged.foreignBefore = true;
    ports.units[0]->setFault (1, damaged);

    EXPECT_TRUE (find (ports).answered.empty());
}
