#include "MyMidiInputCallback.h"

#include "editors/VeskComponent.h"

MyMidiInputCallback::MyMidiInputCallback (VeskModel& modelToUse, VeskComponent& editorToRefresh)
    : model (modelToUse),
      editor (editorToRefresh),
      liveness (std::make_shared<Liveness> (Liveness { this }))
{
}

MyMidiInputCallback::~MyMidiInputCallback()
{
    // Receivers are deleted on the message thread, where queued messages run,
    // so no message can be between its check and its use of the receiver here.
    JUCE_ASSERT_MESSAGE_THREAD
    liveness->receiver = nullptr;
}

void MyMidiInputCallback::handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message)
{
    // Never wait for the message thread here: it may be detaching this receiver
    // while the device manager holds its lock around this call.
    juce::MessageManager::callAsync ([token = liveness, copy = message]
                                     {
                                         if (auto* receiver = token->receiver)
                                             receiver->applyMessage (copy); });
}

void MyMidiInputCallback::applyMessage (const juce::MidiMessage& message)
{
    if (message.isSysEx())
    {
        const auto dump = model.receiveDump (message.getSysExData(), message.getSysExDataSize());

        if (dump.result == VeskDecoder::DumpResult::systemBlock)
            editor.refreshSystemPage();
        else if (dump.applied())
            editor.refreshPatternsPage (0);

        return;
    }

    const auto action = model.receiveChannelMessage (message, bankSelect);

    using Kind = VeskDecoder::ChannelAction::Kind;

    if (action.kind == Kind::controllerStored)
    {
        editor.refreshPatternsPage (action.controller);
    }
    else if (action.kind == Kind::selectPattern)
    {
        // The page's own handler makes the pattern current and tells the unit.
        if (auto* page = editor.patternsPage)
            page->patternsCombo->setSelectedItemIndex (action.patternItem, juce::sendNotificationAsync);
    }
}
