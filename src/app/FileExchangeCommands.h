#pragma once

#include "AppDialogs.h"
#include "editors/VeskComponent.h"

/**
    File > Import and Export of .syx and MIDI files: the file chosen, the
    MIDI import's choices of track, bar and channel, and what the user is told
    of the outcome. What goes in and out of the library, the session's
    FileExchange does.
*/
class FileExchangeCommands
{
public:
    /** With showDialogs off (no screen) the MIDI import asks nothing. */
    FileExchangeCommands (VeskComponent& editorToUse, AppDialogs& dialogsToUse, const bool& showDialogsToUse);

    /** Asks for the file to import or to export to. */
    void chooseSyxFile (bool forImport);
    void chooseMidiFile (bool forImport);

    /** Into the library: one undo step, reported. */
    void importSyxFile (const juce::File& file);

    /** The library as the messages that restore it into a unit; a failure is
        reported and leaves any existing file as it was. */
    void exportSyxFile (const juce::File& file);

    /** First the choices of track, bar and channel the file offers. */
    void offerMidiImport (const juce::File& file);

    /** Into the shown pattern, one undo step, reported. */
    void importMidiFile (const juce::File& file, const VeskMidiFile::ImportOptions& options = {});

    /** The shown pattern as a Standard MIDI File; a failure is reported. */
    void exportMidiFile (const juce::File& file);

private:
    VeskComponent& editor;
    VeskSession& session;
    AppDialogs& dialogs;
    const bool& showDialogs;

    JUCE_DECLARE_WEAK_REFERENCEABLE (FileExchangeCommands)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileExchangeCommands)
};
