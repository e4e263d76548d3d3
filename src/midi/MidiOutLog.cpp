#include "MidiOutLog.h"

MidiOutLog::MidiOutLog (MidiOut& destinationToUse, const juce::File& logFile)
    : destination (destinationToUse),
      stream (logFile)
{
    if (stream.openedOk())
    {
        stream.setPosition (0);
        stream.truncate();
    }
}

MidiOutLog::~MidiOutLog() = default;

void MidiOutLog::send (const juce::MidiMessage& message)
{
    if (stream.openedOk())
    {
        stream << juce::String::toHexString (message.getRawData(), message.getRawDataSize()).toUpperCase() << "\n";
        stream.flush(); // read while the program runs
    }

    destination.send (message);
}

std::unique_ptr<MidiOutLog> MidiOutLog::fromEnvironment (MidiOut& destination)
{
    const auto path = juce::SystemStats::getEnvironmentVariable (environmentVariable, {});

    if (path.isEmpty())
        return nullptr;

    return std::make_unique<MidiOutLog> (destination, juce::File::getCurrentWorkingDirectory().getChildFile (path));
}
