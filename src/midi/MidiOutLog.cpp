#include "MidiOutLog.h"
#include "model/WholeFileWriter.h"

MidiOutLog::MidiOutLog (MidiOut& destinationToUse, const juce::File& logFile)
    : destination (destinationToUse),
      file (logFile)
{
    writeOut();
}

MidiOutLog::~MidiOutLog()
{
    cancelPendingUpdate();
    writeOut();
}

void MidiOutLog::send (const juce::MidiMessage& message)
{
    {
        const juce::ScopedLock sl (lock);
        text << juce::String::toHexString (message.getRawData(), message.getRawDataSize()).toUpperCase() << "\n";
    }

    // Written once the messages sent together have all been sent: a start's
    // hundreds of messages are one write, not hundreds.
    triggerAsyncUpdate();

    destination.send (message);
}

void MidiOutLog::handleAsyncUpdate() { writeOut(); }

void MidiOutLog::writeOut()
{
    // Whole, as every file the program writes: a test reading it while the
    // program runs sees each message's line complete or not at all. A log
    // that cannot be written only costs the test its view.
    const juce::ScopedLock sl (lock);

    if (writable)
        writable = WholeFileWriter::write (file, text.getData(), text.getDataSize()).wasOk();
}

std::unique_ptr<MidiOutLog> MidiOutLog::fromEnvironment (MidiOut& destination)
{
    const auto path = juce::SystemStats::getEnvironmentVariable (environmentVariable, {});

    if (path.isEmpty())
        return nullptr;

    return std::make_unique<MidiOutLog> (destination, juce::File::getCurrentWorkingDirectory().getChildFile (path));
}
