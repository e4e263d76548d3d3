#pragma once

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_extra/juce_gui_extra.h>

/**
    The user's own settings, kept between runs in the user's configuration
    folder ($XDG_CONFIG_HOME/VeskEdit, normally ~/.config/VeskEdit): whether a
    start resets the unit, and the libraries used last.

    Every change is written at once, whole. A damaged, unreadable or oversized
    file counts as no file: the defaults apply and the next change replaces it.
    The file is the one juce::PropertiesFile writes (a PROPERTIES root with
    VALUE name/val children), so settings of earlier versions still load.
*/
class UserSettings
{
public:
    UserSettings();
    ~UserSettings();

    static juce::File getFolder();
    static juce::File getFile();

    bool getResetUnitAtStart() const;
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
    void load();
    void setValue (const juce::String& key, const juce::String& value);
    void save();

    juce::PropertySet values;
    juce::RecentlyOpenedFilesList recentFiles;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UserSettings)
};
