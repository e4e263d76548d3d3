// Files only a POSIX system has: a pipe a writer holds open, a terminal.

#include "UnsavedChangesTest.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TEST_F (UnsavedChangesTest, AFileThatWouldKeepAReadWaitingIsRefusedAtOnceAndLosesNothing)
{
    // Named on the command line, handed over by a second start or dropped:
    // a pipe a writer holds open, or a terminal, would have kept the window
    // waiting for ever, with the unsaved changes in it.
    const auto library = workingDirectory.file ("Set 1.vsk");
    openEditedLibrary (library);
    const auto before = image();

    std::vector<int> writers;
    auto heldPipe = [&] (const char* name)
    {
        const auto file = workingDirectory.file (name);
        EXPECT_EQ (::mkfifo (file.getFullPathName().toRawUTF8(), 0600), 0);
        writers.push_back (::open (file.getFullPathName().toRawUTF8(), O_RDWR | O_CLOEXEC));
        return file;
    };
    const auto terminal = workingDirectory.file ("terminal.syx");
    ASSERT_TRUE (juce::File ("/dev/ptmx").createSymbolicLink (terminal, false));

    // A library says what File > Open says of any it cannot load; an import
    // says why.
    const std::tuple<juce::File, const char*, const char*> files[] = {
        { heldPipe ("held.vsk"), "Failed to open file...", "Error while loading file" },
        { heldPipe ("held.mid"), "Import MIDI File", "is a pipe, not a file" },
        { heldPipe ("held.syx"), "Import .syx", "is a pipe, not a file" },
        { juce::File ("/dev/ptmx"), "Failed to open file...", "Error while loading file" },
        { terminal, "Import .syx", "is a device, not a file" },
    };

    for (const auto& [file, title, why] : files)
    {
        SCOPED_TRACE (file.getFileName());
        {
            const Deadline deadline (10.0, "opening a file that never ends");
            content.openFileFromOutside (file);
            dispatchPendingMessages();
        }

        EXPECT_EQ (openQuestion(), nullptr);
        auto* failure = openAlert (title);
        ASSERT_NE (failure, nullptr);
        EXPECT_TRUE (failure->getDescription().contains (why)) << failure->getDescription();
        failure->exitModalState (0);
        dispatchPendingMessages();

        EXPECT_EQ (image(), before);
        EXPECT_EQ (model.getFile(), library);
        EXPECT_TRUE (model.hasChangedSinceSaved());
    }

    for (const int writer : writers)
        ::close (writer);
}
