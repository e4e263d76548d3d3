#pragma once

#include "model/VeskMidiFile.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The choices of File > Import MIDI File into Pattern, for a file another
    program wrote: the track (those with notes, by name), the bar that becomes step 1 (past a count-in or
    an intro) and the channel, each channel listed with its notes.
*/
class MidiImportDialog : public juce::Component
{
public:
    /** survey is what the file offers; surveyTrack surveys another track. */
    MidiImportDialog (const VeskMidiFile::Survey& survey, std::function<VeskMidiFile::Survey (int track)> surveyTrack);

    VeskMidiFile::ImportOptions getOptions() const;

    std::function<void (const VeskMidiFile::ImportOptions&)> onImport;
    std::function<void()> onClose;

    void resized() override;

    juce::ComboBox trackCombo, channelCombo;
    juce::Slider barSlider;
    juce::TextButton importButton { "Import" }, cancelButton { "Cancel" };

private:
    void show (const VeskMidiFile::Survey& survey);

    std::function<VeskMidiFile::Survey (int)> surveyTrack;
    juce::Label trackLabel { {}, "Track" }, barLabel { {}, "From bar" }, channelLabel { {}, "Channel" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiImportDialog)
};
