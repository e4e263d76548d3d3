#include "AppCommands.h"
#include "ContentComp.h"

void AppCommands::describe (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    const auto ctrl = juce::ModifierKeys::commandModifier;

    auto set = [&] (const char* name, const char* description, const char* category, juce::juce_wchar key)
    {
        result.setInfo (name, description, category, 0);

        if (key != 0)
            result.addDefaultKeypress (key, ctrl);
    };

    switch (commandID)
    {
        case ContentComp::newLibrary: set ("New", "Create a new library", "File", 'n'); break;
        case ContentComp::openLibrary: set ("Open", "Open an existing library", "File", 'o'); break;
        case ContentComp::closeLibrary: set ("Close", "Close the active library", "File", 'c'); break;
        case ContentComp::saveLibrary: set ("Save", "Save the active library", "File", 's'); break;
        case ContentComp::saveLibraryAs: set ("Save As", "Save the active library with a new name", "File", 'a'); break;
        case ContentComp::midiSettings: set ("Midi Settings", "Open midi settings dialog", "File", 'm'); break;
        case ContentComp::autoUpdate: set ("Auto Update", "Automatically re-send edit buffers on library change", "Setup", 'u'); break;
        case ContentComp::showHelp: set ("Help", "Display the VeskEdit help", "File", 'h'); break;
        case ContentComp::showAbout: set ("About", "Display program information, version and copyright", "File", 0); break;
        case ContentComp::resetUnitAtStart: set ("Reset Unit At Start", "Send the defaults to the unit when VeskEdit starts", "Setup", 0); break;
        case ContentComp::clearRecentFiles: set ("Clear Recent Files", "Empty the list of recently used libraries", "File", 0); break;
        case ContentComp::getAllFromUnit: set ("Get All From Unit...", "Get the system block and every pattern from the unit into the library", "Unit", 0); break;
        case ContentComp::sendAllToUnit: set ("Send All To Unit...", "Send the system block and every pattern of the library to the unit", "Unit", 0); break;
        case ContentComp::verifyUnit: set ("Verify Unit Against Library...", "Compare the unit's memory with the library, field by field", "Unit", 0); break;
        case ContentComp::findUnit: set ("Find Unit...", "Look for the unit on every MIDI port and choose the ports it answers on", "Unit", 0); break;
        case ContentComp::useVirtualUnit: set ("Virtual Unit", "Talk to a unit inside the program instead of the MIDI ports", "Unit", 0); break;
        case ContentComp::importSyx: set ("Import .syx...", "Apply the dumps of a .syx file to the library", "File", 0); break;
        case ContentComp::exportSyx: set ("Export .syx...", "Write the library as a .syx file that restores it into a unit", "File", 0); break;
        case ContentComp::exportMidi: set ("Export Pattern as MIDI File...", "Write the shown pattern as a Standard MIDI File", "File", 0); break;
        case ContentComp::importMidi: set ("Import MIDI File into Pattern...", "Put the notes of a Standard MIDI File into the steps of the shown pattern", "File", 0); break;
        case ContentComp::undoEdit: set ("Undo", "Take back the last change of the library", "Edit", 'z'); break;

        case ContentComp::redoEdit:
            set ("Redo", "Make the change taken back again", "Edit", 0);
            result.addDefaultKeypress ('z', ctrl | juce::ModifierKeys::shiftModifier);
            result.addDefaultKeypress ('y', ctrl);
            break;

        default: break;
    }
}
