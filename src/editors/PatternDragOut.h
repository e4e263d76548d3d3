#pragma once

#include "session/VeskSession.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Dragging the title bar of the pattern settings out of the window drops the
    shown pattern as a Standard MIDI File where the desktop takes files: a DAW's
    track, a file manager. The file is written, through the whole-file writer,
    as a new file in a folder private to the user as the drag begins.
*/
class PatternDragOut : public juce::MouseListener
{
public:
    /** Listens to panel, whose top titleHeight rows are its title bar. */
    PatternDragOut (VeskSession& session, juce::Component& panel, int titleHeight);
    ~PatternDragOut() override;

    void mouseMove (const juce::MouseEvent& e) override;
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;

    /** Writes the shown pattern's file for a drag; a failure says why. */
    juce::Result writeFile (juce::File& written) const;

    /** Where the files for drags go: in the runtime folder when it is the
        user's own, else in the user's cache folder. */
    static juce::File folder();

private:
    bool onTitle (const juce::MouseEvent& e) const;

    VeskSession& session;
    juce::Component& panel;
    const int titleHeight;
    bool dragging = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PatternDragOut)
};
