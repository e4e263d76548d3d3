#pragma once

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_extra/juce_gui_extra.h>

/**
    The user's own settings, kept between runs in the user's configuration
    folder ($XDG_CONFIG_HOME/VeskEdit, normally ~/.config/VeskEdit): whether a
    start resets the unit, and the libraries used last.

    Every change is written at once. A damaged or unreadable file counts as no
    file: the defaults apply and the next change replaces it.
*/
class UserSettings
{
public:
    UserSettings();
    ~UserSettings();

    static juce::File getFolder();
    juce::File getFile();

    bool getResetUnitAtStart();
    void setResetUnitAtStart (bool shouldReset);

    static constexpr int maxRecentFiles = 8;

    /** The libraries opened or saved last, most recent first. */
    const juce::RecentlyOpenedFilesList& getRecentFiles() const noexcept { return recentFiles; }

    void addRecentFile (const juce::File& file);

    /** Drops the files that no longer exist. */
    void removeMissingRecentFiles();

    void clearRecentFiles();

private:
    void storeRecentFiles();
    juce::PropertiesFile& getStore();

    juce::ApplicationProperties properties;
    juce::RecentlyOpenedFilesList recentFiles;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UserSettings)
};
