#include "EditorTestSupport.h"
#include "editors/VeskBassComponent.h"
#include "editors/VeskComponent.h"
#include "editors/VeskLeadComponent.h"
#include "editors/VeskLineinComponent.h"
#include "editors/VeskRythmComponent.h"
#include "midi/MyMidiInputCallback.h"

#include <atomic>
#include <future>
#include <mutex>
#include <thread>

using namespace VeskImage;

namespace
{
    /** A dump body as the unit sends it (without F0 / F7), checksum included. */
    std::vector<juce::uint8> dumpBody (int a0, int a1, const juce::uint8* data, int size)
    {
        std::vector<juce::uint8> body ((size_t) size + 10, 0);
        const juce::uint8 header[] = { 0x41, 0x10, 0x00, 0x4F, 0x12, (juce::uint8) a0, (juce::uint8) a1 };
        std::copy (std::begin (header), std::end (header), body.begin());
        std::copy (data, data + size, body.begin() + 9);
        body.back() = VeskModel::computeChecksum (body.data(), (int) body.size());
        return body;
    }

    juce::MidiMessage sysex (const std::vector<juce::uint8>& body)
    {
        return juce::MidiMessage::createSysExMessage (body.data(), (int) body.size());
    }

    struct IncomingMidi : ModelFixture
    {
        IncomingMidi()
        {
            model.temporaryPattern[Pattern::type] = PartType::lineIn;
            editor.refreshPatternsPage (0); // built before the type was set
            editor.setSize (446, 470);
            dispatchPendingMessages();
            out.clear();
        }

        void receive (const juce::MidiMessage& m, MyMidiInputCallback& r)
        {
            r.handleIncomingMidiMessage (nullptr, m);
            dispatchPendingMessages();
        }

        void receive (const juce::MidiMessage& m) { receive (m, receiver); }

        double shownLevel()
        {
            auto* lineIn = dynamic_cast<VeskLineinComponent*> (editor.patternsPage->partEditor);
            return lineIn != nullptr ? lineIn->levelSlider->getValue() : -1.0;
        }

        VeskComponent editor { session };
        MyMidiInputCallback receiver { model, editor };
    };
}

TEST_F (IncomingMidi, ControllersOnTheUnitsChannelAreStoredAndShown)
{
    receive (juce::MidiMessage::controllerEvent (1, 7, 100));
    EXPECT_EQ (model.currentPattern[Pattern::level], 100);
    EXPECT_DOUBLE_EQ (shownLevel(), 100.0);

    receive (juce::MidiMessage::controllerEvent (1, 74, 99));
    EXPECT_EQ (model.currentPattern[Pattern::filterCutoffOrBdLevel], 99);

    receive (juce::MidiMessage::controllerEvent (2, 7, 5));
    receive (juce::MidiMessage::controllerEvent (1, 32, 5));
    receive (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100));
    receive (juce::MidiMessage::pitchWheel (1, 0));
    EXPECT_EQ (model.currentPattern[Pattern::level], 100);
    EXPECT_DOUBLE_EQ (shownLevel(), 100.0);
    EXPECT_TRUE (out.messages.empty()); // nothing is ever echoed
}

TEST_F (IncomingMidi, ChannelOffIgnoresChannelMessagesButNotDumps)
{
    model.systemBlock[System::midiChannel] = System::channelOff;
    const auto before = model.currentPattern[Pattern::level];

    receive (juce::MidiMessage::controllerEvent (1, 7, 3));
    receive (juce::MidiMessage::controllerEvent (1, 0, 85));
    receive (juce::MidiMessage::programChange (1, 4));
    EXPECT_EQ (model.currentPattern[Pattern::level], before);
    EXPECT_EQ (editor.patternsPage->patternsCombo->getSelectedItemIndex(), 0);

    juce::uint8 block[13] = { 10, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 20 };
    receive (sysex (dumpBody (0, 0, block, 13)));
    EXPECT_TRUE (std::equal (block, block + 13, model.systemBlock));
    EXPECT_TRUE (out.messages.empty());
}

