#include "ScopedTmpfs.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

ScopedTmpfs::ScopedTmpfs (const char* size, const char* moreOptions) : folder (juce::File::createTempFile ("vesk-small-disk"))
{
    folder.createDirectory();
    // The user's own, as the folder of a collection must be (nobody else writes into it).
    const auto options = juce::String ("size=") + size + ",mode=0755" + (*moreOptions != 0 ? "," : "") + moreOptions;

    if (::mount ("tmpfs", folder.getFullPathName().toRawUTF8(), "tmpfs", MS_NOSUID | MS_NODEV, options.toRawUTF8()) == 0)
        mounted = true;
    else
        whyNot = "cannot mount a tmpfs here (" + juce::String (std::strerror (errno)) + ")";
}

ScopedTmpfs::~ScopedTmpfs()
{
    if (mounted)
        ::umount2 (folder.getFullPathName().toRawUTF8(), MNT_DETACH);

    folder.deleteRecursively();
}

bool ScopedTmpfs::fillLeaving (size_t freeBytes)
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
