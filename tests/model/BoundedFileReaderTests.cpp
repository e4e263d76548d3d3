#include "Deadline.h"
#include "model/BoundedFileReader.h"
#include "model/BoundedXml.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskMidiFile.h"
#include "model/VeskModel.h"
#include "model/VeskSyxFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{
    struct Folder
    {
        Folder() { dir.createDirectory(); }
        ~Folder() { dir.deleteRecursively(); }

        juce::File fifo (const char* name) const
        {
            auto file = dir.getChildFile (name);
            EXPECT_EQ (::mkfifo (file.getFullPathName().toRawUTF8(), 0600), 0);
            return file;
        }

        juce::File dir = juce::File::createTempFile ("bounded-reader");
    };

    /** A pipe being written from another thread, named as a shell's process
        substitution names it (/proc/self/fd/N). */
    struct WrittenPipe
    {
        explicit WrittenPipe (const juce::MemoryBlock& data)
        {
            ::signal (SIGPIPE, SIG_IGN); // a reader that stops early closes it
            EXPECT_EQ (::pipe (fd), 0);
            writer = std::thread ([this, data]
                                  {
                                      for (size_t done = 0; done < data.getSize();)
                                      {
                                          const auto n = ::write (fd[1], static_cast<const char*> (data.getData()) + done, data.getSize() - done);
                                          if (n <= 0)
                                              break;
                                          done += (size_t) n;
                                      }
                                      ::close (fd[1]); });
        }

        ~WrittenPipe()
        {
            ::close (fd[0]);
            writer.join();
        }

        juce::File path() const { return juce::File ("/proc/self/fd/" + juce::String (fd[0])); }

        int fd[2] = { -1, -1 };
        std::thread writer;
    };
}

namespace
{
    /** Pipes read as vesk reads them, with short bounds, for one test. */
    struct ScopedPipePolicy
    {
        explicit ScopedPipePolicy (int quietMs = 3000, int totalMs = 30000)
        {
            BoundedFileReader::setPolicy ({ true, quietMs, totalMs });
        }

        ~ScopedPipePolicy() { BoundedFileReader::setPolicy (previous); }

        BoundedFileReader::Policy previous = BoundedFileReader::getPolicy();
    };

    /** A named pipe whose writer holds it open and writes nothing: a read of it
        would wait until the writer goes. */
    struct HeldFifo
    {
        explicit HeldFifo (const juce::File& fileToMake) : file (fileToMake)
        {
            EXPECT_EQ (::mkfifo (file.getFullPathName().toRawUTF8(), 0600), 0);
            writer = ::open (file.getFullPathName().toRawUTF8(), O_RDWR | O_CLOEXEC);
            EXPECT_GE (writer, 0);
        }

        ~HeldFifo() { ::close (writer); }

        const juce::File file;
        int writer = -1;
    };

    /** Every reader of the program over one file: each must refuse it (or, for
        the .syx reader, find nothing in it) and leave the image as it was. */
    void everyReaderRefuses (const juce::File& file, const juce::String& why)
    {
        juce::uint8 image[VeskImage::imageSize] = {};
        VeskSyxFile::Contents contents;
        std::unique_ptr<juce::XmlElement> xml;
        juce::MemoryBlock data;

        const Deadline deadline (10.0, "a read of a file that never ends");
        EXPECT_EQ (BoundedFileReader::read (file, 100, data).getErrorMessage(), why);
        EXPECT_EQ (VeskLibraryFile::read (file, image).getErrorMessage(), why);
        EXPECT_EQ (VeskSyxFile::read (file, 200, contents).getErrorMessage(), why);
        EXPECT_TRUE (VeskMidiFile::importFile (file, image, *VeskBlock::user (1)).failed);
        EXPECT_EQ (BoundedXml::read (file, xml).getErrorMessage(), why);
        EXPECT_EQ (std::count (image, image + VeskImage::imageSize, 0), VeskImage::imageSize);
    }
}

TEST (BoundedFileReader, TheWindowReadsPlainFilesOnlyAndRefusesTheRestUnopened)
{
    Folder folder;
    ASSERT_FALSE (BoundedFileReader::getPolicy().pipes) << "plain files only is what a program gets unless it asks";

    // A writer holds the pipe open, so a read would wait for it; a terminal's
    // master waits for ever; each also reached through a link, as from a
    // shared start folder.
    const HeldFifo held (folder.dir.getChildFile ("held.mid"));
    const auto linkToTerminal = folder.dir.getChildFile ("MidiSettings.xml");
    ASSERT_TRUE (juce::File ("/dev/ptmx").createSymbolicLink (linkToTerminal, false));
    const auto linkToPipe = folder.dir.getChildFile ("VeskEdit.settings");
    ASSERT_TRUE (held.file.createSymbolicLink (linkToPipe, false));

    const std::pair<juce::File, juce::String> files[] = {
        { held.file, "is a pipe, not a file" },
        { linkToPipe, "is a pipe, not a file" },
        { folder.fifo ("nobody.vsk"), "is a pipe, not a file" },
        { juce::File ("/dev/ptmx"), "is a device, not a file" },
        { linkToTerminal, "is a device, not a file" },
        { juce::File ("/dev/zero"), "is a device, not a file" },
    };

    for (const auto& [file, why] : files)
    {
        SCOPED_TRACE (file.getFileName().toStdString());
        everyReaderRefuses (file, why);
    }
}

