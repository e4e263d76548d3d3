#include "midi/AlsaOnDemand.h"

#include <alsa/asoundlib.h>
#include <cstring>
#include <gtest/gtest.h>
#include <iostream>
#include <juce_audio_devices/juce_audio_devices.h>

/*
    Whether ALSA's library is loaded is the state of the whole process, so each
    case runs in a process of its own (a death test re-runs this program for
    it) and ends with how it went: exit code 0, or 1 with what was wrong.
*/
namespace
{
    bool libraryIsMapped()
    {
        return juce::File ("/proc/self/maps").loadFileAsString().contains ("libasound.so");
    }

    struct Checks
    {
        void expect (bool holds, const char* what)
        {
            if (! holds)
            {
                std::cerr << "not so: " << what << std::endl;
                failed = true;
            }
        }

        [[noreturn]] void end() const { std::_Exit (failed ? 1 : 0); }

        bool failed = false;
    };

    struct AlsaOnDemandTest : ::testing::Test
    {
        AlsaOnDemandTest() { GTEST_FLAG_SET (death_test_style, "threadsafe"); }
    };
}

TEST_F (AlsaOnDemandTest, TheLibraryIsLoadedByTheFirstMidiCallNotWithTheProgram)
{
    EXPECT_EXIT (
        {
            Checks checks;
            checks.expect (! AlsaOnDemand::isLoaded() && ! libraryIsMapped(), "not loaded before any MIDI call");
            checks.expect (snd_config_update_free_global() == 0 && ! libraryIsMapped(), "freeing the configuration loads nothing");

            juce::ignoreUnused (juce::MidiOutput::getAvailableDevices());
            checks.expect (AlsaOnDemand::isLoaded() && libraryIsMapped(), "loaded by the device list");
            checks.expect (AlsaOnDemand::problem().empty(), "no problem once loaded");

            // The calls reach ALSA's own functions: its text for a code, not ours.
            checks.expect (std::strcmp (snd_strerror (-ENOENT), std::strerror (ENOENT)) == 0, "ALSA's own error text");
            checks.end();
        },
        ::testing::ExitedWithCode (0),
        "");
}

TEST_F (AlsaOnDemandTest, WithoutTheLibraryThereAreNoPortsAndTheProgramGoesOn)
{
    EXPECT_EXIT (
        {
            ::setenv ("VESK_ALSA_LIBRARY", "/nonexistent/libasound.so.2", 1);
            Checks checks;

            checks.expect (juce::MidiInput::getAvailableDevices().isEmpty(), "no inputs");
            checks.expect (juce::MidiOutput::getAvailableDevices().isEmpty(), "no outputs");
            checks.expect (juce::MidiOutput::openDevice ("14:0") == nullptr, "no output opened");
            checks.expect (juce::MidiInput::createNewDevice ("VeskEdit", nullptr) == nullptr, "no port of its own");

            checks.expect (! AlsaOnDemand::isLoaded() && ! libraryIsMapped(), "nothing loaded");
            checks.expect (AlsaOnDemand::problem().find ("/nonexistent/libasound.so.2") != std::string::npos, "says which library it could not load");
            checks.expect (std::string (snd_strerror (-ENOENT)).find ("could not be loaded") != std::string::npos, "says so when asked for an error's text");
            checks.expect (snd_config_update_free_global() == 0, "nothing to free");
            checks.end();
        },
        ::testing::ExitedWithCode (0),
        "");
}