TEST_F (IncomingMidi, ProgramChangeAfterBank85SelectsThatUserPattern)
{
    receive (juce::MidiMessage::controllerEvent (1, 0, 85));
    receive (juce::MidiMessage::programChange (1, 4));

    EXPECT_EQ (editor.patternsPage->patternsCombo->getText(), "User 05");
    EXPECT_EQ (model.currentPatternIndex, 4);
    EXPECT_EQ (model.currentPattern, model.bytesOf (*VeskBlock::user (5)));
    ASSERT_GE (out.messages.size(), 3u);
    EXPECT_EQ (out.hexAt (0), "B0 00 55");
    EXPECT_EQ (out.hexAt (2), "C0 04");

    // The same pattern again: the selector does not change, so nothing goes out.
    out.clear();
    receive (juce::MidiMessage::programChange (1, 4));
    EXPECT_TRUE (out.messages.empty());

    // Bank 85 stays in force; a program naming no user pattern selects "Temporary".
    receive (juce::MidiMessage::programChange (1, 25));
    EXPECT_EQ (editor.patternsPage->patternsCombo->getText(), "Temporary");
    EXPECT_EQ (model.currentPattern, model.temporaryPattern);
}

TEST_F (IncomingMidi, ProgramChangeWithoutBank85SelectsTemporary)
{
    editor.patternsPage->patternsCombo->setSelectedItemIndex (3, juce::sendNotificationSync);

    receive (juce::MidiMessage::controllerEvent (1, 0, 84));
    receive (juce::MidiMessage::programChange (1, 4));
    EXPECT_EQ (editor.patternsPage->patternsCombo->getText(), "Temporary");
    EXPECT_EQ (model.currentPatternIndex, -1);

    // Each input keeps its own bank select.
    MyMidiInputCallback other (model, editor);
    receive (juce::MidiMessage::controllerEvent (1, 0, 85), other);
    receive (juce::MidiMessage::programChange (1, 4), receiver);
    EXPECT_EQ (editor.patternsPage->patternsCombo->getText(), "Temporary");
    EXPECT_EQ (other.bankSelect, 85);
}

TEST_F (IncomingMidi, SystemDumpNeedsTheRightChecksum)
{
    juce::uint8 block[13] = { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 };
    auto body = dumpBody (0, 0, block, 13);
    ASSERT_EQ (body.size(), 23u);

    auto damaged = body;
    damaged.back() ^= 0x01;
    receive (sysex (damaged));
    EXPECT_EQ (model.systemBlock[System::masterTune], 63);

    editor.setCurrentTabIndex (1);
    receive (sysex (body));
    EXPECT_TRUE (std::equal (block, block + 13, model.systemBlock));
    EXPECT_DOUBLE_EQ (editor.getSystemPage()->masterTuneSlider->getValue(), 427.4);
}

TEST_F (IncomingMidi, PatternDumpsReplaceTheAddressedRecord)
{
    std::vector<juce::uint8> record (model.temporaryPattern, model.temporaryPattern + Pattern::stepNote);
    record.resize (patternSize, 3);
    record[Pattern::level] = 42;
    record[Pattern::loopCtrl] = 2;

    receive (sysex (dumpBody (2, 4, record.data(), patternSize)));
    EXPECT_TRUE (std::equal (record.begin(), record.end(), model.bytesOf (*VeskBlock::user (5))));
    EXPECT_NE (model.temporaryPattern[Pattern::level], 42);
    EXPECT_TRUE (out.messages.empty());

    receive (sysex (dumpBody (1, 4, record.data(), patternSize)));
    EXPECT_TRUE (std::equal (record.begin(), record.end(), model.temporaryPattern));
    EXPECT_DOUBLE_EQ (shownLevel(), 42.0);
    EXPECT_EQ (model.currentPatternIndex, -1);

    // The changed loop control is shown and echoed once.
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x01, Pattern::loopCtrl, 2));
}

TEST_F (IncomingMidi, ShortForeignAndMisaddressedBodiesChangeNothing)
{
    juce::uint8 before[imageSize];
    std::copy (model.image, model.image + imageSize, before);

    std::vector<juce::uint8> record (patternSize, 1);
    auto pattern = dumpBody (2, 4, record.data(), patternSize);

    auto shortBody = std::vector<juce::uint8> (pattern.begin(), pattern.begin() + 40);
    shortBody.back() = VeskModel::computeChecksum (shortBody.data(), (int) shortBody.size());
    receive (sysex (shortBody));

    auto foreign = pattern;
    foreign[0] = 0x43;
    foreign.back() = VeskModel::computeChecksum (foreign.data(), (int) foreign.size());
    receive (sysex (foreign));

    receive (sysex (dumpBody (2, 20, record.data(), patternSize)));
    receive (sysex (dumpBody (3, 0, record.data(), patternSize)));
    receive (sysex ({ 0x41 }));

    EXPECT_TRUE (std::equal (before, before + imageSize, model.image));
    EXPECT_TRUE (out.messages.empty());
}

