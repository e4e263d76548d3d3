// The Steps menu's tools on the shown pattern: each one undo step named after
// it, sent as the session sends a whole record's changed fields; refused
// while a transfer runs; the page drawn as it draws those bytes.

#include "StepsTestSupport.h"
#include "app/SessionTexts.h"
#include "model/VeskSoundTools.h"

using namespace VeskImage;

namespace
{
    using Record = std::vector<juce::uint8>;

    /** What the session sends to make the rig's shown pattern into record, on a rig of its own. */
    std::vector<std::string> editSends (const Record& record)
    {
        StepsRig reference;
        EXPECT_TRUE (reference.session.editShownPattern ("Any", record.data()).wasOk());
        return reference.sent();
    }

    juce::Image pageImage (ContentComp& content)
    {
        content.getEditor().refreshPatternsPage (0);
        return content.getEditor().patternsPage->createComponentSnapshot (content.getEditor().patternsPage->getLocalBounds());
    }
}

TEST (StepsCommands, EachToolIsOneNamedStepSentAsItsChangedFieldsAndTheGridFollows)
{
    StepToolDialog::Settings seeded;
    seeded.seed = 12345;
    seeded.lockedLanes = VeskStepTools::gateLane;
    seeded.hits = 3;
    seeded.steps = 8;
    seeded.note = 36;

    using T = VeskStepTools;
    const struct
    {
        juce::CommandID id;
        std::function<VeskToolResult (const juce::uint8*)> tool;
    } cases[] = {
        { StepsCommands::rotateLeft, [] (auto* r)
          { return T::rotate (r, -1); } },
        { StepsCommands::rotateRight, [] (auto* r)
          { return T::rotate (r, 1); } },
        { StepsCommands::reverseSteps, [] (auto* r)
          { return T::reverse (r); } },
        { StepsCommands::transposeUp, [] (auto* r)
          { return T::transpose (r, 1); } },
        { StepsCommands::octaveDown, [] (auto* r)
          { return T::transpose (r, -12); } },
        { StepsCommands::doubleLength, [] (auto* r)
          { return T::doubleLength (r); } },
        { StepsCommands::clearSteps, [] (auto* r)
          { return T::clear (r); } },
        { StepsCommands::humanize, [&] (auto* r)
          { return T::humanize (r, seeded.amount, seeded.seed, seeded.lockedLanes); } },
        { StepsCommands::mutate, [&] (auto* r)
          { return T::mutate (r, seeded.amount, seeded.seed, seeded.lockedLanes); } },
        { StepsCommands::randomize, [&] (auto* r)
          { T::RandomizeOptions options;
              return T::randomize (r, options, seeded.seed, seeded.lockedLanes); } },
        { StepsCommands::euclid, [&] (auto* r)
          { return T::euclid (r, 3, 8, 0, 36); } },
        { StepsCommands::randomizeSound, [&] (auto* r)
          { return VeskSoundTools::randomize (r, seeded.seed); } },
        { StepsCommands::mutateSound, [&] (auto* r)
          { return VeskSoundTools::mutate (r, seeded.amount, seeded.seed); } },
    };

    for (const auto& c : cases)
    {
        const auto name = StepsCommands::nameOf (c.id);
        SCOPED_TRACE (name.toStdString());
        StepsRig rig;
        const auto before = rig.shown();
        const auto made = c.tool (before.data());
        const Record expected (made.record.begin(), made.record.end());
        ASSERT_NE (expected, before) << "a case that changes nothing proves nothing";

        EXPECT_EQ (rig.content.getStepsCommands().apply (c.id, seeded), "");
        EXPECT_EQ (rig.shown(), expected);
        EXPECT_EQ (rig.sent(), editSends (expected));
        EXPECT_EQ (rig.session.getHistory().getNumSteps(), 1);
        EXPECT_EQ (rig.session.getUndoName(), name);

        // The page reads what the tool wrote, as a page opened on those bytes draws them.
        StepsRig fresh;
        std::copy (expected.begin(), expected.end(), fresh.content.getModel().currentPattern);
        fresh.content.getEditor().patternsPage->updateFromPattern (0);
        EXPECT_TRUE (sameImage (pageImage (rig.content), pageImage (fresh.content)));

        ASSERT_TRUE (rig.session.undo().wasOk());
        EXPECT_EQ (rig.shown(), before);
    }
}

