#include "ContentComp.h"
#include "SessionTexts.h"
#include "model/VeskMidiFile.h"

// The shown pattern to and from Standard MIDI Files.

void ContentComp::chooseMidiFile (bool forImport)
{
    const auto& model = getModel();
    const auto library = model.getFile();
    const auto folder = library != juce::File() ? library.getParentDirectory() : juce::File::getCurrentWorkingDirectory();
    const auto start = forImport ? folder : folder.getChildFile (VeskMidiFile::suggestedFileName (model.image, session.getShownPattern()));
    const auto title = forImport ? "Import MIDI File into Pattern" : "Export Pattern as MIDI File";
    juce::Component::SafePointer<ContentComp> safeThis (this);

    dialogs->chooseFile (title, start, "*.mid;*.midi", ! forImport, [safeThis, forImport] (const juce::File& file)
                         {
                             if (safeThis == nullptr)
                                 return;

                             if (forImport)
                                 safeThis->importMidiFile (file);
                             else
                                 safeThis->exportMidiFile (file.hasFileExtension ("mid;midi") ? file : file.withFileExtension ("mid")); });
}

void ContentComp::importMidiFile (const juce::File& file)
{
    const juce::String title ("Import MIDI File");

    if (dialogs->refusedWhileBusy (title))
        return;

    editor->setCurrentTabIndex (0);
    const auto outcome = session.importMidi (file);
    dialogs->showMessage (outcome.failed() ? juce::MessageBoxIconType::WarningIcon : juce::MessageBoxIconType::InfoIcon,
                          title, SessionTexts::describe (outcome));
}

void ContentComp::exportMidiFile (const juce::File& file)
{
    const auto result = session.exportMidi (file);

    if (result.failed())
        dialogs->showMessage (juce::MessageBoxIconType::WarningIcon, "Export MIDI File", result.getErrorMessage());
}
