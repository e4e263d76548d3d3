// Undo and redo of every kind of edit, how edits become steps, the changed
// mark against the saved state, and the history's bounds.

#include "SessionTestSupport.h"
#include "model/VeskFieldTable.h"
#include "session/VeskSlotSteps.h"

using namespace VeskImage;

namespace
{
    const auto resonance = VeskField::pattern (Pattern::filterResonanceOrSdLevel);

    /** Saved as the document saves: the file written, then the document's own mark cleared. */
    void save (VeskModel& model, const juce::File& file)
    {
        ASSERT_TRUE (model.saveDocument (file).wasOk());
        model.setChangedFlag (false);
    }

    void channelOff (VeskSession& session)
    {
        session.getModel().storeField (VeskField::system (System::midiChannel), System::channelOff);
    }
}

TEST (SessionUndo, EveryKindOfEditIsUndoneAndRedoneAsAnEditOfTheOldAndNewValue)
{
    struct Case
    {
        const char* what;
        VeskField field;
        int value;
        std::function<void (VeskSession&)> setup = nullptr;
    };

    const Case cases[] = {
        { "a system switch", VeskField::system (System::receiveProgramChange), 0 },
        { "master tune", VeskField::system (System::masterTune), VeskFieldTable::system (VeskImage::System::masterTune).stored (445.0) },
        { "MIDI channel", VeskField::system (System::midiChannel), VeskFieldTable::system (VeskImage::System::midiChannel).stored (5) },
        { "MIDI channel off", VeskField::system (System::midiChannel), VeskFieldTable::system (VeskImage::System::midiChannel).stored (0) },
        { "transpose", VeskField::system (System::transpose), 20 },
        { "tempo", VeskField::tempo(), VeskFieldTable::pattern (VeskImage::Pattern::tempoHigh, VeskImage::PartType::lead).stored (141.0) },
        { "type", VeskField::pattern (Pattern::type), PartType::bass },
        { "loop control", VeskField::pattern (Pattern::loopCtrl), 2 },
        { "length", VeskField::pattern (Pattern::patternLength), 1 },
        { "scale", VeskField::pattern (Pattern::stepsPerBar), 0 },
        { "a plain knob", VeskField::pattern (Pattern::lfoRate), VeskFieldTable::pattern (Pattern::lfoRate, VeskImage::PartType::lead).stored (100.0) },
        { "a controller knob, channel on", cutoff, VeskFieldTable::pattern (Pattern::filterCutoffOrBdLevel, VeskImage::PartType::lead).stored (100.0) },
        { "a controller knob, channel off", cutoff, VeskFieldTable::pattern (Pattern::filterCutoffOrBdLevel, VeskImage::PartType::lead).stored (100.0), channelOff },
        { "pan", VeskField::pattern (Pattern::pan), VeskFieldTable::pattern (Pattern::pan, VeskImage::PartType::lead).stored (-20.0) },
        { "a step note", VeskField::step (Pattern::stepNote, 3), 70 },
        { "a step level", VeskField::step (Pattern::stepLevel, 31), 5 },
        { "a step gate", VeskField::step (Pattern::stepGate, 0), Pattern::maxGate },
        { "a step type", VeskField::step (Pattern::stepType, 4), VeskFieldTable::pattern (VeskImage::Pattern::stepType, VeskImage::PartType::lead).stored (StepType::slide) },
        { "a knob of user pattern 5", cutoff, 100, [] (VeskSession& s)
          { s.showPattern (slotBlock (5)); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        SessionRig rig, twin;

        if (c.setup != nullptr)
        {
            c.setup (rig.session);
            c.setup (twin.session);
        }

        const int old = rig.model.readField (c.field);
        const auto before = rig.image();
        const auto edited = rig.editSends (c.field, c.value);
        const auto after = rig.image();
        ASSERT_NE (after, before);
        ASSERT_EQ (rig.session.getHistory().getNumSteps(), 1);

        twin.session.edit (c.field, c.value);
        EXPECT_EQ (rig.undoOrRedoSends (true), twin.editSends (c.field, old));
        EXPECT_EQ (rig.image(), before);
        EXPECT_EQ (rig.undoOrRedoSends (false), edited);
        EXPECT_EQ (rig.image(), after);
    }
}

TEST (SessionUndo, AStepOfAnotherPatternSelectsItOnTheUnitBeforeItsFieldIsSent)
{
    // The temporary pattern as well as a user pattern: brought to the front
    // before its field goes back, or the field would reach the pattern the
    // unit is editing instead.
    for (const int edited : { 5, 0 })
    {
        SCOPED_TRACE ("edited pattern " + std::to_string (edited));
        const auto record = [edited] (SessionRig& r)
        { return r.model.image + patternRecordOffset (edited); };
        SessionRig rig, twin;
        rig.session.showPattern (slotBlock (edited));
        const int old = rig.model.readField (cutoff);
        rig.session.edit (cutoff, 100);
        rig.session.showPattern (slotBlock (2));

        twin.session.showPattern (slotBlock (2));
        auto select = twin.sentBy ([&]
                                   { twin.session.showPattern (slotBlock (edited)); });
        ASSERT_EQ (select.empty(), edited == 0) << "only a user pattern is selected on the unit";
        const auto afterSelecting = [select] (const Messages& edit)
        {
            auto all = select;
            all.insert (all.end(), edit.begin(), edit.end());
            return all;
        };

        EXPECT_EQ (rig.undoOrRedoSends (true), afterSelecting (twin.editSends (cutoff, old)));
        EXPECT_EQ (rig.session.getShownPattern(), slotBlock (edited));
        EXPECT_EQ (record (rig)[Pattern::filterCutoffOrBdLevel], old);

        rig.session.showPattern (slotBlock (2));
        EXPECT_EQ (rig.undoOrRedoSends (false), afterSelecting (twin.editSends (cutoff, 100)));
        EXPECT_EQ (rig.session.getShownPattern(), slotBlock (edited));
        EXPECT_EQ (record (rig)[Pattern::filterCutoffOrBdLevel], 100);
        EXPECT_EQ (rig.model.bytesOf (*VeskBlock::user (2))[Pattern::filterCutoffOrBdLevel], old);
    }
}

TEST (SessionUndo, EditsBecomeStepsByGestureTimeAndField)
{
    // What a user does, one action at a time.
    using Act = std::function<void (SessionRig&)>;
    auto edit = [] (VeskField field, int value) -> Act
    { return [=] (SessionRig& r)
      { r.session.edit (field, value); }; };
    auto wait = [] (double ms) -> Act
    { return [=] (SessionRig& r)
      { r.clock.runFor (ms); }; };
    const Act press = [] (SessionRig& r)
    { r.session.beginGesture(); };
    const Act release = [] (SessionRig& r)
    { r.session.endGesture(); };
    const Act undoRedo = [] (SessionRig& r)
    {
        r.session.undo();
        r.session.redo();
    };
    juce::TemporaryFile file (".vsk");
    const Act save = [&file] (SessionRig& r)
    { ::save (r.model, file.getFile()); };
    const int start = Pattern::headerDefaults[Pattern::filterCutoffOrBdLevel];

    const std::tuple<const char*, std::vector<Act>, int> cases[] = {
        { "a gesture of slow edits", { press, edit (cutoff, 70), wait (800), edit (cutoff, 80), wait (800), edit (cutoff, 90), release }, 1 },
        { "one field, each within 500 ms", { edit (cutoff, 70), wait (499), edit (cutoff, 71), wait (499), edit (cutoff, 72) }, 1 },
        { "one field, 500 ms apart", { edit (cutoff, 70), wait (500), edit (cutoff, 71) }, 2 },
        { "another field at once", { edit (cutoff, 70), edit (resonance, 70) }, 2 },
        { "a quick edit after a gesture", { press, edit (cutoff, 70), release, edit (cutoff, 71) }, 2 },
        { "back where it started in one gesture", { press, edit (cutoff, 90), edit (cutoff, 10), edit (cutoff, start), release }, 0 },
        { "an undo and a redo in between", { edit (cutoff, 70), undoRedo, edit (cutoff, 71) }, 2 },
        { "a save in between", { edit (cutoff, 70), save, edit (cutoff, 71) }, 2 },
    };

    for (const auto& [what, acts, steps] : cases)
    {
        SCOPED_TRACE (what);
        SessionRig rig;
        const auto before = rig.image();

        for (auto& act : acts)
            act (rig);

        const auto after = rig.image();
        EXPECT_EQ (rig.session.getHistory().getNumSteps(), steps);

        while (rig.session.canUndo())
            rig.session.undo();

        EXPECT_EQ (rig.image(), before);

        while (rig.session.canRedo())
            rig.session.redo();

        EXPECT_EQ (rig.image(), after);
    }
}

TEST_F (SessionTest, TheChangedMarkFollowsTheHistoryBackToTheSavedState)
{
    juce::TemporaryFile file (".vsk");
    auto step = [this] (VeskField field, int value)
    {
        session.edit (field, value);
        clock.runFor (1000.0);
    };

    auto expectChanged = [this] (bool changed, const char* when)
    {
        EXPECT_EQ (model.hasChangedSinceSaved(), changed) << when;
    };

    step (cutoff, 70);
    session.undo();
    expectChanged (false, "an edit undone");
    session.redo();
    save (model, file.getFile());

    step (resonance, 50);
    session.undo();
    expectChanged (false, "back at the save");
    session.undo();
    expectChanged (true, "past the save");
    session.redo();
    expectChanged (false, "forward to the save");

    // A new step from before the save: the saved state is gone, even where
    // the bytes come back to the saved ones.
    session.undo();
    step (cutoff, 70);
    expectChanged (true, "a new step past the save");
    session.undo();
    expectChanged (true, "undone past the save");
    session.redo();
    expectChanged (true, "redone, the saved bytes again");
}

TEST_F (SessionTest, WhatTheUnitChangesMarksTheLibraryIsNoStepAndUndoGivesThePreviousValueBack)
{
    juce::TemporaryFile file (".vsk");
    session.setVirtualUnitInUse (true);
    const int start = model.readField (cutoff);
    session.edit (cutoff, 100);
    save (model, file.getFile());

    session.getVirtualUnit().turnKnob (74, 30);
    clock.runUntilIdle();
    ASSERT_EQ (model.readField (cutoff), 30);
    EXPECT_TRUE (model.hasChangedSinceSaved());
    EXPECT_EQ (session.getHistory().getNumSteps(), 1);

    session.undo();
    EXPECT_EQ (model.readField (cutoff), start);
    session.redo();
    EXPECT_EQ (model.readField (cutoff), 100);
    EXPECT_TRUE (model.hasChangedSinceSaved()) << "the unit's change was never saved";
}

TEST_F (SessionTest, TheHistoryKeepsTheLastThousandStepsInUnderAMegabyte)
{
    std::vector<juce::uint8> afterFirstHundred;

    for (int i = 0; i < 1100; ++i)
    {
        session.edit (cutoff, i % 100);
        clock.runFor (VeskSession::mergeMs);

        if (i == 99)
            afterFirstHundred = image();
    }

    EXPECT_EQ (session.getHistory().getNumSteps(), VeskHistory::maxSteps);
    EXPECT_LT (session.getHistory().bytesUsed(), (size_t) 1024 * 1024);

    int undone = 0;

    while (session.canUndo())
    {
        ASSERT_TRUE (session.undo().wasOk());
        ++undone;
    }

    EXPECT_EQ (undone, VeskHistory::maxSteps);
    EXPECT_EQ (image(), afterFirstHundred);
    EXPECT_TRUE (model.hasChangedSinceSaved()) << "the fresh library's state fell off the end";
}

TEST_F (SessionTest, ListenersAreToldWhichBlockAStepRestoredAndWhichPatternItShowed)
{
    struct Told : VeskSession::Listener
    {
        void libraryRestored (std::optional<VeskBlock> block) override { restored.push_back (block); }
        void patternShown (VeskBlock pattern) override { shown.push_back (pattern); }

        std::vector<std::optional<VeskBlock>> restored;
        std::vector<VeskBlock> shown;

        void forget()
        {
            restored.clear();
            shown.clear();
        }
    } told;

    session.addListener (&told);
    const auto elsewhere = *VeskBlock::user (7);

    // A field step of each kind of block, undone while another pattern is shown.
    const std::tuple<VeskBlock, VeskField> cases[] = {
        { VeskBlock::system(), VeskField::system (System::transpose) },
        { VeskBlock::temporary(), VeskField::pattern (Pattern::level) },
        { *VeskBlock::user (20), VeskField::pattern (Pattern::level) },
    };

    for (const auto& [block, field] : cases)
    {
        SCOPED_TRACE (block.name().toStdString());
        session.showPattern (block.isSystem() ? *VeskBlock::user (3) : block);
        session.edit (field, 33);
        session.showPattern (elsewhere);
        told.forget();

        ASSERT_TRUE (session.undo().wasOk());
        EXPECT_EQ (told.restored, (std::vector<std::optional<VeskBlock>> { block }));
        EXPECT_EQ (told.shown, block.isSystem() ? std::vector<VeskBlock>() : std::vector<VeskBlock> { block }) << "a pattern's step brings it to the front";
        EXPECT_EQ (session.getShownPattern(), block.isSystem() ? elsewhere : block);
    }

    // A step of whole records names no single block.
    model.temporaryPattern[Pattern::level] = 99;
    ASSERT_TRUE (VeskSlotSteps::copy (session, VeskBlock::temporary(), *VeskBlock::user (4)).wasOk());
    clock.runUntilIdle();
    told.forget();
    ASSERT_TRUE (session.undo().wasOk());
    clock.runUntilIdle();
    EXPECT_EQ (told.restored, (std::vector<std::optional<VeskBlock>> { std::nullopt }));

    // The system block is no pattern to show: the temporary one is, and nothing goes out.
    session.showPattern (elsewhere);
    EXPECT_TRUE (sentBy ([&]
                         { session.showPattern (VeskBlock::system()); })
                     .empty());
    EXPECT_EQ (session.getShownPattern(), VeskBlock::temporary());
    EXPECT_EQ (model.currentPattern, model.temporaryPattern);
    EXPECT_EQ (told.shown.back(), VeskBlock::temporary());
    session.removeListener (&told);
}