TEST (StepsCommands, MenuToolsRunAtOnceAndAreRefusedWhileATransferRuns)
{
    StepsRig rig;
    const auto before = rig.shown();

    EXPECT_TRUE (rig.content.perform (juce::ApplicationCommandTarget::InvocationInfo (StepsCommands::rotateRight)));
    EXPECT_EQ (rig.session.getUndoName(), "Rotate Right");
    EXPECT_TRUE (rig.content.perform (juce::ApplicationCommandTarget::InvocationInfo (ContentComp::undoEdit)));
    EXPECT_EQ (rig.shown(), before);

    rig.session.setVirtualUnitInUse (true);
    ASSERT_TRUE (rig.session.startTransfer (VeskTransfer::Kind::sendAll).wasOk());
    const auto steps = rig.session.getHistory().getNumSteps();

    for (auto id : { StepsCommands::rotateRight, StepsCommands::clearSteps, StepsCommands::variations, StepsCommands::euclid })
    {
        SCOPED_TRACE (StepsCommands::nameOf (id).toStdString());
        rig.content.lastMessage.clear();
        EXPECT_TRUE (rig.content.perform (juce::ApplicationCommandTarget::InvocationInfo (id)));
        EXPECT_EQ (rig.content.lastMessage, SessionTexts::describe (rig.session.refusalWhileBusy (StepsCommands::nameOf (id))));
        EXPECT_FALSE (rig.session.getAudition().isOpen());
    }

    // A window opened before the transfer still runs nothing while it lasts.
    EXPECT_EQ (rig.content.getStepsCommands().apply (StepsCommands::reverseSteps, {}),
               SessionTexts::describe (rig.session.refusalWhileBusy ("Reverse")));
    EXPECT_EQ (rig.shown(), before);
    EXPECT_EQ (rig.session.getHistory().getNumSteps(), steps);
    rig.session.cancelJob();
}

TEST (StepsCommands, RefusedSettingsChangeNothingAndClampedNotesAreCounted)
{
    StepsRig rig;
    auto& commands = rig.content.getStepsCommands();
    const auto before = rig.shown();

    StepToolDialog::Settings tooLong;
    tooLong.hits = 3;
    tooLong.steps = Pattern::playedSteps (before.data()) + 1;
    EXPECT_TRUE (commands.apply (StepsCommands::euclid, tooLong).contains (juce::String (Pattern::playedSteps (before.data()))));

    auto twoBars = before;
    twoBars[Pattern::patternLength] = 1;
    ASSERT_TRUE (rig.session.editShownPattern ("Length", twoBars.data()).wasOk());
    const auto steps = rig.session.getHistory().getNumSteps();
    EXPECT_NE (commands.apply (StepsCommands::doubleLength, {}), "");
    EXPECT_EQ (rig.session.getHistory().getNumSteps(), steps);
    EXPECT_EQ (rig.shown(), twoBars);

    // Notes of 40 to 70 four octaves up, then a fifth: the top ones stop at the end.
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ (commands.apply (StepsCommands::octaveUp, {}), "");

    const auto topped = VeskStepTools::transpose (rig.shown().data(), 12).clamped;
    ASSERT_GT (topped, 0);
    rig.content.lastMessage.clear();
    ASSERT_EQ (commands.apply (StepsCommands::octaveUp, {}), "");
    EXPECT_TRUE (rig.content.lastMessage.startsWith (juce::String (topped) + " note")) << rig.content.lastMessage;
}

TEST (StepsCommands, BlendMixesTheSecondSelectedLibraryRowIntoTheFirstAsOneStep)
{
    StepsRig rig;
    auto& model = rig.content.getModel();
    auto& editor = rig.content.getEditor();
    auto* a = model.bytesOf (slotBlock (3));
    auto* b = model.bytesOf (slotBlock (4));
    writeTestSteps (b);
    b[Pattern::filterCutoffOrBdLevel] = 120;
    const Record firstBefore (a, a + patternSize), second (b, b + patternSize);

    editor.setCurrentTabIndex (editor.getTabNames().indexOf ("Library"));
    editor.libraryPage->ourList.selectSlots (slotBlocks ({ 3, 4 }));
    StepToolDialog::Settings halfway;
    halfway.amount = 50;
    const auto mixed = VeskSoundTools::blend (a, b, 50);
    ASSERT_NE (Record (mixed.record.begin(), mixed.record.end()), firstBefore);

    EXPECT_EQ (rig.content.getStepsCommands().apply (StepsCommands::blend, halfway), "");
    EXPECT_EQ (Record (a, a + patternSize), Record (mixed.record.begin(), mixed.record.end()));
    EXPECT_EQ (Record (b, b + patternSize), second);
    EXPECT_EQ (rig.session.getUndoName(), "Blend");
    rig.clock.runUntilIdle();

    // Of two types, nothing is mixed.
    ASSERT_TRUE (rig.session.undo().wasOk());
    rig.clock.runUntilIdle();
    b[Pattern::type] = (juce::uint8) (a[Pattern::type] == PartType::bass ? PartType::lead : PartType::bass);
    const auto steps = rig.session.getHistory().getNumSteps();
    EXPECT_NE (rig.content.getStepsCommands().apply (StepsCommands::blend, halfway), "");
    EXPECT_EQ (Record (a, a + patternSize), firstBefore);
    EXPECT_EQ (rig.session.getHistory().getNumSteps(), steps);
}

