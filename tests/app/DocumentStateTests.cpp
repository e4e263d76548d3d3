#include "../model/RecordingMidiOut.h"
#include "ScopedWorkingDirectory.h"
#include "model/VeskImage.h"
#include "model/VeskModel.h"
#include "model/VeskProtocol.h"
#include "model/WholeFileWriter.h"
#include "platform/SystemError.h"

#include <gtest/gtest.h>

namespace
{
    struct DocumentStateTest : ::testing::Test
    {
        /** A dump body as the unit sends it: the data-set message without F0 / F7. */
        static std::vector<juce::uint8> body (const juce::MidiMessage& message)
        {
            auto* data = message.getSysExData();
            return { data, data + message.getSysExDataSize() };
        }

        ScopedWorkingDirectory workingDirectory;
        RecordingMidiOut out;
        VeskModel model { out };
    };
}

TEST_F (DocumentStateTest, AFreshLibraryIsUnchangedAndTitledNew)
{
    EXPECT_FALSE (model.hasChangedSinceSaved());
    EXPECT_EQ (model.getDocumentTitle(), "New");
}

TEST_F (DocumentStateTest, EveryKindOfEditMarksTheLibraryChanged)
{
    using namespace VeskImage;

    const std::vector<std::pair<const char*, std::function<void()>>> edits = {
        { "controller setter", [this]
          { model.setControl74 (12); } },
        { "pan", [this]
          { model.setPan (-3); } },
        { "tempo", [this]
          { model.setTempo (99); } },
        { "step type", [this]
          { model.setStepType (3, 2); } },
        { "plain pattern field", [this]
          { model.currentPattern[Pattern::lfoRate] = 5; model.sendPatternField (Pattern::lfoRate); } },
        { "data set", [this]
          { model.currentPattern[Pattern::stepNote] = 60; model.sendDataSet (1, 0, Pattern::stepNote, 60); } },
        { "system field", [this]
          { model.systemBlock[System::transpose] = 3; model.sendSystemField (System::transpose); } },
        { "master tune", [this]
          { model.setMasterTune (441.0); } },
        { "midi channel", [this]
          { model.setMidiChannel (5); } },
    };

    for (const auto& [name, edit] : edits)
    {
        SCOPED_TRACE (name);
        model.setChangedFlag (false);
        edit();
        EXPECT_TRUE (model.hasChangedSinceSaved());
    }
}

TEST_F (DocumentStateTest, TransfersAndRequestsLeaveItUnchanged)
{
    model.sendCurrentPattern (false);
    model.requestCurrentPattern();
    model.sendSystemBlock();
    model.requestSystemBlock();
    model.currentPatternIndex = 2;
    model.selectUserPattern();

    EXPECT_FALSE (model.hasChangedSinceSaved());
}

TEST_F (DocumentStateTest, WhatTheUnitSendsMarksItChangedOnlyWhenApplied)
{
    using namespace VeskImage;

    int bankSelect = 0;
    const int channel = model.getMidiChannel();

    model.receiveChannelMessage (juce::MidiMessage::noteOn (channel, 60, (juce::uint8) 100), bankSelect);
    model.receiveChannelMessage (juce::MidiMessage::controllerEvent (channel + 1, 74, 100), bankSelect);
    model.receiveChannelMessage (juce::MidiMessage::controllerEvent (channel, 0, 85), bankSelect);
    EXPECT_FALSE (model.hasChangedSinceSaved()) << "ignored messages and a bank select change nothing";

    auto system = body (VeskProtocol::systemBulk (model.systemBlock));
    system.back() ^= 1; // checksum off by one bit
    model.receiveDump (system.data(), (int) system.size());
    EXPECT_FALSE (model.hasChangedSinceSaved());

    system.back() ^= 1;
    model.receiveDump (system.data(), (int) system.size());
    EXPECT_TRUE (model.hasChangedSinceSaved());

    model.setChangedFlag (false);
    model.receiveChannelMessage (juce::MidiMessage::controllerEvent (channel, 74, 100), bankSelect);
    EXPECT_EQ (model.currentPattern[Pattern::filterCutoffOrBdLevel], 100);
    EXPECT_TRUE (model.hasChangedSinceSaved());
}

