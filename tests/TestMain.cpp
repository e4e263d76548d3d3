#include "TestEnvironment.h"
#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    // The user's own settings (recent files, start choice) are never read or
    // written by a test: each run has a configuration folder of its own.
    const auto configHome = juce::File::createTempFile ("vesk_config");
    configHome.createDirectory();
    // Each system reads its own variables (Windows: settings in APPDATA, the collection in LOCALAPPDATA).
    for (const auto* variable : { "XDG_CONFIG_HOME", "APPDATA", "LOCALAPPDATA" })
        TestEnvironment::set (variable, configHome.getFullPathName());

    // Without a display of their own the tests run headless. JUCE would take
    // an unset DISPLAY as ":0", which may be some other test's Xvfb that goes
    // away in the middle of this run.
    if (const auto* display = std::getenv ("DISPLAY"); display == nullptr || *display == 0)
        TestEnvironment::set ("DISPLAY", ":none");

    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();
    }

    configHome.deleteRecursively();
    return result;
}
