#include "MidiImportDialog.h"

namespace
{
    constexpr int everyChannel = 100; // the channel list's id for "every channel"
}

MidiImportDialog::MidiImportDialog (const VeskMidiFile::Survey& survey, std::function<VeskMidiFile::Survey (int)> surveyTrackToUse)
    : surveyTrack (std::move (surveyTrackToUse))
{
    // A track without notes (a tempo map, say) has nothing to import.
    for (const auto& track : survey.tracksWithNotes)
        trackCombo.addItem (track.name, track.number);

    trackCombo.onChange = [this]
    {
        if (surveyTrack != nullptr && trackCombo.getSelectedId() > 0)
            show (surveyTrack (trackCombo.getSelectedId()));
    };

    barSlider.setSliderStyle (juce::Slider::SliderStyle::IncDecButtons);
    barSlider.setTextBoxStyle (juce::Slider::TextEntryBoxPosition::TextBoxLeft, false, 60, 20);

    for (auto* c : std::initializer_list<juce::Component*> { &trackLabel, &trackCombo, &barLabel, &barSlider, &channelLabel,
                                                             &channelCombo, &importButton, &cancelButton })
        addAndMakeVisible (c);

    importButton.onClick = [this]
    {
        if (onImport != nullptr)
            onImport (getOptions());
    };
    cancelButton.onClick = [this]
    {
        if (onClose != nullptr)
            onClose();
    };

    show (survey);
    setSize (320, 150);
}

void MidiImportDialog::show (const VeskMidiFile::Survey& survey)
{
    trackCombo.setSelectedId (survey.track, juce::dontSendNotification);
    barSlider.setRange (1, juce::jmax (1, survey.bars), 1);
    barSlider.setValue (1, juce::dontSendNotification);

    channelCombo.clear (juce::dontSendNotification);
    channelCombo.addItem ("Every channel", everyChannel);

    for (int channel = 1; channel <= 16; ++channel)
    {
        const int notes = survey.notesPerChannel[(size_t) channel - 1];

        if (notes > 0)
            channelCombo.addItem (juce::String (channel) + " (" + juce::String (notes) + (notes == 1 ? " note)" : " notes)"), channel);
    }

    channelCombo.setSelectedId (everyChannel, juce::dontSendNotification);
}

VeskMidiFile::ImportOptions MidiImportDialog::getOptions() const
{
    VeskMidiFile::ImportOptions options;
    options.track = trackCombo.getSelectedId() > 0 ? trackCombo.getSelectedId() : -1;
    options.bar = (int) barSlider.getValue();
    options.channel = channelCombo.getSelectedId() == everyChannel ? 0 : channelCombo.getSelectedId();
    return options;
}

void MidiImportDialog::resized()
{
    auto area = getLocalBounds().reduced (10);

    for (auto [label, control] : { std::pair<juce::Component*, juce::Component*> { &trackLabel, &trackCombo },
                                   { &barLabel, &barSlider },
                                   { &channelLabel, &channelCombo } })
    {
        auto line = area.removeFromTop (28).reduced (0, 3);
        label->setBounds (line.removeFromLeft (90));
        control->setBounds (line);
    }

    auto buttons = area.removeFromBottom (26);
    cancelButton.setBounds (buttons.removeFromRight (90));
    buttons.removeFromRight (10);
    importButton.setBounds (buttons.removeFromRight (90));
}
