#include "VeskUnitFinder.h"
#include "model/VeskDecoder.h"
#include "model/VeskImage.h"
#include "model/VeskProtocol.h"

/** One open input: what it hears comes to the finder on the message thread. */
struct VeskUnitFinder::Input : MessageThreadMidiInputCallback
{
    Input (VeskUnitFinder& f, const juce::MidiDeviceInfo& i) : finder (f), info (i) {}

    void applyMessage (const juce::MidiMessage& message) override { finder.heard (*this, message); }

    VeskUnitFinder& finder;
    juce::MidiDeviceInfo info;
    std::unique_ptr<MidiDeviceLists::OpenInput> port; // closed before the callback goes
};

VeskUnitFinder::VeskUnitFinder (const MidiDeviceLists& portsToSearch, VeskClock& clockToUse)
    : ports (portsToSearch),
      clock (clockToUse)
{
}

VeskUnitFinder::~VeskUnitFinder()
{
    if (timerId != 0)
        clock.cancel (timerId);
}

bool VeskUnitFinder::start()
{
    if (running)
        return false;

    result = {};
    running = true;
    outputs = ports.outputs != nullptr ? ports.outputs() : juce::Array<juce::MidiDeviceInfo>();
    result.numOutputs = outputs.size();
    currentOutput = -1;

    const auto inputInfos = ports.inputs != nullptr ? ports.inputs() : juce::Array<juce::MidiDeviceInfo>();
    result.numInputs = inputInfos.size();

    for (const auto& info : inputInfos)
    {
        auto input = std::make_unique<Input> (*this, info);

        if (ports.openInput != nullptr)
            input->port = ports.openInput (info.identifier, *input);

        if (input->port == nullptr)
            result.unusable.add (info.name + " (input): cannot be opened");
        else
            inputs.push_back (std::move (input));
    }

    tryNextOutput();
    return true;
}

void VeskUnitFinder::cancel()
{
    if (! running)
        return;

    result.cancelled = true;
    finish();
}

juce::String VeskUnitFinder::getCurrentOutputName() const
{
    return outputs[currentOutput].name;
}

void VeskUnitFinder::tryNextOutput()
{
    timerId = 0;

    while (++currentOutput < outputs.size())
    {
        const auto& output = outputs.getReference (currentOutput);
        auto port = ports.openOutput != nullptr ? ports.openOutput (output.identifier) : nullptr;

        if (port == nullptr)
        {
            result.unusable.add (output.name + " (output): cannot be opened");
            continue;
        }

        ++result.outputsTried;

        if (onProgress != nullptr)
            onProgress();

        // Without an input there is nothing to hear an answer on.
        if (! inputs.empty())
        {
            port->send (VeskProtocol::systemRequest());
            timerId = clock.callAfter (timeoutMs, [this]
                                       { tryNextOutput(); });
            return;
        }
    }

    finish();
}

void VeskUnitFinder::heard (const Input& input, const juce::MidiMessage& message)
{
    if (! running || currentOutput < 0 || currentOutput >= outputs.size() || ! message.isSysEx())
        return;

    juce::uint8 scratch[VeskImage::imageSize];
    const auto dump = VeskDecoder::applyDump (scratch, message.getSysExData(), message.getSysExDataSize());

    if (dump.result != VeskDecoder::DumpResult::systemBlock)
        return;

    const auto& output = outputs.getReference (currentOutput);

    for (auto& pair : result.answered)
        if (pair.output == output && pair.input == input.info)
            return;

    result.answered.push_back ({ output, input.info });
}

void VeskUnitFinder::finish()
{
    if (timerId != 0)
        clock.cancel (timerId);

    timerId = 0;
    running = false;
    inputs.clear();

    if (onFinished != nullptr)
        onFinished();
}

juce::String VeskUnitFinder::Result::describe (const Advice& advice) const
{
    juce::StringArray text;

    if (cancelled)
        text.add ("Cancelled after trying " + juce::String (outputsTried) + " of " + juce::String (numOutputs) + " outputs.");

    if (answered.empty())
    {
        if (! cancelled)
            text.add (numOutputs == 0 || numInputs == 0
                          ? "No unit can answer: there is no MIDI " + juce::String (numOutputs == 0 ? "output" : "input") + " on this computer."
                          : "No unit answered on any of the " + juce::String (numInputs) + " inputs after a request on each of the "
                                + juce::String (outputsTried) + " outputs.");

        if (advice.whenNoneAnswered.isNotEmpty())
            text.add (advice.whenNoneAnswered);
    }
    else if (answered.size() > 1)
    {
        text.add ("More than one pair of ports answered, so none was chosen:");

        for (auto& pair : answered)
            text.add ("  output " + pair.output.name + ", input " + pair.input.name);

        if (advice.whenSeveralAnswered.isNotEmpty())
            text.add (advice.whenSeveralAnswered);
    }

    if (! unusable.isEmpty())
        text.add ("\nNot searched:\n  " + unusable.joinIntoString ("\n  "));

    return text.joinIntoString ("\n");
}
