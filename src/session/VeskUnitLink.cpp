#include "VeskUnitLink.h"
#include "midi/MidiOutLog.h"
#include "midi/MidiOutTee.h"
#include "midi/MidiSettingsFile.h"

#include <algorithm>

VeskUnitLink::VeskUnitLink (VeskClock& clock, bool openDevices, MidiOut* wireTap, bool startGateOpen, bool deferStart)
    : virtualUnit (clock),
      tap (makeTap (wireTap, midiOut)),
      sentWatch (*this, tap != nullptr ? *tap : static_cast<MidiOut&> (midiOut)),
      startHold (sentWatch, deferStart),
      startGate (startHold),
      openDevicesAtStart (openDevices),
      started (! deferStart)
{
    if (openDevices && ! deferStart)
        startError = MidiSettingsFile::initialiseDeviceManager (deviceManager);

    // With the start-up reset off the whole start sends nothing, the pattern
    // page's first word to the unit included, until the gate opens.
    startGate.setOpen (startGateOpen);
}

VeskUnitLink::~VeskUnitLink()
{
    detachReceivers();
}

void VeskUnitLink::SentWatch::send (const juce::MidiMessage& message)
{
    destination.send (message);

    if (link.whatIsMissing (false) == SessionResult::Refusal::none)
        for (auto* watcher : watchers)
            watcher->send (message);
}

void VeskUnitLink::addSentWatcher (MidiOut* watcher)
{
    sentWatch.watchers.push_back (watcher);
}

void VeskUnitLink::removeSentWatcher (MidiOut* watcher)
{
    auto& w = sentWatch.watchers;
    w.erase (std::remove (w.begin(), w.end(), watcher), w.end());
}

std::unique_ptr<MidiOut> VeskUnitLink::makeTap (MidiOut* wireTap, MidiOut& destination)
{
    if (wireTap != nullptr)
        return std::make_unique<MidiOutTee> (*wireTap, destination);

    return MidiOutLog::fromEnvironment (destination);
}

void VeskUnitLink::connect (VeskModel& modelToUse, std::vector<MyMidiInputCallback::Listener*> listeners)
{
    model = &modelToUse;
    receiverListeners = std::move (listeners);

    if (started)
        attachReceivers();
}

void VeskUnitLink::setEditor (MyMidiInputCallback::Editor* editorToUse)
{
    editor = editorToUse;

    for (auto* receiver : receivers)
        receiver->editor = editor;
}

void VeskUnitLink::start()
{
    if (started)
        return;

    started = true;

    if (openDevicesAtStart)
        startError = MidiSettingsFile::initialiseDeviceManager (deviceManager);

    attachReceivers();
    startHold.release();
}

void VeskUnitLink::attachReceivers()
{
    detachReceivers();

    if (model == nullptr)
        return;

    auto addReceiver = [this] (const juce::String& identifier)
    {
        auto* receiver = receivers.add (std::make_unique<MyMidiInputCallback> (*model));

        for (auto* listener : receiverListeners)
            receiver->addListener (listener);

        receiver->editor = editor;

        receiverInputs.add (identifier);
        return receiver;
    };

    if (virtualUnitInUse)
    {
        virtualUnit.connectTo (addReceiver ({}));
        return;
    }

    // Listing the inputs asks ALSA, which costs the start time and memory when
    // no input can be enabled anyway.
    if (! deviceManager.mayHaveEnabledInputs())
        return;

    for (const auto& input : juce::MidiInput::getAvailableDevices())
        if (deviceManager.isMidiInputDeviceEnabled (input.identifier))
            deviceManager.addMidiInputDeviceCallback (input.identifier, addReceiver (input.identifier));
}

void VeskUnitLink::detachReceivers()
{
    virtualUnit.connectTo (nullptr);

    for (int i = 0; i < receivers.size(); ++i)
        if (receiverInputs[i].isNotEmpty())
            deviceManager.removeMidiInputDeviceCallback (receiverInputs[i], receivers[i]);

    receivers.clear();
    receiverInputs.clear();
}

void VeskUnitLink::setVirtualUnitInUse (bool shouldBeInUse)
{
    virtualUnitInUse = shouldBeInUse;
    midiOut.setTarget (shouldBeInUse ? static_cast<MidiOut&> (virtualUnit) : static_cast<MidiOut&> (deviceOut));
    attachReceivers();
}

SessionResult::Refusal VeskUnitLink::whatIsMissing (bool needsAnswers) const
{
    if (virtualUnitInUse)
        return SessionResult::Refusal::none;

    if (deviceManager.getDefaultMidiOutput() == nullptr)
        return SessionResult::Refusal::noOutput;

    if (needsAnswers && receivers.isEmpty())
        return SessionResult::Refusal::noInput;

    return SessionResult::Refusal::none;
}

void VeskUnitLink::useFoundPair (const VeskUnitFinder::Pair& pair)
{
    deviceManager.setDefaultMidiOutputDevice (pair.output.identifier);
    deviceManager.setMidiInputDeviceEnabled (pair.input.identifier, true);
    outputChosenSinceStart = true;
    MidiSettingsFile::save (deviceManager, true);

    if (virtualUnitInUse)
        setVirtualUnitInUse (false);
    else
        attachReceivers();
}

void VeskUnitLink::midiSettingsClosed()
{
    MidiSettingsFile::save (deviceManager, outputChosenSinceStart);
    attachReceivers();
}
