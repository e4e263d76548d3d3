#include "VeskVirtualUnit.h"
#include "model/VeskDecoder.h"
#include "model/VeskModel.h"
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
    VeskModel::writeDefaults (memory);
    selectedUserPattern = -1;
}

//==============================================================================
void VeskVirtualUnit::send (const juce::MidiMessage& message)
{
    if (! message.isSysEx())
    {
        takeChannelMessage (message);
        return;
    }

    const auto* body = message.getSysExData();
    const int length = message.getSysExDataSize();

    // Another maker's or model's message, or damaged: not for this unit.
    if (length < VeskProtocol::dataOffset + 2 || body[0] != VeskProtocol::maker || body[1] != VeskProtocol::deviceId
        || body[2] != VeskProtocol::modelHigh || body[3] != VeskProtocol::modelLow
        || VeskProtocol::computeChecksum (body, length) != body[length - 1])
        return;

    for (int i = 0; i < length; ++i)
        if (body[i] > 0x7F)
            return;

    if (body[4] == VeskProtocol::commandDataSet)
        takeDataSet (body, length);
    else if (body[4] == VeskProtocol::commandDataRequest)
        answerRequest (body, length);
}

juce::uint8* VeskVirtualUnit::block (int area, int number, int& size) noexcept
{
    using namespace VeskImage;

    switch (area)
    {
        case Area::system:
            size = systemBlockSize;
            return memory + systemBlockOffset;

        case Area::temporaryPattern:
            // The number in a1 plays no part: the edit buffer is one.
            size = patternSize;
            return memory + temporaryPatternOffset;

        case Area::userPattern:
            size = patternSize;
            return number < numUserPatterns ? memory + userPatternOffset (number) : nullptr;

        default:
            return nullptr;
    }
}

void VeskVirtualUnit::takeDataSet (const juce::uint8* body, int length)
{
    int size = 0;
    auto* destination = block (body[5], body[6], size);
    const int offset = (body[7] << 7) | body[8];
    const int dataSize = length - VeskProtocol::dataOffset - 1;

    // Data that would run past the block it addresses is not taken at all.
    if (destination == nullptr || offset + dataSize > size)
        return;

    std::memcpy (destination + offset, body + VeskProtocol::dataOffset, (size_t) dataSize);
}

void VeskVirtualUnit::answerRequest (const juce::uint8* body, int length)
{
    using namespace VeskImage;

    if (length != VeskProtocol::requestBodySize)
        return;

    const int area = body[5];
    int size = 0;
    auto* source = block (area, body[6], size);

    if (source == nullptr)
        return;

    if (area == Area::system)
        answer (VeskProtocol::systemBulk (source));
    else
        answer (VeskProtocol::patternBulk (area, area == Area::userPattern ? body[6] : 0, source));
}

bool VeskVirtualUnit::channelIsOn() const noexcept
{
    return memory[VeskImage::System::midiChannel] < VeskImage::System::channelOff;
}

void VeskVirtualUnit::takeChannelMessage (const juce::MidiMessage& message)
{
    using namespace VeskImage;

    if (! channelIsOn() || message.getChannel() != memory[System::midiChannel] + 1)
        return;

    if (message.isController() && memory[System::receiveControlChange] != 0)
    {
        const int number = message.getControllerNumber();

        if (number == 0)
            bankSelect = message.getControllerValue();
        else if (const int offset = VeskDecoder::patternOffsetForController (number); offset >= 0)
            memory[temporaryPatternOffset + offset] = (juce::uint8) message.getControllerValue();
    }
    else if (message.isProgramChange() && memory[System::receiveProgramChange] != 0)
    {
        const int program = message.getProgramChangeNumber();

        if (bankSelect == VeskDecoder::userPatternBank && program < numUserPatterns)
        {
            selectedUserPattern = program;
            std::memcpy (memory + temporaryPatternOffset, memory + userPatternOffset (program), (size_t) patternSize);
        }
    }
}

//==============================================================================
void VeskVirtualUnit::turnKnob (int controllerNumber, int value)
{
    const int offset = VeskDecoder::patternOffsetForController (controllerNumber);

    if (offset < 0)
        return;

    memory[VeskImage::temporaryPatternOffset + offset] = (juce::uint8) (value & 0x7F);

    if (channelIsOn())
        sendLater (juce::MidiMessage::controllerEvent (memory[VeskImage::System::midiChannel] + 1, controllerNumber, value & 0x7F), 0.0);
}

void VeskVirtualUnit::changePattern (int userPatternIndex)
{
    using namespace VeskImage;

    if (userPatternIndex < 0 || userPatternIndex >= numUserPatterns)
        return;

    selectedUserPattern = userPatternIndex;
    std::memcpy (memory + temporaryPatternOffset, memory + userPatternOffset (userPatternIndex), (size_t) patternSize);

    if (! channelIsOn() || memory[System::transmitProgramChange] == 0)
        return;

    const int channel = memory[System::midiChannel] + 1;
    sendLater (juce::MidiMessage::controllerEvent (channel, 0x00, VeskDecoder::userPatternBank), 0.0);
    sendLater (juce::MidiMessage::controllerEvent (channel, 0x20, 0), 0.0);
    sendLater (juce::MidiMessage::programChange (channel, userPatternIndex), 0.0);
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
