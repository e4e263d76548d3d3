// The Variations window without a screen: what choosing one sends, rounds
// made again from their seed, Keep as one step and Cancel as the pattern was.

#include "EditorTestSupport.h"
#include "editors/VariationsComponent.h"

using namespace VeskImage;

namespace
{
    using Record = std::vector<juce::uint8>;

    struct VariationsTest : ModelFixture
    {
        VariationsTest()
        {
            for (int s = 0; s < Pattern::numSteps; ++s)
            {
                model.currentPattern[Pattern::stepNote + s] = (juce::uint8) (50 + (s * 5) % 24);
                model.currentPattern[Pattern::stepType + s] = (juce::uint8) (s % 3 == 2 ? StepType::rest : StepType::normal);
            }

            original = shown();
            EXPECT_TRUE (session.getAudition().begin ("Variations").wasOk());
        }

        Record shown() const { return { model.currentPattern, model.currentPattern + patternSize }; }

        /** What editShownPattern sends from `from` to `to`, on a session of its own. */
        std::vector<std::string> editSends (const Record& from, const Record& to)
        {
            RecordingMidiOut otherOut;
            VirtualClock otherClock;
            VeskSession other { VeskSession::Options::headless (otherClock, otherOut) };
            std::copy (from.begin(), from.end(), other.getModel().currentPattern);
            otherOut.clear();
            EXPECT_TRUE (other.editShownPattern ("Any", to.data()).wasOk());
            return hexes (otherOut);
        }

        static std::vector<std::string> hexes (const RecordingMidiOut& recording)
        {
            std::vector<std::string> lines;

            for (const auto& m : recording.messages)
                lines.push_back (RecordingMidiOut::hex (m));

            return lines;
        }

        Record original;
    };
}

TEST_F (VariationsTest, ChoosingOneSendsItAndRoundsComeAgainFromTheirSeeds)
{
    VariationsComponent window (session, 777);
    EXPECT_TRUE (window.seedLabel.getText().contains ("777"));
    EXPECT_FALSE (window.keepButton.isEnabled()) << "nothing chosen yet";

    // The third, by its number key as by a click.
    out.clear();
    EXPECT_TRUE (window.keyPressed (juce::KeyPress ('3', {}, '3')));
    dispatchPendingMessages();
    ASSERT_EQ (window.getChosen(), 2);
    const Record third (window.getRound()[2].begin(), window.getRound()[2].end());
    EXPECT_NE (third, original);
    EXPECT_EQ (shown(), third);
    EXPECT_EQ (hexes (out), editSends (original, third));
    EXPECT_FALSE (session.canUndo()) << "listening is no step";

    const auto firstRound = window.getRound();
    window.moreLikeThis();
    EXPECT_EQ (window.getRoundNumber(), 2);
    EXPECT_NE (window.getRoundSeed(), 777u);
    EXPECT_EQ (window.getRound(), VeskVariations::round (third.data(), window.getRoundSeed(), VeskVariations::Options()));
    EXPECT_TRUE (window.seedLabel.getText().contains (juce::String ((juce::uint64) window.getRoundSeed())));

    // The same first seed and choices make the same rounds, in another window.
    const auto secondSeed = window.getRoundSeed();
    window.cancel();
    ASSERT_TRUE (session.getAudition().begin ("Variations").wasOk());
    VariationsComponent again (session, 777);
    EXPECT_EQ (again.getRound(), firstRound);
    ASSERT_TRUE (again.choose (2).wasOk());
    again.moreLikeThis();
    EXPECT_EQ (again.getRoundSeed(), secondSeed);
}

TEST_F (VariationsTest, KeepIsOneStepOfTheChosenAndCancelOrClosingPutsThePatternBack)
{
    {
        VariationsComponent window (session, 5);
        int finished = 0;
        window.onFinished = [&] (const SessionResult& result)
        { finished += result.wasOk() ? 1 : 100; };

        ASSERT_TRUE (window.choose (0).wasOk());
        ASSERT_TRUE (window.choose (5).wasOk());
        const auto chosen = shown();
        EXPECT_TRUE (window.keep().wasOk());
        EXPECT_EQ (finished, 1);
        EXPECT_EQ (shown(), chosen);
        EXPECT_EQ (session.getHistory().getNumSteps(), 1);
        EXPECT_EQ (session.getUndoName(), "Variations");
    }

    ASSERT_TRUE (session.undo().wasOk());
    ASSERT_EQ (shown(), original);
    const std::vector<juce::uint8> library (model.image, model.image + imageSize);

    for (bool byClosing : { false, true })
    {
        SCOPED_TRACE (byClosing ? "the window closed" : "Cancel");
        ASSERT_TRUE (session.getAudition().begin ("Variations").wasOk());
        auto window = std::make_unique<VariationsComponent> (session, 6);
        ASSERT_TRUE (window->choose (1).wasOk());
        const auto heard = shown();
        out.clear();

        if (byClosing)
            window = nullptr;
        else
            window->cancel();

        EXPECT_EQ (hexes (out), editSends (heard, original));
        EXPECT_EQ (std::vector<juce::uint8> (model.image, model.image + imageSize), library);
        EXPECT_EQ (session.getHistory().getNumDone(), 0);
        EXPECT_FALSE (session.getAudition().isOpen());
    }
}

