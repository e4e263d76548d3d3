#include "PatternDragOut.h"
#include "model/PrivateFolder.h"
#include "model/VeskMidiFile.h"
#include "platform/UserFolders.h"

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
    return PrivateFolder::inRuntimeFolder ("VeskEdit MIDI files", UserFolders::cache().getChildFile ("MIDI files"));
}

juce::Result PatternDragOut::writeFile (juce::File& written) const
{
    const auto& model = session.getModel();
    const auto slot = session.getShownPattern();

    if (const auto why = VeskMidiFile::whyNoNotes (model.image, slot); why.isNotEmpty())
        return juce::Result::fail (why);

    // Private, so what has the name is this user's earlier drag: it gives way
    // to a fresh file, and nothing is ever written through a link.
    const PrivateFolder dir (folder(), true);
    const auto name = VeskMidiFile::suggestedFileName (model.image, slot);

    if (const auto result = dir.replaceFile (name, VeskMidiFile::exportPattern (model.image, slot), 0600); result.failed())
        return result;

    written = dir.getFolder().getChildFile (name);
    return juce::Result::ok();
}