TEST_F (IncomingMidi, ControllerWhileSystemIsShownAppearsWhenPatternsReturns)
{
    editor.setCurrentTabIndex (1);
    receive (juce::MidiMessage::controllerEvent (1, 7, 11));

    EXPECT_EQ (model.currentPattern[Pattern::level], 11);
    EXPECT_NE (shownLevel(), 11.0);

    editor.setCurrentTabIndex (0);
    EXPECT_DOUBLE_EQ (shownLevel(), 11.0);
}

TEST_F (IncomingMidi, MessagesQueuedForADeletedReceiverAreDropped)
{
    auto doomed = std::make_unique<MyMidiInputCallback> (model, editor);

    for (int i = 0; i < 1000; ++i)
        doomed->handleIncomingMidiMessage (nullptr, juce::MidiMessage::controllerEvent (1, 7, 1));

    doomed.reset();
    model.currentPattern[Pattern::level] = 127;
    dispatchPendingMessages();

    EXPECT_EQ (model.currentPattern[Pattern::level], 127);
}

// A MIDI thread feeds whichever receiver is attached, holding the attach lock
// as the device manager does, while the message thread swaps receivers.
TEST_F (IncomingMidi, ReceiversSwappedUnderLoadNeverSeeLateMessages)
{
    std::mutex attachLock;
    MyMidiInputCallback* attached = nullptr;
    std::atomic<bool> stop { false };
    std::atomic<int> fed { 0 };
    std::atomic<int> budget { 0 }; // per attachment, as a real port's rate is bounded

    std::thread midiThread ([&]
                            {
                                while (! stop)
                                {
                                    {
                                        std::lock_guard<std::mutex> lock (attachLock);

                                        for (int i = 0; i < 20 && attached != nullptr && budget > 0; ++i, --budget)
                                        {
                                            attached->handleIncomingMidiMessage (nullptr, juce::MidiMessage::controllerEvent (1, 7, fed % 100));
                                            ++fed;
                                        }
                                    }

                                    std::this_thread::yield();
                                } });

    int lateApplications = 0;

    // Enough rounds and messages to mix attaching, feeding and deleting well;
    // the time bound only keeps slow (sanitized) builds from running long.
    const auto giveUp = juce::Time::getMillisecondCounter() + 20000;

    for (int round = 0; round < 200 || fed < 5000; ++round)
    {
        auto swapped = std::make_unique<MyMidiInputCallback> (model, editor);

        {
            std::lock_guard<std::mutex> lock (attachLock);
            attached = swapped.get();
            budget = 200;
        }

        // Let some arrive and be applied while attached.
        for (int i = 0; i < 20; ++i)
        {
            std::this_thread::yield();
            juce::dispatchNextMessageOnSystemQueue (true);
        }

        {
            std::lock_guard<std::mutex> lock (attachLock);
            attached = nullptr;
        }

        swapped.reset();
        model.currentPattern[Pattern::level] = 127; // a value the feeder never sends
        dispatchPendingMessages();
        lateApplications += model.currentPattern[Pattern::level] != 127 ? 1 : 0;

        if (juce::Time::getMillisecondCounter() > giveUp)
            break;
    }

    stop = true;
    midiThread.join();

    EXPECT_GE (fed.load(), 5000);
    EXPECT_EQ (lateApplications, 0);
}

