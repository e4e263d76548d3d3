#include "TransferProgressComponent.h"

TransferProgressComponent::TransferProgressComponent()
{
    const auto dark = juce::Colour (0xff202020);

    stepLabel.setFont (juce::Font (15.0f, juce::Font::bold));
    stepLabel.setColour (juce::Label::textColourId, dark);
    addAndMakeVisible (stepLabel);

    progressBar.setColour (juce::ProgressBar::backgroundColourId, juce::Colour (0xffd8e4e4));
    progressBar.setColour (juce::ProgressBar::foregroundColourId, juce::Colour (0xffcc0000));
    addAndMakeVisible (progressBar);

    // Why the main window does not answer while this is up.
    noteLabel.setText ("Edits, page Send and Store and the other commands wait until this ends; Cancel stops it where it is.",
                       juce::dontSendNotification);
    noteLabel.setColour (juce::Label::textColourId, dark);
    noteLabel.setJustificationType (juce::Justification::topLeft);
    addAndMakeVisible (noteLabel);

    summaryText.setMultiLine (true, true);
    summaryText.setReadOnly (true);
    summaryText.setScrollbarsShown (true);
    summaryText.setCaretVisible (false);
    summaryText.setEscapeAndReturnKeysConsumed (false); // Escape closes the window
    summaryText.setFont (juce::Font (juce::Font::getDefaultMonospacedFontName(), 13.0f, juce::Font::plain));
    summaryText.setColour (juce::TextEditor::backgroundColourId, juce::Colours::white);
    summaryText.setColour (juce::TextEditor::textColourId, dark);
    addChildComponent (summaryText);

    button.onClick = [this]
    { buttonPressed(); };
    addAndMakeVisible (button);
}

TransferProgressComponent::~TransferProgressComponent() = default;

void TransferProgressComponent::setNote (const juce::String& note)
{
    noteLabel.setText (note, juce::dontSendNotification);
}

void TransferProgressComponent::showProgress (double fraction, const juce::String& line)
{
    progress = fraction < 0.0 ? -1.0 : juce::jlimit (0.0, 1.0, fraction);
    stepLabel.setText (line, juce::dontSendNotification);
}

void TransferProgressComponent::showSummary (const juce::String& headline, const juce::String& summary)
{
    finished = true;
    stepLabel.setText (headline, juce::dontSendNotification);
    noteLabel.setVisible (false);
    progressBar.setVisible (false); // a full bar would turn into JUCE's "busy" stripes
    summaryText.setText (summary, false);
    summaryText.setVisible (true);
    button.setButtonText ("Close");
    resized();
    repaint();
}

void TransferProgressComponent::buttonPressed()
{
    if (! finished)
    {
        if (onCancel != nullptr)
            onCancel();

        return;
    }

    if (auto* dialog = findParentComponentOfClass<juce::DialogWindow>())
        dialog->exitModalState (0);
}

void TransferProgressComponent::resized()
{
    auto area = getLocalBounds().reduced (12);
    stepLabel.setBounds (area.removeFromTop (24));
    area.removeFromTop (6);

    if (! finished)
    {
        progressBar.setBounds (area.removeFromTop (20));
        area.removeFromTop (10);
    }

    auto buttons = area.removeFromBottom (26);
    button.setBounds (buttons.removeFromRight (90));
    area.removeFromBottom (8);

    noteLabel.setBounds (area);
    summaryText.setBounds (area);
}