TEST (BoundedFileReader, VeskReadsAPipeButGivesUpOnOneThatKeepsItWaiting)
{
    Folder folder;
    const ScopedPipePolicy pipes (200, 1000);

    // A pipe nobody writes to ends at once and is empty: refused as such by
    // the readers of libraries and MIDI files, nothing found in it as a .syx.
    {
        juce::uint8 image[VeskImage::imageSize] = {};
        VeskSyxFile::Contents contents;
        EXPECT_TRUE (VeskLibraryFile::read (folder.fifo ("lib.vsk"), image).failed());
        EXPECT_TRUE (VeskSyxFile::read (folder.fifo ("dump.syx"), 200, contents).wasOk());
        EXPECT_EQ (contents.bytes.getSize(), 0u);
        EXPECT_TRUE (VeskMidiFile::importFile (folder.fifo ("tune.mid"), image, *VeskBlock::user (1)).failed);
    }

    // One held open and silent is given up after the quiet bound, one that
    // drips a byte now and then after the total bound; devices stay refused.
    const HeldFifo held (folder.dir.getChildFile ("held.mid"));
    everyReaderRefuses (held.file, "cannot be read (nothing came for 0.2 seconds)");
    everyReaderRefuses (juce::File ("/dev/ptmx"), "is a device, not a file");

    const HeldFifo dripping (folder.dir.getChildFile ("drip.vsk"));
    std::atomic<bool> stop { false };
    std::thread drip ([&]
                      {
                          while (! stop)
                          {
                              juce::ignoreUnused (::write (dripping.writer, "V", 1));
                              std::this_thread::sleep_for (std::chrono::milliseconds (50));
                          } });
    juce::MemoryBlock data;
    {
        // A drip every 50 ms against a quiet bound of 800 ms: a busy machine
        // that holds the dripping thread back for a while still drips in time.
        const ScopedPipePolicy drips (800, 1000);
        const Deadline deadline (10.0, "a read of a pipe that drips");
        EXPECT_EQ (BoundedFileReader::read (dripping.file, 1 << 20, data).getErrorMessage(),
                   "cannot be read (it took more than 1 second)");
    }
    stop = true;
    drip.join();
    EXPECT_EQ (data.getSize(), 0u);
}

TEST (BoundedFileReader, ReadsWhatAPipeIsGivenAndStopsOneBytePastTheBound)
{
    Folder folder;
    const ScopedPipePolicy pipes;

    // A library through a pipe is read as from a file.
    juce::uint8 defaults[VeskImage::imageSize], image[VeskImage::imageSize] = {};
    VeskModel::writeDefaults (defaults);
    {
        WrittenPipe library (VeskLibraryFile::encode (defaults));
        EXPECT_TRUE (VeskLibraryFile::read (library.path(), image).wasOk());
    }
    EXPECT_TRUE (std::equal (image, image + VeskImage::imageSize, defaults));

    // More than the first buffer holds, through a pipe and from a file: every
    // byte up to the bound, and one past it to say it was passed.
    juce::MemoryBlock big (300 * 1024);
    for (size_t i = 0; i < big.getSize(); ++i)
        big[i] = (char) (i * 7);

    auto file = folder.dir.getChildFile ("big.bin");
    ASSERT_TRUE (file.replaceWithData (big.getData(), big.getSize()));

    for (const auto& [bound, expected] : { std::pair<size_t, size_t> { 400 * 1024, big.getSize() }, { 1000, 1001 } })
    {
        WrittenPipe pipe (big);

        for (const auto& source : { pipe.path(), file })
        {
            juce::MemoryBlock data;
            ASSERT_TRUE (BoundedFileReader::read (source, bound, data).wasOk());
            ASSERT_EQ (data.getSize(), expected) << source.getFileName() << " bound " << bound;
            EXPECT_EQ (std::memcmp (data.getData(), big.getData(), expected), 0);
        }
    }

    juce::MemoryBlock data;
    EXPECT_EQ (BoundedFileReader::read (folder.dir, 10, data).getErrorMessage(), "is a folder");
    EXPECT_TRUE (BoundedFileReader::read (folder.dir.getChildFile ("none"), 10, data).getErrorMessage().startsWith ("cannot be opened"));
}
