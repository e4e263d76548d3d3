#include "midi/DeviceMidiOut.h"
#include "midi/MidiDeviceManager.h"
#include "model/VeskModel.h"

#include <gtest/gtest.h>

// Build machines have no MIDI ports, as a musician's machine may have none
// before the unit is plugged in: every edit must still land in the image.
TEST (DeviceMidiOut, WithoutAnOpenOutputEditsStillChangeTheImage)
{
    juce::AudioDeviceManager manager;
    ASSERT_EQ (manager.getDefaultMidiOutput(), nullptr);

    DeviceMidiOut out (manager);
    VeskModel model (out);

    EXPECT_EQ (model.systemBlock[VeskImage::System::masterTune], 63);

    model.setControl74 (100.0);
    model.setTempo (141.0);
    model.setMasterTune (430.0);
    model.currentPatternIndex = 3;
    model.selectUserPattern();
    model.setPan (-10.0);
    model.sendCurrentPattern (false);
    model.requestSystemBlock();

    EXPECT_EQ (model.temporaryPattern[VeskImage::Pattern::filterCutoffOrBdLevel], 100);
    EXPECT_EQ (model.temporaryPattern[VeskImage::Pattern::tempoHigh], 11);
    EXPECT_EQ (model.systemBlock[VeskImage::System::masterTune], 13);
    EXPECT_EQ (model.bytesOf (*VeskBlock::user (4))[VeskImage::Pattern::pan], 54);
}

// The session's device manager is for MIDI: a saved audio device (an older
// file's, or one written by hand) is neither looked for nor opened, and the
// saved MIDI choices are kept as a plain manager keeps them.
TEST (MidiDeviceManager, OpensNoAudioDeviceAndKeepsTheSavedMidiChoices)
{
    const auto saved = juce::parseXML (R"(<DEVICESETUP deviceType="ALSA" audioOutputDeviceName="default" defaultMidiOutput="Vesk Out" defaultMidiOutputDevice="out-id">
                                          <MIDIINPUT name="Vesk In" identifier="in-id"/></DEVICESETUP>)");
    ASSERT_NE (saved, nullptr);

    MidiDeviceManager manager;
    EXPECT_EQ (manager.initialise (0, 0, saved.get(), true), juce::String());
    EXPECT_TRUE (manager.getAvailableDeviceTypes().isEmpty());
    EXPECT_EQ (manager.getCurrentAudioDevice(), nullptr);
    EXPECT_FALSE (manager.mayHaveEnabledInputs()) << "the input is not plugged in, so none is enabled";

    juce::AudioDeviceManager plain;
    plain.initialise (0, 0, saved.get(), true);
    EXPECT_EQ (manager.getDefaultMidiOutputIdentifier(), plain.getDefaultMidiOutputIdentifier());
}
