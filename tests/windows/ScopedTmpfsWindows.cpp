#include "ScopedTmpfs.h"

#include <vector>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace
{
    /** Writes to the file until limit bytes are written or the disk is full;
        then cuts it to keepBytes fewer than it holds. */
    bool fill (const juce::File& file, juce::int64 limit, juce::int64 keepBytes)
    {
        const int fd = ::_wopen (file.getFullPathName().toWideCharPointer(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);

        if (fd < 0)
            return false;

        std::vector<char> chunk (4096, 'x');
        juce::int64 size = 0;

        for (int n; size < limit && (n = ::_write (fd, chunk.data(), (unsigned) juce::jmin ((juce::int64) chunk.size(), limit - size))) > 0;)
            size += n;

        const bool ok = size >= keepBytes && (keepBytes == 0 || ::_chsize_s (fd, size - keepBytes) == 0);
        ::_close (fd);
        return ok;
    }

    juce::int64 bytesOf (juce::String size)
    {
        const auto unit = size.getLastCharacter();
        const auto number = size.getLargeIntValue();
        return unit == 'm' ? number << 20 : unit == 'k' ? number << 10
                                                        : number;
    }
}

// One small drive serves every test: a padding file beside the test's folder
// takes all but the size asked for.
ScopedTmpfs::ScopedTmpfs (const char* size, const char* moreOptions)
{
    const auto drive = juce::SystemStats::getEnvironmentVariable ("VESK_TEST_SMALL_DRIVE", {});

    if (drive.isEmpty())
    {
        whyNot = "no small drive to fill (the Windows test run names one in VESK_TEST_SMALL_DRIVE)";
        return;
    }

    if (*moreOptions != 0)
    {
        whyNot = juce::String ("the small drive cannot be set up with ") + moreOptions + " (a tmpfs option)";
        return;
    }

    const juce::File root (drive + "\\");
    folder = root.getNonexistentChildFile ("vesk-small-disk", {}, false);
    padding = root.getNonexistentChildFile ("vesk-padding", {}, false);
    const auto wanted = bytesOf (size), available = root.getBytesFreeOnVolume();

    if (! folder.createDirectory().wasOk())
        whyNot = "cannot make a folder on the small drive " + drive;
    else if (available < wanted)
        whyNot = "the small drive " + drive + " has " + juce::String (available) + " bytes free, fewer than " + size;
    else if (! fill (padding, available - wanted, 0))
        whyNot = "cannot take the small drive's space beyond " + juce::String (size);
    else
        mounted = true;
}

ScopedTmpfs::~ScopedTmpfs()
{
    if (folder != juce::File())
        folder.deleteRecursively();

    padding.deleteFile();
}

bool ScopedTmpfs::fillLeaving (size_t freeBytes)
{
    return fill (folder.getChildFile ("filler"), std::numeric_limits<juce::int64>::max(), (juce::int64) freeBytes);
}
