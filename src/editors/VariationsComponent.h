#pragma once

#include "model/VeskVariations.h"
#include "session/VeskSession.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

/**
    Variations of the shown pattern to listen through: a round of 8, each
    drawn as the Library page draws a pattern's steps. Choosing one (a click,
    or its number key) makes it the shown pattern and the unit plays it;
    "More Like This" makes a new round from the chosen one, which the unit
    plays on until another is chosen, so Keep and More Like This stay for it;
    "Keep" ends with what is heard as one undo step, Cancel (or Escape, or closing the window) with the
    pattern as it was, sent again. Each round's seed is shown, so a round can
    be made again.

    The session's audition must be begun before this is made. Should it end
    otherwise (another library opened under it), the window closes, having
    put nothing into that library.
*/
class VariationsComponent : public juce::Component,
                            private VeskSession::Listener
{
public:
    VariationsComponent (VeskSession& sessionToUse, std::uint64_t firstSeed);

    /** Cancels an audition still open. */
    ~VariationsComponent() override;

    /** The variation at index (0-7) is heard and drawn as chosen. */
    SessionResult choose (int index);

    /** A new round from the chosen variation (or, with none of this round
        chosen, from the earlier choice still heard); nothing without one. */
    void moreLikeThis();

    /** Ends with the chosen variation (or, with none, the pattern unchanged). */
    SessionResult keep();

    /** Ends with the pattern as it was. */
    void cancel();

    int getChosen() const noexcept { return chosen; }

    /** An earlier round's choice is heard, none of this round's. */
    bool isHearingEarlierChoice() const noexcept { return earlierChoice.has_value(); }
    std::uint64_t getRoundSeed() const noexcept { return roundSeed; }
    int getRoundNumber() const noexcept { return roundNumber; }
    const VeskVariations::Round& getRound() const noexcept { return round; }

    /** The window should close (called once); a result that failed says why
        the last command was refused (the app words it). */
    std::function<void (const SessionResult&)> onFinished;

    /** A choice or a keep refused while the window stays. */
    std::function<void (const SessionResult&)> onRefused;

    void paint (juce::Graphics& g) override;
    void resized() override;
    bool keyPressed (const juce::KeyPress& key) override;

    juce::TextButton moreButton { "More Like This" }, keepButton { "Keep" }, cancelButton { "Cancel" };
    juce::Label seedLabel;

    static constexpr int sketchWidth = 168, sketchHeight = 56;

private:
    struct Sketch;

    /** A round from base with seed: the 8 made and drawn afresh. */
    void makeRound (const juce::uint8* base, std::uint64_t seed);
    void update();
    void finish (const SessionResult& result);
    void auditionChanged() override;

    VeskSession& session;
    juce::OwnedArray<Sketch> sketches;
    VeskVariations::Round round {};
    std::uint64_t roundSeed = 0;
    int roundNumber = 0;
    int chosen = -1;
    std::optional<VeskToolResult::Record> earlierChoice;
    bool finished = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VariationsComponent)
};
