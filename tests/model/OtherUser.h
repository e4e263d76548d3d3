#pragma once

#include <juce_core/juce_core.h>

/** Another local user (nobody, 65534), to make for real what a hostile user
    of the same machine could: their folders, their links. Commands run as
    them through setpriv, which takes root; where that is not possible,
    whyNot says why, for GTEST_SKIP. */
struct OtherUser
{
    static constexpr int uid = 65534;

    /** Checks that the other user's programs can be run here
        (OtherUserPosix.cpp, OtherUserWindows.cpp). */
    OtherUser();

    bool isAvailable() const { return whyNot.isEmpty(); }

    /** Runs the command (a program and its arguments, no shell) as the other
        user; true when it ended with exit code 0. */
    bool run (const juce::StringArray& command) const
    {
        juce::StringArray arguments { "setpriv", "--reuid=" + juce::String (uid), "--regid=" + juce::String (uid), "--clear-groups" };
        arguments.addArray (command);
        juce::ChildProcess process;
        return process.start (arguments, 0) && process.waitForProcessToFinish (10000) && process.getExitCode() == 0;
    }

    juce::String whyNot;
};
