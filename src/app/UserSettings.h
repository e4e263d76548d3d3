#pragma once

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include <array>

/**
    The user's own settings, kept between runs in the user's configuration
    folder ($XDG_CONFIG_HOME/VeskEdit, normally ~/.config/VeskEdit): whether a
    start resets the unit, whether patterns go into the collection by
    themselves, the libraries used last, how knobs are dragged and the zoom.

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

    /** Patterns of the libraries opened and saved, .syx and MIDI files
        imported and Get All go into the collection by themselves. */
    bool getAddToCollection() const;
    void setAddToCollection (bool shouldAdd);

    /** Knobs turn with an up-and-down drag instead of round their centre. */
    bool getVerticalKnobDrag() const;
    void setVerticalKnobDrag (bool shouldDragVertically);

    /** The sizes the window can be shown at, in percent; the first is the default. */
    static constexpr std::array<int, 4> zoomSteps { 100, 125, 150, 200 };

    /** One of zoomSteps: anything else stored counts as the default. */
    int getZoomPercent() const;
    void setZoomPercent (int percent);

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