TEST_F (IncomingMidi, ListenersHearEveryDumpAndALentImageKeepsTheLibraryAsItWas)
{
    struct Transfer : MyMidiInputCallback::Listener
    {
        void dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary) override
        {
            heard.push_back ({ dump.result, dump.block, intoLibrary });
        }

        juce::uint8* getImageForDumps() override { return lend ? image : nullptr; }

        struct Heard
        {
            VeskDecoder::DumpResult result;
            std::optional<VeskBlock> block;
            bool intoLibrary;
            bool operator== (const Heard& o) const { return result == o.result && block == o.block && intoLibrary == o.intoLibrary; }
        };

        std::vector<Heard> heard;
        bool lend = false;
        juce::uint8 image[imageSize] = {};
    } transfer;

    receiver.addListener (&transfer);
    std::vector<juce::uint8> record (model.temporaryPattern, model.temporaryPattern + patternSize);
    record[Pattern::level] = 42;

    auto damaged = dumpBody (1, 0, record.data(), patternSize);
    damaged.back() ^= 0x01;
    receive (sysex (damaged));

    transfer.lend = true;
    model.setChangedFlag (false);
    receive (sysex (dumpBody (1, 0, record.data(), patternSize)));
    EXPECT_EQ (transfer.image[temporaryPatternOffset + Pattern::level], 42);
    EXPECT_NE (model.temporaryPattern[Pattern::level], 42);
    EXPECT_FALSE (model.hasChangedSinceSaved());
    EXPECT_NE (shownLevel(), 42.0) << "the page shows the library, which did not change";

    receiver.removeListener (&transfer);
    receive (sysex (dumpBody (1, 0, record.data(), patternSize)));
    EXPECT_EQ (model.temporaryPattern[Pattern::level], 42);
    EXPECT_DOUBLE_EQ (shownLevel(), 42.0);

    using R = VeskDecoder::DumpResult;
    EXPECT_EQ (transfer.heard, (std::vector<Transfer::Heard> { { R::badChecksum, VeskBlock::temporary(), true }, { R::temporaryPattern, VeskBlock::temporary(), false } }));
}

TEST_F (IncomingMidi, ListenersSayWhereADumpGoesBeforeAnythingIsWritten)
{
    using Place = MyMidiInputCallback::DumpPlace;

    struct Gate : MyMidiInputCallback::Listener
    {
        explicit Gate (VeskModel& m) : model (m) {}

        Place placeDump (const VeskDecoder::Dump&) override
        {
            levelWhenAsked.push_back (model.temporaryPattern[Pattern::level]);
            return place;
        }

        void dumpReceived (const VeskDecoder::Dump&, bool intoLibrary) override { heardIntoLibrary.push_back (intoLibrary); }

        VeskModel& model;
        Place place;
        std::vector<int> levelWhenAsked;
        std::vector<bool> heardIntoLibrary;
        juce::uint8 image[imageSize] = {};
    } first (model), second (model);

    receiver.addListener (&first);
    receiver.addListener (&second);
    model.setChangedFlag (false);
    const int before = model.temporaryPattern[Pattern::level];
    std::vector<juce::uint8> record (model.temporaryPattern, model.temporaryPattern + patternSize);
    record[Pattern::level] = 42;

    // The first listener that keeps a dump from the library decides where it goes:
    // nowhere is neither the library nor the image a later listener offers.
    const std::tuple<Place, Place, int, int> steps[] = {
        { Place::nowhere(), Place::into (second.image), before, 0 },
        { Place::library(), Place::into (second.image), before, 42 },
        { Place::library(), Place::library(), 42, 42 },
    };

    for (const auto& [firstPlace, secondPlace, inLibrary, inImage] : steps)
    {
        SCOPED_TRACE (inLibrary + inImage);
        first.place = firstPlace;
        second.place = secondPlace;
        receive (sysex (dumpBody (1, 0, record.data(), patternSize)));
        EXPECT_EQ (model.temporaryPattern[Pattern::level], inLibrary);
        EXPECT_EQ (second.image[temporaryPatternOffset + Pattern::level], inImage);
        EXPECT_EQ (model.hasChangedSinceSaved(), inLibrary == 42);
        EXPECT_EQ (shownLevel() == 42.0, inLibrary == 42);
    }

    // Asked every time before the library was written, and told after.
    EXPECT_EQ (first.levelWhenAsked, std::vector<int> ({ before, before, before }));
    EXPECT_EQ (second.heardIntoLibrary, std::vector<bool> ({ false, false, true }));
}

//==============================================================================
// The lead, bass and rhythm editors behind the receiver.
namespace
{
    struct IncomingForPartEditors : ModelFixture
    {
        IncomingForPartEditors()
        {
            editor.setSize (446, 470);
            dispatchPendingMessages();
            out.clear();
        }