TEST (StepsCommands, StepToolsAreGreyAndDoNothingOnALineInPatternWhileTheSoundToolsStay)
{
    StepsRig rig;
    auto& editor = rig.content.getEditor();
    editor.setCurrentTabIndex (editor.getTabNames().indexOf ("Patterns"));

    auto isActive = [&rig] (juce::CommandID id)
    {
        juce::ApplicationCommandInfo info (id);
        EXPECT_TRUE (rig.content.getStepsCommands().getCommandInfo (id, info));
        return (info.flags & juce::ApplicationCommandInfo::isDisabled) == 0;
    };

    for (int type : { (int) PartType::lineIn, (int) PartType::lead, (int) PartType::bass, (int) PartType::rythm })
    {
        auto record = rig.shown();
        record[Pattern::type] = (juce::uint8) type;
        ASSERT_TRUE (rig.session.editShownPattern ("Type", record.data()).wasOk());
        const bool heard = type != PartType::lineIn;

        for (juce::CommandID id = StepsCommands::rotateLeft; id <= StepsCommands::mutateSound; ++id)
        {
            SCOPED_TRACE (StepsCommands::nameOf (id).toStdString() + " on type " + std::to_string (type));
            const bool soundTool = id == StepsCommands::randomizeSound || id == StepsCommands::mutateSound;
            EXPECT_EQ (isActive (id), heard || soundTool);

            if (heard || soundTool)
                continue;

            // Invoked anyway (a key, a script): no window, no undo step, no byte, nothing sent.
            const auto before = rig.shown();
            const auto steps = rig.session.getHistory().getNumSteps();
            rig.out.clear();
            rig.content.lastMessage.clear();
            EXPECT_TRUE (rig.content.perform (juce::ApplicationCommandTarget::InvocationInfo (id)));
            EXPECT_FALSE (rig.session.getAudition().isOpen());
            EXPECT_EQ (rig.content.lastMessage, "");

            // A tool window left open from before the type changed refuses in words, as Variations does.
            if (id == StepsCommands::variations)
                rig.content.getStepsCommands().showVariations (1);
            else
                rig.content.lastMessage = rig.content.getStepsCommands().apply (id, {});

            EXPECT_TRUE (rig.content.lastMessage.contains ("Line In")) << rig.content.lastMessage;
            EXPECT_FALSE (rig.session.getAudition().isOpen());
            EXPECT_EQ (rig.shown(), before);
            EXPECT_EQ (rig.session.getHistory().getNumSteps(), steps);
            EXPECT_TRUE (rig.sent().empty());
        }
    }
}

TEST (StepsCommands, ToolsRunThroughTheOneRunnerAndEveryWindowOffersASeedOfItsRange)
{
    StepsRig rig;
    auto& commands = rig.content.getStepsCommands();
    const auto before = rig.shown();

    // The settings vesk's test gives transform randomize: the same pattern from the same seed.
    StepToolDialog::Settings settings;
    settings.seed = 3141592653u;
    settings.scale = VeskStepTools::Scale::minor;
    settings.root = 9;
    settings.density = 60;
    settings.lockedLanes = VeskStepTools::gateLane;
    const auto made = VeskToolRunner::run (VeskToolRunner::Tool::randomize, before.data(), settings);
    ASSERT_EQ (commands.apply (StepsCommands::randomize, settings), "");
    EXPECT_EQ (rig.shown(), Record (made.record.begin(), made.record.end()));

    // Every window opens on a seed of the one range.
    for (auto id : { StepsCommands::humanize, StepsCommands::randomize, StepsCommands::mutate, StepsCommands::randomizeSound, StepsCommands::mutateSound })
    {
        SCOPED_TRACE (StepsCommands::nameOf (id).toStdString());

        for (int i = 0; i < 100; ++i)
        {
            const auto seed = commands.settingsFor (id).seed;
            ASSERT_GE (seed, 1u);
            ASSERT_LE (seed, VeskSeed::highestMade);
        }
    }
}
