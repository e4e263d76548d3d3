#include "PatternsPage.h"
#include "TestEnvironment.h"
#include "editors/VeskLeadComponent.h"
#include "editors/VeskLineinComponent.h"
#include "model/VeskMidiFile.h"
#include "platform/UserFolders.h"

using namespace VeskImage;

TEST_F (PatternsPage, StartsOnTheTemporaryPatternWithItsDefaults)
{
    PatternsComponent page (session);

    EXPECT_EQ (page.patternsCombo->getText(), "Temporary");
    EXPECT_EQ (page.patternsCombo->getNumItems(), 21);
    EXPECT_EQ (page.patternsCombo->getItemText (20), "User 20");
    EXPECT_EQ (page.typeCombo->getText(), "Lead");
    EXPECT_DOUBLE_EQ (page.tempoSlider->getValue(), 130.0);
    EXPECT_TRUE (page.oneBarToggle->getToggleState());
    EXPECT_FALSE (page.twoBarsToggle->getToggleState());
    EXPECT_TRUE (page.sixteenStepsToggle->getToggleState());
    EXPECT_FALSE (page.twelveStepsToggle->getToggleState());
    EXPECT_FALSE (page.synthSeqToggle->getToggleState());
    EXPECT_EQ (page.loopCtrlCombo->getText(), "Off");
    EXPECT_EQ (page.commonGroup->getBounds(), juce::Rectangle<int> (1, 1, 342, 89));
    EXPECT_EQ (page.tempoSlider->getBounds(), juce::Rectangle<int> (74, 65, 60, 15));
    EXPECT_EQ (page.findColour (juce::ComboBox::backgroundColourId), juce::Colour (0xFF330000));

    // The first showing of the loop control is echoed to the unit, and nothing else goes out.
    EXPECT_TRUE (out.messages.empty());
    dispatchPendingMessages();
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x01, Pattern::loopCtrl, 0));
}

TEST_F (PatternsPage, ChoosingAUserPatternSelectsItOnTheUnitAndTemporaryDoesNot)
{
    model.bytesOf (*VeskBlock::user (5))[Pattern::tempoHigh] = 11;
    model.bytesOf (*VeskBlock::user (5))[Pattern::tempoLow] = 2;
    auto page = makePage();

    page->patternsCombo->setSelectedItemIndex (5, juce::sendNotificationSync);

    EXPECT_EQ (model.currentPatternIndex, 4);
    EXPECT_EQ (model.currentPattern, model.bytesOf (*VeskBlock::user (5)));
    EXPECT_DOUBLE_EQ (page->tempoSlider->getValue(), 141.0);
    ASSERT_EQ (out.messages.size(), 3u);
    EXPECT_EQ (out.hexAt (0), "B0 00 55");
    EXPECT_EQ (out.hexAt (1), "B0 20 00");
    EXPECT_EQ (out.hexAt (2), "C0 04");

    out.clear();
    page->patternsCombo->setSelectedItemIndex (0, juce::sendNotificationSync);
    dispatchPendingMessages();

    EXPECT_EQ (model.currentPatternIndex, -1);
    EXPECT_EQ (model.currentPattern, model.temporaryPattern);
    EXPECT_DOUBLE_EQ (page->tempoSlider->getValue(), 130.0);
    EXPECT_TRUE (out.messages.empty());
}

TEST_F (PatternsPage, PatternChoiceKeepsOrReplacesThePartEditorByType)
{
    setType (model.temporaryPattern, PartType::lineIn);
    setType (model.bytesOf (*VeskBlock::user (1)), PartType::lineIn);
    setType (model.bytesOf (*VeskBlock::user (2)), PartType::filter);
    auto page = makePage();

    auto* lineIn = page->partEditor;
    ASSERT_NE (dynamic_cast<VeskLineinComponent*> (lineIn), nullptr);

    page->patternsCombo->setSelectedItemIndex (1, juce::sendNotificationSync);
    EXPECT_EQ (page->partEditor, lineIn);

    page->patternsCombo->setSelectedItemIndex (2, juce::sendNotificationSync);
    EXPECT_EQ (page->partEditor, nullptr);
    EXPECT_EQ (page->typeCombo->getText(), "Filter");
    EXPECT_EQ (page->getNumChildComponents(), 1); // the band only
}

namespace
{
    /** Counts the part editors a page builds: each joins the page as a child.
        Off screen, a page reports children added but not those removed. */
    struct EditorBuilds : juce::ComponentListener
    {
        explicit EditorBuilds (juce::Component& pageToWatch) : page (pageToWatch) { page.addComponentListener (this); }
        ~EditorBuilds() override { page.removeComponentListener (this); }

        void componentChildrenChanged (juce::Component&) override { ++count; }

        juce::Component& page;
        int count = 0;
    };
}

