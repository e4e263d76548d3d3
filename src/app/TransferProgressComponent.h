#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The window of a transfer with the unit (or of Find Unit, or of a folder
    going into the collection): which block, how many of how many and a bar
    while it runs, with Cancel; at the end a summary to read, and Close.
*/
class TransferProgressComponent : public juce::Component
{
public:
    TransferProgressComponent();
    ~TransferProgressComponent() override;

    /** What the window says under the bar while it runs; a transfer's own note by default. */
    void setNote (const juce::String& note);

    /** fraction 0-1, or below 0 while how much is left is not known (a moving bar); line says what is in hand ("Asking for User 05 (7 of 22)"). */
    void showProgress (double fraction, const juce::String& line);

    /** The end: the summary replaces the note, Cancel becomes Close. */
    void showSummary (const juce::String& headline, const juce::String& summary);

    bool isFinished() const noexcept { return finished; }

    void resized() override;

    /** Cancel pressed while running. */
    std::function<void()> onCancel;

    juce::Label stepLabel;
    juce::TextEditor summaryText;
    juce::TextButton button { "Cancel" };

private:
    void buttonPressed();

    double progress = 0.0;
    bool finished = false;
    juce::ProgressBar progressBar { progress };
    juce::Label noteLabel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TransferProgressComponent)
};
