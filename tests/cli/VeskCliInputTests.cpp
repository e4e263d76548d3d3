#include "Deadline.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskModel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
    struct CliInput : ::testing::Test
    {
        CliInput()
        {
            folder.createDirectory();
            juce::uint8 image[VeskImage::imageSize];
            VeskModel::writeDefaults (image);
            EXPECT_TRUE (VeskLibraryFile::write (library, image).wasOk());
            library.loadFileAsData (before);
        }

        ~CliInput() override
        {
            for (const int writer : writers)
                ::close (writer);

            folder.deleteRecursively();
        }

        /** A named pipe that a writer holds open and never writes to. */
        juce::String heldPipe (const char* name)
        {
            const auto file = folder.getChildFile (name).getFullPathName();
            EXPECT_EQ (::mkfifo (file.toRawUTF8(), 0600), 0);
            writers.push_back (::open (file.toRawUTF8(), O_RDWR | O_CLOEXEC));
            return file;
        }

        /** The real program under bash (for its <(...)); stderr kept in err. */
        int run (const juce::String& arguments)
        {
            const auto errFile = folder.getChildFile (".stderr");
            const auto command = "bash -c \"'" + juce::String (VESK_BINARY) + "' " + arguments + " > /dev/null 2> '" + errFile.getFullPathName() + "'\"";
            const int status = std::system (command.toRawUTF8());
            err = errFile.loadFileAsString();
            errFile.deleteFile();
            return WIFEXITED (status) ? WEXITSTATUS (status) : -1;
        }

        bool libraryUnchanged() const
        {
            juce::MemoryBlock now;
            return library.loadFileAsData (now) && now == before;
        }

        juce::File folder { juce::File::createTempFile ("vesk-cli-input") };
        juce::File library { folder.getChildFile ("lib.vsk") };
        juce::MemoryBlock before;
        std::vector<int> writers;
        juce::String err;
    };
}

TEST_F (CliInput, APipeIsReadWithinItsBoundAndADeviceNotAtAll)
{
    const auto lib = "'" + library.getFullPathName() + "'";

    // A shell's process substitution is a pipe: read as a file is.
    EXPECT_EQ (run ("show <(cat " + lib + ")"), 0) << err;
    EXPECT_EQ (run ("copy " + lib + " 3 7 --from <(cat " + lib + ")"), 0) << err;

    // A pipe held open and silent is given up after the quiet bound; a device
    // is refused unread. Each exits as the command does for any input it
    // cannot read, one line why, and the library is as it was.
    const std::tuple<juce::String, int, const char*> refused[] = {
        { "import-mid '" + heldPipe ("held.mid") + "' " + lib + " 3", 2, "nothing came for 3 seconds" },
        { "copy " + lib + " 1 2 --from /dev/ptmx", 2, "is a device, not a file" },
        { "import-syx /dev/ptmx " + lib, 1, "is a device, not a file" },
        { "import-mid /dev/ptmx " + lib + " 3", 2, "is a device, not a file" },
    };

    for (const auto& [args, code, why] : refused)
    {
        SCOPED_TRACE (args);
        const Deadline deadline (20.0, "vesk on a file that never ends");
        EXPECT_EQ (run (args), code);
        EXPECT_TRUE (err.contains (why) && err.trimEnd().indexOfChar ('\n') < 0) << err;
        EXPECT_TRUE (libraryUnchanged());
    }
}
