// Settings files only a POSIX system can be given: a pipe a writer holds
// open, a link to a terminal.

#include "Deadline.h"
#include "ScopedWorkingDirectory.h"
#include "app/ContentComp.h"
#include "app/UserSettings.h"
#include "midi/MidiSettingsFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TEST (MidiSettingsFile, ASettingsFileThatWouldKeepTheStartWaitingIsIgnoredAndTheStartGoesOn)
{
    // The start folder may be shared, and a settings file can be made to be
    // a pipe someone holds open or a link to a terminal: reading either would
    // wait for ever, before the window ever showed.
    enum class Kind
    {
        heldPipe,
        terminal
    };

    for (const auto kind : { Kind::heldPipe, Kind::terminal })
    {
        for (const bool midiSettings : { true, false })
        {
            SCOPED_TRACE ((midiSettings ? "MidiSettings.xml as " : "VeskEdit.settings as ") + std::string (kind == Kind::heldPipe ? "a held pipe" : "a terminal"));
            ScopedWorkingDirectory workingDirectory;
            const auto file = midiSettings ? MidiSettingsFile::getFile() : UserSettings::getFile();
            ASSERT_TRUE (file.getParentDirectory().createDirectory());
            int writer = -1;

            if (kind == Kind::heldPipe)
            {
                ASSERT_EQ (::mkfifo (file.getFullPathName().toRawUTF8(), 0600), 0);
                writer = ::open (file.getFullPathName().toRawUTF8(), O_RDWR | O_CLOEXEC);
                ASSERT_GE (writer, 0);
            }
            else
            {
                ASSERT_TRUE (juce::File ("/dev/ptmx").createSymbolicLink (file, false));
            }

            {
                const Deadline deadline (10.0, "the start over a settings file that never ends");
                juce::ApplicationCommandManager commandManager;
                ContentComp window (commandManager);
                EXPECT_TRUE (window.getSettings().getResetUnitAtStart()) << "the defaults, as with no file";
            }

            struct stat left;
            ASSERT_EQ (::lstat (file.getFullPathName().toRawUTF8(), &left), 0);
            EXPECT_TRUE (kind == Kind::heldPipe ? S_ISFIFO (left.st_mode) : S_ISLNK (left.st_mode)) << "left as it was";

            if (writer >= 0)
                ::close (writer);
        }
    }
}