TEST_F (PatternsPage, EachChoiceBuildsAtMostOneEditor)
{
    struct Case
    {
        const char* what;
        int fromType, toType, builds;
    };

    const Case cases[] = { { "pattern of another type", PartType::filter, PartType::lineIn, 1 },
                           { "pattern of the same type", PartType::lineIn, PartType::lineIn, 0 },
                           { "pattern without an editor", PartType::lineIn, PartType::filter, 0 },
                           { "type", PartType::filter, PartType::lineIn, 1 },
                           { "refresh after a dump changed the type", PartType::filter, PartType::lineIn, 1 } };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        setType (model.temporaryPattern, c.fromType);
        setType (model.bytesOf (*VeskBlock::user (1)), c.toType);
        model.selectTemporaryPattern();
        auto page = makePage();
        EditorBuilds builds (*page);

        if (juce::String (c.what).startsWith ("pattern"))
        {
            page->patternsCombo->setSelectedItemIndex (1, juce::sendNotificationSync);
        }
        else if (juce::String (c.what) == "type")
        {
            page->typeCombo->setSelectedItemIndex (c.toType, juce::sendNotificationSync);
        }
        else
        {
            setType (model.temporaryPattern, c.toType);
            page->updateFromPattern (0);
        }

        EXPECT_EQ (builds.count, c.builds);
        EXPECT_EQ (page->partEditor != nullptr, c.toType == PartType::lineIn);
        EXPECT_EQ (page->typeCombo->getSelectedItemIndex(), c.toType);
    }
}

TEST_F (PatternsPage, TypeChangeStoresSendsAndRebuildsTheEditor)
{
    auto page = makePage();
    EXPECT_NE (dynamic_cast<VeskLeadComponent*> (page->partEditor), nullptr);

    page->synthSeqToggle->setToggleState (true, juce::dontSendNotification);
    page->typeCombo->setSelectedItemIndex (PartType::lineIn, juce::sendNotificationSync);

    EXPECT_EQ (model.temporaryPattern[Pattern::type], PartType::lineIn);
    ASSERT_NE (page->partEditor, nullptr);
    EXPECT_EQ (page->partEditor->getBounds(), juce::Rectangle<int> (1, 91, 45, 84));
    EXPECT_EQ (page->getBounds(), juce::Rectangle<int> (0, 0, 344, 176));
    EXPECT_FALSE (page->synthSeqToggle->getToggleState());
    EXPECT_EQ (&page->partEditor->getLookAndFeel(), &page->pageLookAndFeel);

    out.clear();
    page->typeCombo->setSelectedItemIndex (PartType::filter, juce::sendNotificationSync);

    EXPECT_EQ (page->partEditor, nullptr);
    EXPECT_EQ (model.temporaryPattern[Pattern::type], PartType::filter);
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x01, Pattern::type, 4));
    EXPECT_EQ (page->getBounds(), juce::Rectangle<int> (0, 0, 344, 176)); // keeps its size
}

TEST_F (PatternsPage, SynthSeqToggleSurvivesAPatternChoiceButNotATypeChange)
{
    auto page = makePage();
    page->synthSeqToggle->setToggleState (true, juce::sendNotificationSync);

    page->patternsCombo->setSelectedItemIndex (3, juce::sendNotificationSync);
    EXPECT_TRUE (page->synthSeqToggle->getToggleState());

    page->typeCombo->setSelectedItemIndex (PartType::bass, juce::sendNotificationSync);
    EXPECT_FALSE (page->synthSeqToggle->getToggleState());
}

TEST_F (PatternsPage, LengthAndScaleTogglesStoreAndSendOnEveryClick)
{
    auto page = makePage();

    page->twoBarsToggle->triggerClick();
    dispatchPendingMessages();
    page->twoBarsToggle->triggerClick();
    dispatchPendingMessages();

    EXPECT_EQ (model.currentPattern[Pattern::patternLength], 1);
    ASSERT_EQ (out.messages.size(), 2u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x01, Pattern::patternLength, 1));
    EXPECT_EQ (out.hexAt (1), dataSet (0x01, Pattern::patternLength, 1));

    out.clear();
    page->twelveStepsToggle->triggerClick();
    dispatchPendingMessages();

    EXPECT_FALSE (page->sixteenStepsToggle->getToggleState());
    EXPECT_EQ (model.currentPattern[Pattern::stepsPerBar], 0);
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x01, Pattern::stepsPerBar, 0));
}

TEST_F (PatternsPage, TempoLoopControlAndTransfers)
{
    auto page = makePage();

    page->tempoSlider->setValue (141.0, juce::sendNotificationSync);
    EXPECT_EQ (model.currentPattern[Pattern::tempoHigh], 11);
    EXPECT_EQ (model.currentPattern[Pattern::tempoLow], 2);
    ASSERT_EQ (out.messages.size(), 2u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x01, Pattern::tempoHigh, 11));
    EXPECT_EQ (out.hexAt (1), dataSet (0x01, Pattern::tempoLow, 2));

    out.clear();
    page->loopCtrlCombo->setSelectedItemIndex (3, juce::sendNotificationSync);
    EXPECT_EQ (model.currentPattern[Pattern::loopCtrl], 3);
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x01, Pattern::loopCtrl, 3));

    out.clear();
    page->sendButton->triggerClick();
    page->storeButton->triggerClick();
    dispatchPendingMessages();
    ASSERT_EQ (out.messages.size(), 2u);
    EXPECT_EQ (out.messages[0], bytesOf (VeskProtocol::patternBulk (Area::temporaryPattern, 0, model.temporaryPattern)));
    EXPECT_EQ (out.messages[1], bytesOf (VeskProtocol::patternRequest (Area::temporaryPattern, 0)));
}

