#include "EditorTestSupport.h"
#include "editors/SystemComponent.h"

using namespace VeskImage;

namespace
{
    struct SystemPage : ModelFixture
    {
        SystemComponent page { session };
    };
}

TEST_F (SystemPage, ShowsTheDefaultsWithoutSendingAnything)
{
    EXPECT_EQ (page.masterTuneSlider->getTextFromValue (page.masterTuneSlider->getValue()), "440.0 Hz");
    EXPECT_DOUBLE_EQ (page.transposeSlider->getValue(), 0.0);
    EXPECT_DOUBLE_EQ (page.midiChannelSlider->getValue(), 1.0);
    EXPECT_EQ (page.masterTuneLabel->getText(), "Master Tune ");
    EXPECT_EQ (page.midiChannelLabel->getName(), "mc");
    EXPECT_TRUE (out.messages.empty());
}

TEST_F (SystemPage, MasterTuneConvertsHertzToSteps)
{
    page.masterTuneSlider->setValue (427.4, juce::sendNotificationSync);
    EXPECT_EQ (model.systemBlock[System::masterTune], 0);

    page.masterTuneSlider->setValue (452.6, juce::sendNotificationSync);
    EXPECT_EQ (model.systemBlock[System::masterTune], 126);

    // A double-click returns to 440.0 Hz.
    out.clear();
    page.masterTuneSlider->setValue (page.masterTuneSlider->getDoubleClickReturnValue(), juce::sendNotificationSync);
    EXPECT_TRUE (page.masterTuneSlider->isDoubleClickReturnEnabled());
    EXPECT_EQ (model.systemBlock[System::masterTune], 63);
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x00, System::masterTune, 63));
}

TEST_F (SystemPage, ChannelZeroIsOffAndChannelsCountFromOne)
{
    page.midiChannelSlider->setValue (0.0, juce::sendNotificationSync);
    EXPECT_EQ (model.systemBlock[System::midiChannel], 16);
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x00, System::midiChannel, 16));

    page.midiChannelSlider->setValue (1.0, juce::sendNotificationSync);
    EXPECT_EQ (model.systemBlock[System::midiChannel], 0);
    page.midiChannelSlider->setValue (16.0, juce::sendNotificationSync);
    EXPECT_EQ (model.systemBlock[System::midiChannel], 15);

    model.systemBlock[System::midiChannel] = 16;
    page.updateFromSystemBlock();
    EXPECT_DOUBLE_EQ (page.midiChannelSlider->getValue(), 0.0);
}

TEST_F (SystemPage, TransposeStoresSemitonesPlusTwelve)
{
    for (auto [shown, stored] : { std::pair { -12.0, 0 }, { 0.0, 12 }, { 12.0, 24 } })
    {
        out.clear();
        page.transposeSlider->setValue (shown == 0.0 ? 1.0 : 0.0, juce::dontSendNotification);
        page.transposeSlider->setValue (shown, juce::sendNotificationSync);
        EXPECT_EQ (model.systemBlock[System::transpose], stored);
        ASSERT_EQ (out.messages.size(), 1u);
        EXPECT_EQ (out.hexAt (0), dataSet (0x00, System::transpose, stored));
    }
}

TEST_F (SystemPage, SwitchesStoreOneOrZeroAtTheirOffsets)
{
    ASSERT_TRUE (page.receivePitchBendButton->getToggleState());

    page.receivePitchBendButton->triggerClick();
    dispatchPendingMessages();
    EXPECT_EQ (model.systemBlock[System::receivePitchBend], 0);
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x00, System::receivePitchBend, 0));

    page.receivePitchBendButton->triggerClick();
    dispatchPendingMessages();
    EXPECT_EQ (model.systemBlock[System::receivePitchBend], 1);
    ASSERT_EQ (out.messages.size(), 2u);
    EXPECT_EQ (out.hexAt (1), dataSet (0x00, System::receivePitchBend, 1));

    out.clear();
    page.transmitProgramChangeButton->triggerClick();
    page.receiveControlChangeButton->triggerClick();
    page.receiveProgramChangeButton->triggerClick();
    dispatchPendingMessages();
    ASSERT_EQ (out.messages.size(), 3u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x00, System::transmitProgramChange, model.systemBlock[System::transmitProgramChange]));
    EXPECT_EQ (out.hexAt (1), dataSet (0x00, System::receiveControlChange, model.systemBlock[System::receiveControlChange]));
    EXPECT_EQ (out.hexAt (2), dataSet (0x00, System::receiveProgramChange, model.systemBlock[System::receiveProgramChange]));
}

TEST_F (SystemPage, SendAndStoreEachSendOneMessageAndChangeNothing)
{
    juce::uint8 before[System::transpose + 1];
    std::copy (model.systemBlock, model.systemBlock + 13, before);

    page.sendButton->triggerClick();
    dispatchPendingMessages();
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.messages[0], bytesOf (VeskProtocol::systemBulk (model.systemBlock)));

    out.clear();
    page.storeButton->triggerClick();
    dispatchPendingMessages();
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.messages[0], bytesOf (VeskProtocol::systemRequest()));
    EXPECT_TRUE (std::equal (before, before + 13, model.systemBlock));
}

TEST_F (SystemPage, RefreshShowsOutOfRangeBytesClampedAndSendsNothing)
{
    model.systemBlock[System::masterTune] = 127;
    model.systemBlock[System::transpose] = 30;
    model.systemBlock[System::midiChannel] = 40;
    model.systemBlock[System::receivePitchBend] = 0;

    page.updateFromSystemBlock();

    EXPECT_EQ (page.masterTuneSlider->getTextFromValue (page.masterTuneSlider->getValue()), "452.6 Hz");
    EXPECT_DOUBLE_EQ (page.transposeSlider->getValue(), 12.0);
    EXPECT_FALSE (page.receivePitchBendButton->getToggleState());
    EXPECT_EQ (model.systemBlock[System::masterTune], 127);
    EXPECT_EQ (model.systemBlock[System::transpose], 30);
    dispatchPendingMessages();
    EXPECT_TRUE (out.messages.empty());
}

TEST_F (SystemPage, LayoutPutsEachLabelLeftOfItsSlider)
{
    page.setSize (440, 300);

    EXPECT_EQ (page.masterTuneSlider->getBounds(), juce::Rectangle<int> (112, 8, 210, 24));
    EXPECT_EQ (page.storeButton->getBounds(), juce::Rectangle<int> (124, 232, 100, 24));
    EXPECT_EQ (page.transposeLabel->getRight(), page.transposeSlider->getX());
    EXPECT_EQ (page.transposeLabel->getY(), page.transposeSlider->getY());
}

TEST_F (SystemPage, TextStaysReadableOnTheLightTab)
{
    // The tab is 0xFFF0FFFF; the labels and switches must not be drawn in white.
    for (auto colour : { page.masterTuneLabel->findColour (juce::Label::textColourId),
                         page.receivePitchBendButton->findColour (juce::ToggleButton::textColourId),
                         page.transposeSlider->findColour (juce::Slider::textBoxTextColourId) })
        EXPECT_LT (colour.getPerceivedBrightness(), 0.5f);
}

TEST_F (SystemPage, SendAndStoreAreRefusedWhileATransferRunsAsEveryCommandIs)
{
    session.setVirtualUnitInUse (true);
    ASSERT_TRUE (session.startTransfer (VeskTransfer::Kind::sendAll).wasOk());
    expectSendAndStoreRefused (*page.sendButton, *page.storeButton, page.onMessage, session, out);
    clock.runUntilIdle();
}
