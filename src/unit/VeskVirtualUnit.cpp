#include "VeskVirtualUnit.h"
#include "model/VeskDecoder.h"
#include "model/VeskProtocol.h"

#include <cstring>

VeskVirtualUnit::VeskVirtualUnit (VeskClock& clockToUse)
    : clock (clockToUse)
{
    resetMemory();
}

VeskVirtualUnit::~VeskVirtualUnit()
{
    for (int id : pendingDeliveries)
        clock.cancel (id);
}

void VeskVirtualUnit::resetMemory()
{
    state.reset();
}

//==============================================================================
void VeskVirtualUnit::send (const juce::MidiMessage& message)
{
    const auto taken = state.take (message);

    if (taken.kind == VeskUnitMemory::Taken::Kind::request)
        answer (VeskProtocol::blockBulk (memory, taken.block));
}

//==============================================================================
void VeskVirtualUnit::turnKnob (int controllerNumber, int value)
{
    const int offset = VeskDecoder::patternOffsetForController (controllerNumber);

    if (offset < 0)
        return;

    memory[VeskImage::temporaryPatternOffset + offset] = (juce::uint8) (value & 0x7F);

    if (state.channelIsOn())
        sendLater (juce::MidiMessage::controllerEvent (memory[VeskImage::System::midiChannel] + 1, controllerNumber, value & 0x7F), 0.0);
}

void VeskVirtualUnit::changePattern (VeskBlock userPattern)
{
    using namespace VeskImage;

    if (! userPattern.isUser())
        return;

    selectedUserPattern = userPattern;
    std::memcpy (memory + temporaryPatternOffset, memory + userPattern.imageOffset(), (size_t) patternSize);

    if (! state.channelIsOn() || memory[System::transmitProgramChange] == 0)
        return;

    const int channel = memory[System::midiChannel] + 1;
    sendLater (juce::MidiMessage::controllerEvent (channel, 0x00, VeskDecoder::userPatternBank), 0.0);
    sendLater (juce::MidiMessage::controllerEvent (channel, 0x20, 0), 0.0);
    sendLater (juce::MidiMessage::programChange (channel, userPattern.programNumber()), 0.0);
}

//==============================================================================
void VeskVirtualUnit::answer (const juce::MidiMessage& dump)
{
    const auto it = faults.find (++numAnswers);
    const Fault fault = it != faults.end() ? it->second : Fault();

    if (fault.drop)
        return;

    const double delay = (answerDelayMs < 0.0 ? VeskProtocol::wireMilliseconds (dump.getRawDataSize()) : answerDelayMs) + fault.extraDelayMs;

    if (fault.foreignBefore)
    {
        // 7D: the maker ID kept for non-commercial use, so never this unit's.
        const juce::uint8 foreign[] = { 0x7D, 0x01, 0x02, 0x03, 0x04, 0x05 };
        sendLater (juce::MidiMessage::createSysExMessage (foreign, (int) sizeof (foreign)), delay);
    }

    if (! fault.badChecksum && ! fault.cutShort)
    {
        sendLater (dump, delay);
        return;
    }

    // A new message rather than one assigned over the dump: JUCE 7.0.5's
    // MidiMessage move assignment loses the storage it replaces.
    juce::MemoryBlock body (dump.getSysExData(), (size_t) dump.getSysExDataSize());
    auto* bytes = static_cast<juce::uint8*> (body.getData());
    const int length = (int) body.getSize();

    if (fault.badChecksum)
        bytes[length - 1] = (juce::uint8) ((bytes[length - 1] + 1) & 0x7F);

    sendLater (juce::MidiMessage::createSysExMessage (bytes, fault.cutShort ? length / 2 : length), delay);
}

void VeskVirtualUnit::sendLater (const juce::MidiMessage& message, double delayMs)
{
    if (delayMs <= 0.0)
    {
        deliver (message);
        return;
    }

    // The id is known only once scheduled, so the callback finds it through a shared slot.
    auto id = std::make_shared<int> (0);
    *id = clock.callAfter (delayMs, [this, message, id]
                           {
                               pendingDeliveries.erase (*id);
                               deliver (message); });
    pendingDeliveries.insert (*id);
}

void VeskVirtualUnit::deliver (const juce::MidiMessage& message)
{
    if (connectedInput != nullptr)
        connectedInput->handleIncomingMidiMessage (nullptr, message);
}
