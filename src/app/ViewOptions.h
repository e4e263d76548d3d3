#pragma once

#include "CommandIDs.h"
#include "UserSettings.h"

#include <juce_gui_extra/juce_gui_extra.h>

/**
    How the program looks and handles: how knobs are dragged, and the zoom of
    every window. Owns these commands and their place in the Setup menu; the
    choices are kept in the user's settings and put in force at once.
*/
class ViewOptions : public ViewCommandIDs
{
public:
    /** Puts the saved knob drag and zoom in force. */
    ViewOptions (UserSettings& settingsToUse, juce::ApplicationCommandManager& commandManagerToUse);

    /** Adds the "Knob Drag" and "Zoom" submenus. */
    void addToSetupMenu (juce::PopupMenu& menu);

    void getAllCommands (juce::Array<juce::CommandID>& commands) const;

    /** False, leaving result alone, for a command that is not one of these. */
    bool getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) const;

    /** False for a command that is not one of these. */
    bool perform (juce::CommandID commandID);

    void setVerticalKnobDrag (bool shouldDragVertically);

    /** One of UserSettings::zoomSteps. */
    void setZoomPercent (int percent);

    /** Scales every window, its title bar, menus and dialogs included, by
        percent / 100. Windows keep their layout and grow or shrink on the
        screen, their top left staying where it was as far as they still fit. */
    static void applyZoom (int percent);

private:
    int zoomStepIndex() const;

    UserSettings& settings;
    juce::ApplicationCommandManager& commandManager;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ViewOptions)
};
