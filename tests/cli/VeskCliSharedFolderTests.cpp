#include "OtherUser.h"
#include "cli/VeskCli.h"

#include <gtest/gtest.h>

#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

TEST (CliSharedFolder, AnotherUsersLinkInAStickyFolderIsNotWrittenThroughEvenWithForce)
{
    const OtherUser other;

    if (! other.isAvailable())
        GTEST_SKIP() << other.whyNot;

    // A folder like /tmp (everybody may write, the sticky bit set), beside the
    // victim's own files; the other user must be able to pass through.
    const auto base = juce::File::createTempFile ("vesk-cli-shared");
    ASSERT_TRUE (base.createDirectory() && ::chmod (base.getFullPathName().toRawUTF8(), 0755) == 0);
    const auto shared = base.getChildFile ("shared"), lib = base.getChildFile ("lib.vsk"), song = base.getChildFile ("Song.vsk");
    ASSERT_TRUE (shared.createDirectory() && ::chmod (shared.getFullPathName().toRawUTF8(), 01777) == 0);

    auto run = [] (const juce::StringArray& args, std::string& said)
    {
        std::ostringstream out, err;
        const auto status = VeskCli (out, err).run (args);
        said = err.str();
        return status;
    };

    std::string said;
    ASSERT_EQ (run ({ "new", lib.getFullPathName() }, said), VeskCli::exitOk) << said;

    struct Case
    {
        const char* command;
        juce::StringArray args; // the output file goes last, then --force
    };

    const Case commands[] = {
        { "export-mid", { "export-mid", lib.getFullPathName(), "temp" } },
        { "export-syx", { "export-syx", lib.getFullPathName() } },
        { "new", { "new" } },
    };

    for (const auto& c : commands)
    {
        SCOPED_TRACE (c.command);
        ASSERT_TRUE (song.replaceWithText ("the victim's library"));
        const auto theirs = shared.getChildFile (juce::String (c.command) + " theirs");
        const auto mine = shared.getChildFile (juce::String (c.command) + " mine");
        ASSERT_TRUE (other.run ({ "ln", "-s", song.getFullPathName(), theirs.getFullPathName() }));

        auto args = c.args;
        args.add (theirs.getFullPathName());
        args.add ("--force");
        EXPECT_EQ (run (args, said), VeskCli::exitFailed);
        EXPECT_NE (said.find ("another user"), std::string::npos) << said;
        EXPECT_EQ (song.loadFileAsString(), "the victim's library");
        EXPECT_TRUE (theirs.isSymbolicLink());

        // A link of one's own there is still written through.
        ASSERT_TRUE (song.createSymbolicLink (mine, false));
        args.set (args.size() - 2, mine.getFullPathName());
        EXPECT_EQ (run (args, said), VeskCli::exitOk) << said;
        EXPECT_NE (song.loadFileAsString(), "the victim's library");
        EXPECT_TRUE (mine.isSymbolicLink());
    }

    base.deleteRecursively();
}
