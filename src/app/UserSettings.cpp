#include "UserSettings.h"

namespace
{
    const char* const resetUnitAtStartKey = "resetUnitAtStart";
    const char* const recentFilesKey = "recentFiles";
}

UserSettings::UserSettings()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "VeskEdit";
    options.filenameSuffix = "settings";
    options.folderName = getFolder().getFullPathName();
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    options.millisecondsBeforeSaving = 0; // nothing is lost when the program is killed
    properties.setStorageParameters (options);

    recentFiles.setMaxNumberOfItems (maxRecentFiles);

    // Only full paths: a line edited by hand or damaged names no file.
    juce::StringArray paths;

    for (const auto& line : juce::StringArray::fromLines (getStore().getValue (recentFilesKey)))
        if (juce::File::isAbsolutePath (line))
            paths.addIfNotAlreadyThere (line);

    recentFiles.restoreFromString (paths.joinIntoString ("\n"));
}

UserSettings::~UserSettings() = default;

juce::File UserSettings::getFolder()
{
    const auto configHome = juce::SystemStats::getEnvironmentVariable ("XDG_CONFIG_HOME", {});

    if (juce::File::isAbsolutePath (configHome))
        return juce::File (configHome).getChildFile ("VeskEdit");

    return juce::File ("~/.config/VeskEdit");
}

juce::File UserSettings::getFile()
{
    return getStore().getFile();
}

juce::PropertiesFile& UserSettings::getStore()
{
    // Never null: the options name a file, and a file that does not load
    // leaves an empty set that the next change writes over it.
    return *properties.getUserSettings();
}

bool UserSettings::getResetUnitAtStart()
{
    return getStore().getBoolValue (resetUnitAtStartKey, true);
}

void UserSettings::setResetUnitAtStart (bool shouldReset)
{
    getStore().setValue (resetUnitAtStartKey, shouldReset);
}

void UserSettings::addRecentFile (const juce::File& file)
{
    recentFiles.addFile (file);
    storeRecentFiles();
}

void UserSettings::removeMissingRecentFiles()
{
    const auto before = recentFiles.getNumFiles();
    recentFiles.removeNonExistentFiles();

    if (recentFiles.getNumFiles() != before)
        storeRecentFiles();
}

void UserSettings::clearRecentFiles()
{
    recentFiles.clear();
    storeRecentFiles();
}

void UserSettings::storeRecentFiles()
{
    getStore().setValue (recentFilesKey, recentFiles.toString());
}
