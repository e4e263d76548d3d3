#include "MessageThreadMidiInputCallback.h"

MessageThreadMidiInputCallback::MessageThreadMidiInputCallback()
    : liveness (std::make_shared<Liveness> (Liveness { this }))
{
}

MessageThreadMidiInputCallback::~MessageThreadMidiInputCallback()
{
    // Deleted on the message thread, where queued messages run, so no message
    // can be between its check and its use of the callback here.
    JUCE_ASSERT_MESSAGE_THREAD
    liveness->callback = nullptr;
}

void MessageThreadMidiInputCallback::handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message)
{
    // Never wait for the message thread here: it may be detaching this callback
    // while the device manager holds its lock around this call.
    juce::MessageManager::callAsync ([token = liveness, copy = message]
                                     {
                                         if (auto* callback = token->callback)
                                             callback->applyMessage (copy); });
}
