#include "HelpComponent.h"

HelpComponent::HelpComponent()
{
    addAndMakeVisible (textEditor);
    textEditor.setMultiLine (true, true);
    textEditor.setReadOnly (true);
    textEditor.setScrollbarsShown (true);
    textEditor.setCaretVisible (false);
    textEditor.setEscapeAndReturnKeysConsumed (false);
    textEditor.setBorder (juce::BorderSize<int> (6));
    textEditor.setFont (juce::Font (14.0f));
    textEditor.setText (getHelpText(), false);
}

HelpComponent::~HelpComponent() = default;

void HelpComponent::resized()
{
    textEditor.setBounds (getLocalBounds());
}

juce::String HelpComponent::getHelpText()
{
    return "VeskEdit edits the patterns and system settings of the Vesk groovebox live over MIDI, "
           "and keeps whole libraries of them as files (*.vsk).\n"
           "\n"
           "CONNECTING THE UNIT\n"
           "Choose Setup > Midi Settings (Ctrl+M). Tick the MIDI inputs the unit sends on and "
           "pick the output it listens on. Closing the dialog saves the choice to MidiSettings.xml "
           "in the folder the program was started from.\n"
           "\n"
           "EDITING\n"
           "Every change goes to the unit at once. What the unit sends back (knob moves, pattern "
           "changes, dumps) is shown on the page.\n"
           "Send: sends the whole pattern (or, on the System page, the system block) to the unit; "
           "a user pattern is also written to the unit's memory.\n"
           "Store: asks the unit for its copy of the pattern or system block and shows what it "
           "sends back.\n"
           "Edit > Undo (Ctrl+Z) takes back the last change, named in the menu (\"Undo Cutoff\"); "
           "Edit > Redo (Ctrl+Shift+Z or Ctrl+Y) makes it again. Every control, every step of the grid, "
           "Get All and Import .syx can be undone; one drag of a knob is one step. The unit hears an undo "
           "as it heard the edit, and the page and pattern it changed come to the front. Undoing back to "
           "the last save leaves the library unchanged. New and Open start afresh.\n"
           "Setup > Knob Drag: Circular, or Vertical (drag up and down). Shift while dragging moves "
           "finely; a double-click returns a knob to its default.\n"
           "Setup > Zoom: 100 % to 200 % (Ctrl+= larger, Ctrl+- smaller, Ctrl+0 back to 100 %).\n"
           "\n"
           "THE WHOLE UNIT\n"
           "Unit > Get All From Unit asks the unit for its system block and all 21 patterns; "
           "Send All To Unit sends the whole library to it; Verify Unit Against Library compares the "
           "two field by field without changing the library. A window shows how far it has come, and "
           "Cancel stops it. While it runs, the library takes only the answers it asked for; other dumps "
           "are left out and named in its summary. Find Unit looks for the unit on every MIDI port. With Unit > Virtual Unit "
           "ticked, the program talks to a unit of its own, so everything can be tried without the "
           "hardware. File > Import .syx and Export .syx read and write sysex files (up to 1 MiB).\n"
           "\n"
           "Files are written whole or not at all: a save that fails (a full disk, say) leaves the file "
           "on disk as it was and the library open and marked changed, and says why.\n"
           "\n"
           "COMMANDS\n"
           "Ctrl+N  New: a library of default values, sent to the unit\n"
           "Ctrl+O  Open a library (File > Open Recent lists the last eight)\n"
           "Ctrl+S  Save the library (asks for a file the first time)\n"
           "Ctrl+A  Save the library under a new name\n"
           "Ctrl+Z  Undo; Ctrl+Shift+Z or Ctrl+Y  Redo\n"
           "Ctrl+M  Midi Settings\n"
           "Ctrl+H  This help\n"
           "Ctrl+Q  Quit\n"
           "Setup > Reset Unit At Start: send the defaults to the unit when the program starts; "
           "untick it to keep what the unit holds\n"
           "Help > About: version and web site\n"
           "\n"
           "LIBRARIES\n"
           "Quitting, New and Open ask first when the library has changes that are not saved: "
           "the next start may send the defaults to the unit, so the library may be the only copy.\n"
           "A library also opens from the command line (VeskEdit FILE.vsk), from a file manager "
           "and when dropped on the window; a .syx file given that way is imported into the library.\n"
           "\n"
           "LIBRARY PAGE\n"
           "The Library tab lists all 21 patterns: Temporary and User 01 to User 20, each with its type, "
           "tempo, length (bars x steps per bar), tone or kit and a small picture of the steps it plays. "
           "Double-click a row (or press Return) to edit that pattern on the Patterns page. Ctrl+click or "
           "Shift+click selects several rows.\n"
           "Drag a row onto another to copy it there; hold Shift as you let go to swap the two.\n"
           "Edit > Copy (Ctrl+C) puts the selected patterns on the clipboard, one line of hex per pattern "
           "(the message that writes it into the unit), which another VeskEdit or a sysex tool can take. "
           "Edit > Paste (Ctrl+V) puts them onto the selected slot and the ones after it; one pattern "
           "pastes onto every selected slot. Swap With... exchanges the selected pattern with another slot; "
           "Initialise returns the selected slots to the pattern defaults. A right-click on a row offers "
           "the same. Every one of these is one step of Edit > Undo, marks the library changed and sends "
           "the patterns it changed to the unit; while a transfer runs they wait.\n"
           "Open Other Library... shows another library or .syx file beside this one, read-only: drag its "
           "rows into yours to copy them. Slots a .syx file does not hold are greyed. Close Other Library "
           "hides it again.\n"
           "After Unit > Verify, a yellow diamond marks each slot where the library differs from the unit; "
           "it goes once they are equal again.\n"
           "\n"
           "MIDI FILES\n"
           "File > Export Pattern as MIDI File writes the shown Lead, Bass or Rythm pattern as a Standard "
           "MIDI File for a DAW: one note per played step, at the pattern's tempo; Lead and Bass on channel 1, "
           "Rythm on channel 10. Dragging the title bar \"Pattern settings\" out of the window drops the same "
           "file where the desktop takes files.\n"
           "File > Import MIDI File into Pattern (or a .mid file dropped on the window) puts a melody into "
           "the shown pattern's steps: each note on the nearest step, its velocity as the level, its length "
           "as the gate or a Tie; the tempo, length and steps per bar follow the file, the type and sound "
           "stay. It is one step of Edit > Undo and goes to the unit as edits of those steps. Notes after "
           "step 32 are left out and counted. Accents travel as controller 80.\n"
           "\n"
           "THE COLLECTION\n"
           "Every pattern you open, save, import or get from the unit also goes into the collection, "
           "with where and when it was seen; this never slows or stops what you do, and a collection "
           "that cannot be written is said once. Setup > Add Patterns to Collection turns it off. "
           "File > Add Folder to Collection reads every library and .syx file under a folder in the "
           "background; Cancel stops it and keeps what was added, and the end names damaged files.\n"
           "\n"
           "STEP GRID\n"
           "Click a cell to put that note on that step.\n"
           "Hold the button and drag: up and down sets the step's velocity, left and right its "
           "gate time; both are sent when you let go.\n"
           "Turn the mouse wheel over a step to change its step type.\n";
}
