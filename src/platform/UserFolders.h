#pragma once

#include <juce_core/juce_core.h>

/**
    Where the program keeps the user's files, as each system's custom has it.
*/
struct UserFolders
{
    /** The settings' folder: $XDG_CONFIG_HOME/VeskEdit or ~/.config/VeskEdit;
        %APPDATA%\VeskEdit on Windows. */
    static juce::File settings();

    /** The collection's folder: $XDG_DATA_HOME/VeskEdit or
        ~/.local/share/VeskEdit; %LOCALAPPDATA%\VeskEdit on Windows. */
    static juce::File data();

    /** Where the file name lies in data(), as a person reads it in a help
        text (with the line break the help needs). */
    static juce::String describeData (const juce::String& name);

    /** Files the program can make again (the drags out of the window):
        ~/.cache/VeskEdit; %LOCALAPPDATA%\VeskEdit on Windows. */
    static juce::File cache();

    /** The environment variables that name where settings() and data() lie
        (a test sets them to a folder of its own). */
    static const char* settingsVariable();
    static const char* dataVariable();

    /** The user's runtime folder ($XDG_RUNTIME_DIR), when there is one this
        user owns and nobody else may write into; none otherwise (as after
        "sudo -E", or on Windows). */
    static juce::File runtime();
};
