#include "MidiDeviceLists.h"

namespace
{
    struct SystemOutput : MidiOut
    {
        explicit SystemOutput (std::unique_ptr<juce::MidiOutput> p) : port (std::move (p)) {}
        void send (const juce::MidiMessage& message) override { port->sendMessageNow (message); }

        std::unique_ptr<juce::MidiOutput> port;
    };

    struct SystemInput : MidiDeviceLists::OpenInput
    {
        explicit SystemInput (std::unique_ptr<juce::MidiInput> p) : port (std::move (p)) { port->start(); }
        ~SystemInput() override { port->stop(); }

        std::unique_ptr<juce::MidiInput> port;
    };
}

MidiDeviceLists MidiDeviceLists::system()
{
    MidiDeviceLists lists;
    lists.inputs = []
    { return juce::MidiInput::getAvailableDevices(); };
    lists.outputs = []
    { return juce::MidiOutput::getAvailableDevices(); };

    lists.openOutput = [] (const juce::String& identifier) -> std::unique_ptr<MidiOut>
    {
        if (auto port = juce::MidiOutput::openDevice (identifier))
            return std::make_unique<SystemOutput> (std::move (port));

        return nullptr;
    };

    lists.openInput = [] (const juce::String& identifier, juce::MidiInputCallback& callback) -> std::unique_ptr<OpenInput>
    {
        if (auto port = juce::MidiInput::openDevice (identifier, &callback))
            return std::make_unique<SystemInput> (std::move (port));

        return nullptr;
    };

    return lists;
}
