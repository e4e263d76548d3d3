#pragma once

#include "model/MidiOut.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <functional>
#include <memory>

/** Where the program gets the MIDI ports it lists and opens outside the
    device manager (the settings panel, Find Unit): the system's, or fakes
    where no port exists (tests). */
struct MidiDeviceLists
{
    /** An open input: it calls its callback, on a thread of its own, until deleted. */
    struct OpenInput
    {
        virtual ~OpenInput() = default;
    };

    using ListFunction = std::function<juce::Array<juce::MidiDeviceInfo>()>;
    using OpenOutputFunction = std::function<std::unique_ptr<MidiOut> (const juce::String& identifier)>;
    using OpenInputFunction = std::function<std::unique_ptr<OpenInput> (const juce::String& identifier, juce::MidiInputCallback& callback)>;

    MidiDeviceLists() = default;

    /** Ports that are only listed need no way to open them. */
    MidiDeviceLists (ListFunction listInputs, ListFunction listOutputs,
                     OpenOutputFunction openOutputPort = {}, OpenInputFunction openInputPort = {})
        : inputs (std::move (listInputs)), outputs (std::move (listOutputs)),
          openOutput (std::move (openOutputPort)), openInput (std::move (openInputPort))
    {
    }

    ListFunction inputs;
    ListFunction outputs;

    /** Opens an output by identifier; nullptr when it cannot be opened. */
    OpenOutputFunction openOutput;

    /** Opens an input by identifier; nullptr when it cannot be opened. */
    OpenInputFunction openInput;

    /** The ports the operating system lists now. */
    static MidiDeviceLists system();
};
