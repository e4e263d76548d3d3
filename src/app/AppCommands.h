#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The names, descriptions, menus and keys of the main window's commands. */
struct AppCommands
{
    /** Fills in what never changes about a command of ContentComp; its ticks
        and whether it can run now are the content's to set. */
    static void describe (juce::CommandID commandID, juce::ApplicationCommandInfo& result);
};
