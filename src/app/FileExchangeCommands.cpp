#include "FileExchangeCommands.h"
#include "MidiImportDialog.h"
#include "SessionTexts.h"
#include "model/VeskMidiFile.h"

FileExchangeCommands::FileExchangeCommands (VeskComponent& editorToUse, AppDialogs& dialogsToUse, const bool& showDialogsToUse)
    : editor (editorToUse),
      session (editorToUse.session),
      dialogs (dialogsToUse),
      showDialogs (showDialogsToUse)
{
}

void FileExchangeCommands::chooseSyxFile (bool forImport)
{
    const auto library = session.getModel().getFile();
    const auto start = library != juce::File() ? library.withFileExtension ("syx") : juce::File::getCurrentWorkingDirectory();
    juce::WeakReference<FileExchangeCommands> safeThis (this);

    dialogs.chooseFile (forImport ? "Import .syx" : "Export .syx", start, "*.syx", ! forImport, [safeThis, forImport] (const juce::File& file)
                        {
                             if (safeThis == nullptr)
                                 return;

                             if (forImport)
                                 safeThis->importSyxFile (file);
                             else
                                 safeThis->exportSyxFile (file.hasFileExtension ("syx") ? file : file.withFileExtension ("syx")); });
}

void FileExchangeCommands::importSyxFile (const juce::File& file)
{
    if (dialogs.refusedWhileBusy ("Import .syx"))
        return;

    const auto outcome = session.importSyx (file);
    dialogs.showMessage (outcome.failed() ? juce::MessageBoxIconType::WarningIcon : juce::MessageBoxIconType::InfoIcon,
                         "Import .syx", SessionTexts::describe (outcome));
}

void FileExchangeCommands::exportSyxFile (const juce::File& file)
{
    const auto result = session.exportSyx (file);

    if (result.failed())
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Export .syx", result.getErrorMessage());
}

void FileExchangeCommands::chooseMidiFile (bool forImport)
{
    const auto& model = session.getModel();
    const auto library = model.getFile();
    const auto folder = library != juce::File() ? library.getParentDirectory() : juce::File::getCurrentWorkingDirectory();
    const auto start = forImport ? folder : folder.getChildFile (VeskMidiFile::suggestedFileName (model.image, session.getShownPattern()));
    const auto title = forImport ? "Import MIDI File into Pattern" : "Export Pattern as MIDI File";
    juce::WeakReference<FileExchangeCommands> safeThis (this);

    dialogs.chooseFile (title, start, "*.mid;*.midi", ! forImport, [safeThis, forImport] (const juce::File& file)
                        {
                             if (safeThis == nullptr)
                                 return;

                             if (forImport)
                                 safeThis->offerMidiImport (file);
                             else
                                 safeThis->exportMidiFile (file.hasFileExtension ("mid;midi") ? file : file.withFileExtension ("mid")); });
}

void FileExchangeCommands::offerMidiImport (const juce::File& file)
{
    VeskMidiFile::Survey survey;

    // A file that cannot be read is refused as the import refuses it.
    if (FileExchange::surveyMidi (file, -1, survey).failed() || ! showDialogs)
    {
        importMidiFile (file);
        return;
    }

    auto panel = std::make_unique<MidiImportDialog> (survey, [file] (int track)
                                                     {
                                                         VeskMidiFile::Survey other;
                                                         FileExchange::surveyMidi (file, track, other);
                                                         return other; });
    auto* shown = panel.get();
    juce::WeakReference<FileExchangeCommands> safeThis (this);
    panel->onClose = [shown]
    { AppDialogs::close (*shown); };
    panel->onImport = [safeThis, shown, file] (const VeskMidiFile::ImportOptions& options)
    {
        AppDialogs::close (*shown);

        if (safeThis != nullptr)
            safeThis->importMidiFile (file, options);
    };
    dialogs.showToolWindow ("Import MIDI File", std::move (panel));
}

void FileExchangeCommands::importMidiFile (const juce::File& file, const VeskMidiFile::ImportOptions& options)
{
    const juce::String title ("Import MIDI File");

    if (dialogs.refusedWhileBusy (title))
        return;

    editor.showTab (VeskComponent::Tab::patterns);
    const auto outcome = session.importMidi (file, options);
    dialogs.showMessage (outcome.failed() ? juce::MessageBoxIconType::WarningIcon : juce::MessageBoxIconType::InfoIcon,
                         title, SessionTexts::describe (outcome));
}

void FileExchangeCommands::exportMidiFile (const juce::File& file)
{
    const auto result = session.exportMidi (file);

    if (result.failed())
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Export MIDI File", result.getErrorMessage());
}
