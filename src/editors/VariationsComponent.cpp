#include "VariationsComponent.h"
#include "LibraryRows.h"
#include "VeskText.h"

#include <utility>

namespace
{
    constexpr int margin = 10, gap = 8, columns = 4, buttonHeight = 24, labelHeight = 20;
}

struct VariationsComponent::Sketch : public juce::Button
{
    Sketch (VariationsComponent& ownerToUse, int indexToShow)
        : juce::Button ("Variation " + juce::String (indexToShow + 1)),
          owner (ownerToUse),
          index (indexToShow)
    {
        setWantsKeyboardFocus (false);
    }

    void paintButton (juce::Graphics& g, bool highlighted, bool down) override
    {
        const bool isChosen = owner.chosen == index;
        auto area = getLocalBounds();
        g.setColour (isChosen ? LibraryRows::selectedBackground : LibraryRows::background);
        g.fillRect (area);
        g.setColour (isChosen || highlighted || down ? LibraryRows::markColour : LibraryRows::headerColour);
        g.drawRect (area, isChosen ? 2 : 1);

        area.reduce (4, 3);
        g.setColour (LibraryRows::textColour);
        g.setFont (12.0f);
        VeskText::draw (g, juce::String (index + 1), area.removeFromTop (14), juce::Justification::topLeft);
        LibraryRows::paintSteps (g, owner.round[(size_t) index].data(), area);
    }

    void clicked() override
    {
        const auto result = owner.choose (index);

        if (result.failed() && owner.onRefused != nullptr)
            owner.onRefused (result);
    }

    VariationsComponent& owner;
    const int index;
};

VariationsComponent::VariationsComponent (VeskSession& sessionToUse, std::uint64_t firstSeed)
    : session (sessionToUse)
{
    jassert (session.getAudition().isOpen());

    for (int i = 0; i < VeskVariations::count; ++i)
        addAndMakeVisible (sketches.add (std::make_unique<Sketch> (*this, i)));

    seedLabel.setJustificationType (juce::Justification::centredLeft);
    addAndMakeVisible (seedLabel);

    for (auto* button : { &moreButton, &keepButton, &cancelButton })
    {
        addAndMakeVisible (button);
        button->setWantsKeyboardFocus (false);
    }

    moreButton.onClick = [this]
    { moreLikeThis(); };
    keepButton.onClick = [this]
    {
        const auto result = keep();

        if (result.failed() && onRefused != nullptr)
            onRefused (result);
    };
    cancelButton.onClick = [this]
    { cancel(); };

    setWantsKeyboardFocus (true);
    session.addListener (this);
    makeRound (session.getAudition().getOriginal(), firstSeed);

    const int rows = VeskVariations::count / columns;
    setSize (2 * margin + columns * sketchWidth + (columns - 1) * gap,
             2 * margin + labelHeight + gap + rows * sketchHeight + (rows - 1) * gap + gap + buttonHeight);
}

VariationsComponent::~VariationsComponent()
{
    session.removeListener (this);

    if (! finished)
        session.getAudition().cancel();
}

void VariationsComponent::makeRound (const juce::uint8* base, std::uint64_t seed)
{
    roundSeed = seed;
    ++roundNumber;
    round = VeskVariations::round (base, seed, VeskVariations::Options());

    chosen = -1;
    update();
}

SessionResult VariationsComponent::choose (int index)
{
    if (index < 0 || index >= VeskVariations::count)
        return SessionResult::ok();

    const auto result = session.getAudition().audition (round[(size_t) index].data());

    if (result.wasOk())
    {
        chosen = index;
        earlierChoice.reset();
        update();
    }

    return result;
}

void VariationsComponent::moreLikeThis()
{
    if (chosen < 0 && ! earlierChoice)
        return;

    // The unit goes on playing the base, so it stays the choice until another is made.
    earlierChoice = chosen >= 0 ? round[(size_t) chosen] : *earlierChoice;
    makeRound (earlierChoice->data(), VeskVariations::nextRoundSeed (roundSeed));
}

SessionResult VariationsComponent::keep()
{
    const auto result = session.getAudition().keep();

    if (result.wasOk())
        finish (result);

    return result;
}

void VariationsComponent::cancel()
{
    session.getAudition().cancel();
    finish (SessionResult::ok());
}

void VariationsComponent::finish (const SessionResult& result)
{
    if (std::exchange (finished, true))
        return;

    if (onFinished != nullptr)
        onFinished (result);
}

void VariationsComponent::auditionChanged()
{
    if (! session.getAudition().isOpen())
        finish (SessionResult::ok());
}

void VariationsComponent::update()
{
    const bool heard = chosen >= 0 || earlierChoice;
    seedLabel.setText ("Round " + juce::String (roundNumber) + ", seed " + juce::String ((juce::uint64) roundSeed)
                           + (earlierChoice ? ". The unit plays your last choice." : ""),
                       juce::dontSendNotification);
    moreButton.setEnabled (heard);
    keepButton.setEnabled (heard);
    repaint();
}

void VariationsComponent::paint (juce::Graphics& g)
{
    g.fillAll (LibraryRows::background);
}

void VariationsComponent::resized()
{
    auto area = getLocalBounds().reduced (margin);
    seedLabel.setBounds (area.removeFromTop (labelHeight));
    area.removeFromTop (gap);

    auto buttons = area.removeFromBottom (buttonHeight);
    cancelButton.setBounds (buttons.removeFromRight (90));
    buttons.removeFromRight (gap);
    keepButton.setBounds (buttons.removeFromRight (90));
    buttons.removeFromRight (gap);
    moreButton.setBounds (buttons.removeFromRight (120));
    area.removeFromBottom (gap);

    // The sketches share what the window got, which at a large zoom on a small
    // screen is less than the size asked for.
    const int rows = (sketches.size() + columns - 1) / columns;
    const int width = juce::jmax (0, (area.getWidth() - (columns - 1) * gap) / columns);
    const int height = juce::jmax (0, (area.getHeight() - (rows - 1) * gap) / rows);

    for (int i = 0; i < sketches.size(); ++i)
        sketches[i]->setBounds (area.getX() + (i % columns) * (width + gap), area.getY() + (i / columns) * (height + gap), width, height);
}

bool VariationsComponent::keyPressed (const juce::KeyPress& key)
{
    const auto c = key.getTextCharacter();

    if (c >= '1' && c < '1' + VeskVariations::count && ! key.getModifiers().isAnyModifierKeyDown())
    {
        sketches[(int) (c - '1')]->triggerClick();
        return true;
    }

    if (key == juce::KeyPress::returnKey && keepButton.isEnabled())
    {
        keepButton.triggerClick();
        return true;
    }

    return false;
}