        void receive (const juce::MidiMessage& m)
        {
            receiver.handleIncomingMidiMessage (nullptr, m);
            dispatchPendingMessages();
        }

        template <typename Editor>
        Editor* shown()
        {
            return dynamic_cast<Editor*> (editor.patternsPage->partEditor);
        }

        VeskComponent editor { session };
        MyMidiInputCallback receiver { model, editor };
    };
}

TEST_F (IncomingForPartEditors, AControllerReachesTheShownEditorsKnob)
{
    auto* lead = shown<VeskLeadComponent>();
    ASSERT_NE (lead, nullptr);
    receive (juce::MidiMessage::controllerEvent (1, 74, 99));
    receive (juce::MidiMessage::controllerEvent (1, 16, 5));
    EXPECT_DOUBLE_EQ (lead->filterCutoffSlider->getValue(), 99.0);
    EXPECT_DOUBLE_EQ (lead->effectParam1Slider->getValue(), 5.0);

    editor.patternsPage->typeCombo->setSelectedItemIndex (PartType::rythm, juce::sendNotificationSync);
    auto* rythm = shown<VeskRythmComponent>();
    ASSERT_NE (rythm, nullptr);
    receive (juce::MidiMessage::controllerEvent (1, 83, 17));
    EXPECT_DOUBLE_EQ (rythm->HHLevelSlider->getValue(), 17.0);
}

TEST_F (IncomingForPartEditors, ADumpChangingTheCurrentPatternsTypeReplacesTheEditor)
{
    std::vector<juce::uint8> record (model.temporaryPattern, model.temporaryPattern + patternSize);
    record[Pattern::type] = PartType::bass;
    record[Pattern::tuneOrEffectParam1] = 70;
    record[Pattern::vintageOrEffectType] = 1;

    receive (sysex (dumpBody (1, 0, record.data(), patternSize)));

    auto* bass = shown<VeskBassComponent>();
    ASSERT_NE (bass, nullptr);
    EXPECT_EQ (editor.patternsPage->typeCombo->getText(), "Bass");
    EXPECT_DOUBLE_EQ (bass->tuneSlider->getValue(), 6.0);
    EXPECT_TRUE (bass->vintageButton->getToggleState());
    EXPECT_FALSE (bass->filterAttackSlider->isEnabled());
    EXPECT_TRUE (out.messages.empty());
}

TEST_F (IncomingForPartEditors, ChannelOffIgnoresControllers)
{
    model.systemBlock[System::midiChannel] = System::channelOff;
    auto* lead = shown<VeskLeadComponent>();
    ASSERT_NE (lead, nullptr);
    const double before = lead->filterCutoffSlider->getValue();

    receive (juce::MidiMessage::controllerEvent (1, 74, 3));

    EXPECT_NE (model.currentPattern[Pattern::filterCutoffOrBdLevel], 3);
    EXPECT_DOUBLE_EQ (lead->filterCutoffSlider->getValue(), before);
}

// The MIDI thread hands the message over and returns at once, even while the
// message thread is busy (a lock on it would wait here); the editor changes
// only when the message thread applies the message.
TEST_F (IncomingForPartEditors, ControllersReachTheEditorOnlyOnTheMessageThread)
{
    auto* lead = shown<VeskLeadComponent>();
    ASSERT_NE (lead, nullptr);
    const double before = lead->filterCutoffSlider->getValue();

    auto delivered = std::async (std::launch::async, [this]
                                 { receiver.handleIncomingMidiMessage (nullptr, juce::MidiMessage::controllerEvent (1, 74, 5)); });

    ASSERT_EQ (delivered.wait_for (std::chrono::seconds (10)), std::future_status::ready);
    EXPECT_DOUBLE_EQ (lead->filterCutoffSlider->getValue(), before);
    EXPECT_NE (model.currentPattern[Pattern::filterCutoffOrBdLevel], 5);

    dispatchPendingMessages();
    EXPECT_EQ (model.currentPattern[Pattern::filterCutoffOrBdLevel], 5);
    EXPECT_DOUBLE_EQ (lead->filterCutoffSlider->getValue(), 5.0);
}
