#include "platform/UserFolders.h"

// The folders Windows gives each user: roaming settings, and what stays on this computer.
juce::File UserFolders::settings()
{
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getChildFile ("VeskEdit");
}

juce::File UserFolders::data()
{
    return juce::File::getSpecialLocation (juce::File::windowsLocalAppData).getChildFile ("VeskEdit");
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