TEST_F (VariationsTest, ANewLibraryUnderTheWindowClosesItWithNothingPutBack)
{
    int finished = 0;
    {
        VariationsComponent window (session, 11);
        window.onFinished = [&finished] (const SessionResult& result)
        {
            EXPECT_TRUE (result.wasOk());
            ++finished;
        };
        ASSERT_TRUE (window.choose (2).wasOk());

        session.newLibrary();
        EXPECT_EQ (finished, 1);
        const Record fresh = shown();
        out.clear();

        window.cancel();
        EXPECT_EQ (finished, 1) << "told once";
        EXPECT_EQ (shown(), fresh);
    }

    EXPECT_TRUE (out.messages.empty()) << "nothing of the old pattern sent, closing included";
    EXPECT_FALSE (session.canUndo());
}

TEST_F (VariationsTest, GivenLessRoomThanItAsksForItShowsEverySketchInsideIt)
{
    VariationsComponent window (session, 777);
    const auto asked = window.getLocalBounds();

    // As at 200 % on a 1280-pixel screen, and smaller in both directions.
    for (auto size : { asked, asked.withWidth (asked.getWidth() * 616 / 700), asked.withSize (asked.getWidth() / 2, asked.getHeight() * 2 / 3) })
    {
        window.setSize (size.getWidth(), size.getHeight());
        juce::Array<juce::Rectangle<int>> sketches;

        for (auto* child : window.getChildren())
            if (child->getName().startsWith ("Variation "))
            {
                EXPECT_TRUE (window.getLocalBounds().contains (child->getBounds())) << child->getName() << " at " << size.toString();
                EXPECT_GT (child->getWidth(), 40) << child->getName();

                for (auto other : sketches)
                    EXPECT_FALSE (other.intersects (child->getBounds())) << child->getName() << " overlaps another";

                sketches.add (child->getBounds());
            }

        EXPECT_EQ (sketches.size(), 8);

        for (auto* button : { &window.moreButton, &window.keepButton, &window.cancelButton })
            EXPECT_TRUE (window.getLocalBounds().contains (button->getBounds())) << button->getButtonText();
    }

    // At the size it asks for, the sketches keep their own size.
    window.setSize (asked.getWidth(), asked.getHeight());

    for (auto* child : window.getChildren())
    {
        if (child->getName().startsWith ("Variation "))
        {
            EXPECT_EQ (child->getWidth(), VariationsComponent::sketchWidth);
        }
    }
}

TEST_F (VariationsTest, MoreLikeThisKeepsTheHeardChoiceAndEveryRoundsSeedIsAsShortAsTheFirst)
{
    VariationsComponent window (session, VeskVariations::maxSeed);
    ASSERT_TRUE (window.choose (4).wasOk());
    const auto heard = shown();

    // The unit plays the fifth on; Keep and More Like This stay for it, and Keep keeps it.
    window.moreLikeThis();
    EXPECT_EQ (window.getRoundNumber(), 2);
    EXPECT_EQ (shown(), heard);
    EXPECT_TRUE (window.isHearingEarlierChoice());
    EXPECT_TRUE (window.keepButton.isEnabled());
    EXPECT_TRUE (window.moreButton.isEnabled());
    EXPECT_TRUE (window.seedLabel.getText().contains ("last choice"));

    // Another round from it again, then a choice of this round replaces it.
    const auto secondRound = window.getRound();
    window.moreLikeThis();
    EXPECT_EQ (window.getRound(), VeskVariations::round (heard.data(), window.getRoundSeed(), VeskVariations::Options()));
    EXPECT_NE (window.getRound(), secondRound);
    ASSERT_TRUE (window.choose (1).wasOk());
    EXPECT_FALSE (window.isHearingEarlierChoice());
    EXPECT_FALSE (window.seedLabel.getText().contains ("last choice"));
    const auto chosen = shown();

    // Keep after another round keeps what is heard.
    window.moreLikeThis();
    EXPECT_TRUE (window.keep().wasOk());
    EXPECT_EQ (shown(), chosen);
    EXPECT_EQ (session.getHistory().getNumSteps(), 1);

    // Seeds of later rounds stay within the first round's digits, from any seed.
    for (std::uint64_t seed : { std::uint64_t (1), std::uint64_t (777), VeskVariations::maxSeed, ~std::uint64_t (0) })
    {
        auto next = seed;

        for (int round = 0; round < 200; ++round)
        {
            next = VeskVariations::nextRoundSeed (next);
            ASSERT_GE (next, 1u);
            ASSERT_LE (next, VeskVariations::maxSeed);
        }
    }

    // A seed gives the same next one on every machine.
    EXPECT_EQ (VeskVariations::nextRoundSeed (777), 43316726u);
}
