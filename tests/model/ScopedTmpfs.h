#pragma once

#include <juce_core/juce_core.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

/** A small real filesystem (tmpfs) mounted in a temporary folder for the life
    of a test, to fill up for real. Mounting needs privileges: where it is not
    allowed, isMounted() is false and whyNot says why, for GTEST_SKIP. */
struct ScopedTmpfs
{
    /** moreOptions: further mount options, such as "nr_inodes=4". */
    explicit ScopedTmpfs (const char* size = "16k", const char* moreOptions = "")
    {
        folder.createDirectory();
        // The user's own, as the folder of a collection must be (nobody else writes into it).
        const auto options = juce::String ("size=") + size + ",mode=0755" + (*moreOptions != 0 ? "," : "") + moreOptions;

        if (::mount ("tmpfs", folder.getFullPathName().toRawUTF8(), "tmpfs", MS_NOSUID | MS_NODEV, options.toRawUTF8()) == 0)
            mounted = true;
        else
            whyNot = "cannot mount a tmpfs here (" + juce::String (std::strerror (errno)) + ")";
    }

    ~ScopedTmpfs()
    {
        if (mounted)
            ::umount2 (folder.getFullPathName().toRawUTF8(), MNT_DETACH);

        folder.deleteRecursively();
    }

    bool isMounted() const { return mounted; }

    /** Fills the disk to the last byte with a filler file, then gives back
        about freeBytes (whole pages), so that a larger write runs out. */
    bool fillLeaving (size_t freeBytes)
    {
        const auto filler = folder.getChildFile ("filler").getFullPathName();
        const int fd = ::open (filler.toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

        if (fd < 0)
            return false;

        std::vector<char> chunk (4096, 'x');
        off_t size = 0;

        for (ssize_t n; (n = ::write (fd, chunk.data(), chunk.size())) > 0;)
            size += n;

        const bool ok = errno == ENOSPC && size >= (off_t) freeBytes && ::ftruncate (fd, size - (off_t) freeBytes) == 0;
        ::close (fd);
        return ok;
    }

    bool removeFiller() const { return folder.getChildFile ("filler").deleteFile(); }

    juce::File folder { juce::File::createTempFile ("vesk-small-disk") };
    bool mounted = false;
    juce::String whyNot;
};
