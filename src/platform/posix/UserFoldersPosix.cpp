#include "platform/UserFolders.h"

#include <sys/stat.h>
#include <unistd.h>

namespace
{
    juce::File fromEnvironment (const char* variable, const juce::File& otherwise)
    {
        const auto value = juce::SystemStats::getEnvironmentVariable (variable, {});
        return juce::File::isAbsolutePath (value) ? juce::File (value) : otherwise;
    }

    juce::File home() { return juce::File::getSpecialLocation (juce::File::userHomeDirectory); }
}

const char* UserFolders::settingsVariable() { return "XDG_CONFIG_HOME"; }

const char* UserFolders::dataVariable() { return "XDG_DATA_HOME"; }

juce::File UserFolders::settings()
{
    return fromEnvironment (settingsVariable(), juce::File ("~/.config")).getChildFile ("VeskEdit");
}

juce::File UserFolders::data()
{
    return fromEnvironment (dataVariable(), home().getChildFile (".local/share")).getChildFile ("VeskEdit");
}

juce::String UserFolders::describeData (const juce::String& name)
{
    return "$XDG_DATA_HOME/VeskEdit/" + name + ", or\n~/.local/share/VeskEdit/" + name + " where XDG_DATA_HOME is not set";
}

juce::File UserFolders::cache()
{
    return home().getChildFile (".cache/VeskEdit");
}

juce::File UserFolders::runtime()
{
    const auto runtime = juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {});
    struct stat info
    {
    };

    if (juce::File::isAbsolutePath (runtime) && ::stat (runtime.toRawUTF8(), &info) == 0 && S_ISDIR (info.st_mode)
        && info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return juce::File (runtime);

    return {};
}
