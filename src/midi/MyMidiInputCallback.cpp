#include "MyMidiInputCallback.h"
#include "editors/VeskComponent.h"

MyMidiInputCallback::MyMidiInputCallback (VeskModel& modelToUse, VeskComponent& editorToRefresh)
    : model (modelToUse), editor (editorToRefresh)
{
}

MyMidiInputCallback::~MyMidiInputCallback() = default;

void MyMidiInputCallback::handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage&)
{
}
