#include "platform/UserFolders.h"

namespace
{
    // The variable where it names a folder (as Windows sets it for each
    // user, and a test for itself), else the folder Windows keeps for it.
    juce::File fromEnvironment (const char* variable, juce::File::SpecialLocationType otherwise)
    {
        const auto value = juce::SystemStats::getEnvironmentVariable (variable, {});
        return (juce::File::isAbsolutePath (value) ? juce::File (value) : juce::File::getSpecialLocation (otherwise)).getChildFile ("VeskEdit");
    }
}

const char* UserFolders::settingsVariable() { return "APPDATA"; }

const char* UserFolders::dataVariable() { return "LOCALAPPDATA"; }

// The folders Windows gives each user: roaming settings, and what stays on this computer.
juce::File UserFolders::settings()
{
    return fromEnvironment (settingsVariable(), juce::File::userApplicationDataDirectory);
}

juce::File UserFolders::data()
{
    return fromEnvironment (dataVariable(), juce::File::windowsLocalAppData);
}

juce::String UserFolders::describeData (const juce::String& name)
{
    return "%LOCALAPPDATA%\\VeskEdit\\" + name;
}

juce::File UserFolders::cache()
{
    return data();
}

juce::File UserFolders::runtime()
{
    return {};
}
