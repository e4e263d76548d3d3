#include "PatternDragOut.h"
#include "model/VeskMidiFile.h"
#include "model/WholeFileWriter.h"

PatternDragOut::PatternDragOut (VeskSession& sessionToUse, juce::Component& panelToUse, int height)
    : session (sessionToUse), panel (panelToUse), titleHeight (height)
{
    panel.addMouseListener (this, false);
}

PatternDragOut::~PatternDragOut()
{
    panel.removeMouseListener (this);
}

bool PatternDragOut::onTitle (const juce::MouseEvent& e) const
{
    return e.eventComponent == &panel && e.getMouseDownY() >= 0 && e.getMouseDownY() < titleHeight;
}

void PatternDragOut::mouseMove (const juce::MouseEvent& e)
{
    if (e.eventComponent == &panel)
        panel.setMouseCursor (e.y < titleHeight ? juce::MouseCursor::DraggingHandCursor : juce::MouseCursor::NormalCursor);
}

void PatternDragOut::mouseDown (const juce::MouseEvent&)
{
    dragging = false;
}

void PatternDragOut::mouseDrag (const juce::MouseEvent& e)
{
    if (dragging || ! onTitle (e) || e.getDistanceFromDragStart() < 6)
        return;

    dragging = true;
    juce::File file;

    // Nothing to drag when the file cannot be written (a full disk): the
    // drag simply does not start, and nothing else is touched.
    if (writeFile (file).wasOk())
        juce::DragAndDropContainer::performExternalDragDropOfFiles ({ file.getFullPathName() }, false, &panel);
}

juce::File PatternDragOut::folder()
{
    // Not the shared /tmp, where another local user could have put a folder
    // or a link by that name first: the user's own runtime folder, or cache.
    const auto runtime = juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {});

    if (runtime.isNotEmpty() && juce::File::isAbsolutePath (runtime) && juce::File (runtime).isDirectory())
        return juce::File (runtime).getChildFile ("VeskEdit MIDI files");

    return juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".cache/VeskEdit/MIDI files");
}

juce::Result PatternDragOut::writeFile (juce::File& written) const
{
    const auto& model = session.getModel();
    const int slot = session.getShownPattern();
    const auto dir = folder();

    if (const auto why = VeskMidiFile::whyNoNotes (model.image, slot); why.isNotEmpty())
        return juce::Result::fail (why);

    if (const auto made = dir.createDirectory(); made.failed())
        return made;

    written = dir.getChildFile (VeskMidiFile::suggestedFileName (model.image, slot));
    return WholeFileWriter::write (written, VeskMidiFile::exportPattern (model.image, slot));
}