TEST_F (DocumentStateTest, LoadingAndSavingMarkItUnchangedAndNameIt)
{
    const auto library = workingDirectory.file ("Set 1.vsk");
    ASSERT_TRUE (model.writeLibrary (library));

    model.setControl74 (7);
    ASSERT_TRUE (model.loadFrom (library, false).wasOk());
    EXPECT_FALSE (model.hasChangedSinceSaved());
    EXPECT_EQ (model.getDocumentTitle(), "Set 1");
    EXPECT_EQ (model.getLastDocumentOpened(), library);

    model.setControl74 (8);
    const auto copy = workingDirectory.file ("Copy.vsk");
    bool saved = false;
    model.saveAsAsync (copy, false, false, false, [&saved] (juce::FileBasedDocument::SaveResult r)
                       { saved = r == juce::FileBasedDocument::savedOk; });

    ASSERT_TRUE (saved);
    EXPECT_FALSE (model.hasChangedSinceSaved());
    EXPECT_EQ (model.getDocumentTitle(), "Copy");
}

TEST_F (DocumentStateTest, AFailedLoadKeepsFileStateAndImage)
{
    const auto library = workingDirectory.file ("Good.vsk");
    ASSERT_TRUE (model.writeLibrary (library));
    ASSERT_TRUE (model.loadFrom (library, false).wasOk());
    model.setControl74 (9);

    const auto notALibrary = workingDirectory.file ("notes.vsk");
    ASSERT_TRUE (notALibrary.replaceWithText ("just some text, not a library"));
    const auto before = std::vector<juce::uint8> (model.image, model.image + VeskImage::imageSize);

    const auto result = model.loadFrom (notALibrary, false);
    EXPECT_EQ (result.getErrorMessage(), "Error while loading file");
    EXPECT_EQ (model.getFile(), library);
    EXPECT_TRUE (model.hasChangedSinceSaved());
    EXPECT_EQ (std::vector<juce::uint8> (model.image, model.image + VeskImage::imageSize), before);
}

TEST_F (DocumentStateTest, AFailedSaveSaysWhyAndKeepsTheLibraryChangedAndItsFile)
{
    const auto library = workingDirectory.file ("Set 1.vsk"), copy = workingDirectory.file ("Copy.vsk"), kept = workingDirectory.file ("kept/Set 1.vsk");
    ASSERT_TRUE (model.writeLibrary (library));
    ASSERT_TRUE (model.loadFrom (library, false).wasOk());
    ASSERT_TRUE (kept.getParentDirectory().createDirectory() && library.copyFileTo (kept));
    model.setControl74 (12);

    // The disk fills after 4,072 bytes. (The other ways a write fails are the writer's own tests.)
    WholeFileWriter::setFaultsForTesting ({ 4072, false, false });
    juce::FileBasedDocument::SaveResult saved {}, savedAs {};
    model.saveAsync (false, false, [&saved] (juce::FileBasedDocument::SaveResult r)
                     { saved = r; });
    model.saveAsAsync (copy, false, false, false, [&savedAs] (juce::FileBasedDocument::SaveResult r)
                       { savedAs = r; });
    const auto message = model.saveDocument (library).getErrorMessage(); // what JUCE's alert shows
    WholeFileWriter::setFaultsForTesting ({});

    EXPECT_EQ (saved, juce::FileBasedDocument::failedToWriteToFile);
    EXPECT_EQ (savedAs, juce::FileBasedDocument::failedToWriteToFile);
    EXPECT_TRUE (message.contains ("\"Set 1.vsk\"") && message.contains (WholeFileWriter::describeError (SystemError::diskFull())) && message.contains ("4,072 of 7,473")) << message;
    EXPECT_TRUE (model.hasChangedSinceSaved());
    EXPECT_EQ (model.getFile(), library);
    EXPECT_TRUE (library.hasIdenticalContentTo (kept));
    EXPECT_FALSE (copy.exists());
    EXPECT_EQ (workingDirectory.directory.getNumberOfChildFiles (juce::File::findFiles), 1) << "no temporary file left";

    // And once the disk has room, the same library saves.
    model.saveAsync (false, false, [&saved] (juce::FileBasedDocument::SaveResult r)
                     { saved = r; });
    EXPECT_EQ (saved, juce::FileBasedDocument::savedOk);
    EXPECT_FALSE (model.hasChangedSinceSaved());
    EXPECT_FALSE (library.hasIdenticalContentTo (kept));
}