TEST_F (PatternsPage, RefreshShowsThePatternAndEchoesOnlyAChangedLoopControl)
{
    auto page = makePage();
    auto* p = model.currentPattern;
    p[Pattern::tempoHigh] = 7; // 7 * 128 + 68 = 964: 96.4 BPM, shown as 96
    p[Pattern::tempoLow] = 68;
    p[Pattern::patternLength] = 1;
    p[Pattern::stepsPerBar] = 0;
    p[Pattern::type] = PartType::lineIn;
    p[Pattern::level] = 33;

    page->updateFromPattern (0);

    EXPECT_DOUBLE_EQ (page->tempoSlider->getValue(), 96.0);
    EXPECT_TRUE (page->twoBarsToggle->getToggleState());
    EXPECT_TRUE (page->twelveStepsToggle->getToggleState());
    ASSERT_NE (page->partEditor, nullptr);
    EXPECT_DOUBLE_EQ (static_cast<VeskLineinComponent*> (page->partEditor)->levelSlider->getValue(), 33.0);
    dispatchPendingMessages();
    EXPECT_TRUE (out.messages.empty());
    EXPECT_EQ (p[Pattern::tempoLow], 68); // nothing written back

    p[Pattern::loopCtrl] = 2;
    page->updateFromPattern (0);
    EXPECT_TRUE (out.messages.empty()); // the echo comes later, on the message loop
    dispatchPendingMessages();
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x01, Pattern::loopCtrl, 2));
}

TEST_F (PatternsPage, ALoopControlBeyondTheListIsNeitherStoredBackNorSent)
{
    auto page = makePage();
    model.currentPattern[Pattern::loopCtrl] = 9;
    model.currentPattern[Pattern::type] = 12;

    page->updateFromPattern (0);
    dispatchPendingMessages();

    EXPECT_EQ (page->loopCtrlCombo->getSelectedItemIndex(), -1);
    EXPECT_EQ (page->typeCombo->getSelectedItemIndex(), -1);
    EXPECT_EQ (page->partEditor, nullptr);
    EXPECT_EQ (model.currentPattern[Pattern::loopCtrl], 9);
    EXPECT_TRUE (out.messages.empty());
}

TEST_F (PatternsPage, TheTitleBarDragsTheShownPatternOutAsAMidiFileInAFolderOfTheUsersOwn)
{
    juce::TemporaryFile runtime;
    ASSERT_TRUE (runtime.getFile().createDirectory());
    // The user's runtime folder where the system has one, else the data folder.
    const auto previous = juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {});
    const auto previousData = juce::SystemStats::getEnvironmentVariable (UserFolders::dataVariable(), {});
    TestEnvironment::set ("XDG_RUNTIME_DIR", runtime.getFile().getFullPathName());
    TestEnvironment::set (UserFolders::dataVariable(), runtime.getFile().getFullPathName());

    auto page = makePage();
    session.showPattern (slotBlock (3));
    session.edit (VeskField::pattern (Pattern::type), PartType::bass);
    PatternDragOut drag (session, *page->commonGroup, 15);

    juce::File written;
    ASSERT_TRUE (drag.writeFile (written).wasOk());
    EXPECT_TRUE (written.isAChildOf (runtime.getFile())) << "not the shared temporary folder: " << written.getFullPathName();
    EXPECT_EQ (written.getFileName(), "User 03 - Bass.mid");
    juce::MemoryBlock bytes;
    ASSERT_TRUE (written.loadFileAsData (bytes));
    EXPECT_EQ (bytes, VeskMidiFile::exportPattern (model.image, slotBlock (3)));

    // A pattern without notes has nothing to drag.
    session.edit (VeskField::pattern (Pattern::type), PartType::lineIn);
    EXPECT_TRUE (drag.writeFile (written).failed());

    TestEnvironment::set ("XDG_RUNTIME_DIR", previous);
    TestEnvironment::set (UserFolders::dataVariable(), previousData);
    runtime.getFile().deleteRecursively();
}

TEST_F (PatternsPage, SendAndStoreAreRefusedWhileATransferRunsAsEveryCommandIs)
{
    auto page = makePage();
    session.setVirtualUnitInUse (true);
    ASSERT_TRUE (session.startTransfer (VeskTransfer::Kind::verify).wasOk());
    const std::vector<juce::uint8> library (model.image, model.image + imageSize);
    expectSendAndStoreRefused (*page->sendButton, *page->storeButton, page->onMessage, session, out);
    clock.runUntilIdle();
    EXPECT_EQ (std::vector<juce::uint8> (model.image, model.image + imageSize), library);
}
