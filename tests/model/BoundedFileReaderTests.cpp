#include "model/BoundedFileReader.h"
#include "model/BoundedXml.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskMidiFile.h"
#include "model/VeskModel.h"
#include "model/VeskSyxFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
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

TEST (BoundedFileReader, NoReaderWaitsOnAPipeNobodyWritesTo)
{
    Folder folder;
    juce::uint8 image[VeskImage::imageSize] = {};
    VeskSyxFile::Contents contents;
    std::unique_ptr<juce::XmlElement> xml;

    // Each returns at once, refusing the empty input, and changes nothing.
    EXPECT_TRUE (VeskLibraryFile::read (folder.fifo ("lib.vsk"), image).failed());
    EXPECT_TRUE (VeskSyxFile::read (folder.fifo ("dump.syx"), 200, contents).wasOk());
    EXPECT_EQ (contents.bytes.getSize(), 0u);
    EXPECT_TRUE (VeskMidiFile::importFile (folder.fifo ("tune.mid"), image, 1).failed);
    EXPECT_TRUE (BoundedXml::read (folder.fifo ("settings.xml"), xml).failed());
    EXPECT_EQ (std::count (image, image + VeskImage::imageSize, 0), VeskImage::imageSize);
}

TEST (BoundedFileReader, ReadsWhatAPipeIsGivenAndStopsOneBytePastTheBound)
{
    Folder folder;

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
