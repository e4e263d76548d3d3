#include "midi/DeviceMidiOut.h"
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
