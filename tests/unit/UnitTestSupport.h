#pragma once

#include "../editors/EditorTestSupport.h"
#include "VirtualClock.h"
#include "midi/MyMidiInputCallback.h"
#include "unit/VeskTransfer.h"
#include "unit/VeskVirtualUnit.h"

/** The model's output: keeps what is sent, and when, then hands it to the unit. */
struct TimedMidiOut : MidiOut
{
    TimedMidiOut (VeskClock& c, MidiOut& to) : clock (c), unit (to) {}

    void send (const juce::MidiMessage& message) override
    {
        sent.push_back ({ clock.now(), bytesOf (message) });
        unit.send (message);
    }

    int numRequests() const
    {
        int n = 0;

        for (auto& s : sent)
            n += (s.bytes.size() > 5 && s.bytes[5] == 0x11) ? 1 : 0;

        return n;
    }

    struct Sent
    {
        double time;
        std::vector<juce::uint8> bytes;
    };

    VeskClock& clock;
    MidiOut& unit;
    std::vector<Sent> sent;
};

/** A library and a virtual unit on both ends of the line, in virtual time,
    with the receiver and the transfer wired as the program wires them. */
struct UnitLink : ::testing::Test
{
    UnitLink()
    {
        unit.connectTo (receiver.get());
        receiver->addListener (&transfer);
        wire.sent.clear();
    }

    std::vector<juce::uint8> library() const { return { model.image, model.image + VeskImage::imageSize }; }
    std::vector<juce::uint8> unitMemory() const { return { unit.memory, unit.memory + VeskImage::imageSize }; }

    /** Every byte of every block the unit takes and sends: all but the reserved tail. */
    static std::vector<juce::uint8> blocks (const std::vector<juce::uint8>& image)
    {
        return { image.begin(), image.begin() + VeskImage::reservedAreaOffset };
    }

    /** 7-bit bytes in every block, none of them a default, so nothing matches by chance. */
    static void scramble (juce::uint8* image, int seed)
    {
        juce::Random random (seed);

        for (int i = 0; i < VeskImage::reservedAreaOffset; ++i)
            image[i] = (juce::uint8) random.nextInt (128);
    }

    void runTransfer (VeskTransfer::Kind kind)
    {
        ASSERT_TRUE (transfer.start (kind));
        clock.runUntilIdle();
        ASSERT_FALSE (transfer.isRunning());
    }

    VirtualClock clock;
    VeskVirtualUnit unit { clock };
    TimedMidiOut wire { clock, unit };
    VeskModel model { wire };
    VeskTransfer transfer { model, clock };
    std::unique_ptr<MyMidiInputCallback> receiver = std::make_unique<MyMidiInputCallback> (model);
};
