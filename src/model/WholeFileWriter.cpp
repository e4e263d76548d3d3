#include "WholeFileWriter.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace
{
    std::mutex faultsLock;
    WholeFileWriter::Faults faults;

    WholeFileWriter::Faults currentFaults()
    {
        const std::lock_guard<std::mutex> guard (faultsLock);
        return faults;
    }

    juce::String describeErrno (int error) { return WholeFileWriter::describeError (error); }

    /** Every byte of data to fd, each write checked (a short write is a
        failure), then the size on disk: the last word on a short write. A
        test's fault fills the disk after failAfterBytes (-1: never). */
    juce::Result writeWhole (int fd, const void* data, size_t size, juce::int64 failAfterBytes)
    {
        auto* bytes = static_cast<const char*> (data);
        size_t written = 0;

        auto shortWrite = [&] (int error)
        {
            return juce::Result::fail (describeErrno (error) + " (wrote " + WholeFileWriter::formatCount ((juce::int64) written)
                                       + " of " + WholeFileWriter::formatCount ((juce::int64) size) + " bytes)");
        };

        while (written < size)
        {
            auto chunk = size - written;

            if (failAfterBytes >= 0)
            {
                if ((juce::int64) written >= failAfterBytes)
                    return shortWrite (ENOSPC);

                chunk = juce::jmin (chunk, (size_t) (failAfterBytes - (juce::int64) written));
            }

            const auto n = ::write (fd, bytes + written, chunk);

            if (n < 0 && errno == EINTR)
                continue;

            if (n <= 0)
                return shortWrite (n < 0 ? errno : ENOSPC);

            written += (size_t) n;
        }

        struct stat done;

        if (::fstat (fd, &done) != 0)
            return juce::Result::fail ("the new file cannot be checked (" + describeErrno (errno) + ")");

        if ((size_t) done.st_size != size)
            return juce::Result::fail ("the file came out " + WholeFileWriter::formatCount ((juce::int64) done.st_size) + " of "
                                       + WholeFileWriter::formatCount ((juce::int64) size) + " bytes long");

        return juce::Result::ok();
    }

    /** The new file flushed to the disk and closed; fd is -1 afterwards either way. */
    juce::Result flushAndClose (int& fd, bool failAtSync)
    {
        if (failAtSync || ::fsync (fd) != 0)
            return juce::Result::fail ("the data could not be flushed to the disk ("
                                       + describeErrno (failAtSync ? EIO : errno) + ")");

        const int closed = ::close (fd);
        fd = -1;

        if (closed != 0)
            return juce::Result::fail ("the file could not be closed (" + describeErrno (errno) + ")");

        return juce::Result::ok();
    }

    /** Closes and removes the temporary file unless told it was renamed. */
    struct TemporaryFile
    {
        ~TemporaryFile()
        {
            if (fd >= 0)
                ::close (fd);

            if (path.isNotEmpty())
                ::unlink (path.toRawUTF8());
        }

        int fd = -1;
        juce::String path;
    };

    /** Picks an unused hidden name beside the target, created exclusively so
        nobody else's file (or link) can be in its place. */
    int createTemporary (const juce::File& target, mode_t mode, juce::String& path)
    {
        auto& random = juce::Random::getSystemRandom();

        // A name near the system's limit would not leave room for the suffix.
        auto base = target.getFileName();

        if (base.getNumBytesAsUTF8() > 200)
            base = base.substring (0, 40);

        for (int attempt = 0; attempt < 100; ++attempt)
        {
            path = target.getParentDirectory()
                       .getChildFile ("." + base + "." + juce::String::toHexString (random.nextInt64()) + ".tmp")
                       .getFullPathName();

            const int fd = ::open (path.toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);

            if (fd >= 0 || errno != EEXIST)
                return fd;
        }

        errno = EEXIST;
        return -1;
    }

    bool outOfFileEntries (const juce::File& folder)
    {
        struct statvfs info;

        // File systems without a fixed number of entries report zero for all three.
        return ::statvfs (folder.getFullPathName().toRawUTF8(), &info) == 0 && info.f_files > 0
               && (info.f_favail == 0 || info.f_ffree == 0) && info.f_bavail > 0;
    }

    int syncFolder (const juce::File& folder)
    {
        const int fd = ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

        if (fd < 0)
            return errno;

        const int result = ::fsync (fd) == 0 || errno == EINVAL ? 0 : errno;
        ::close (fd);
        return result;
    }
}

juce::String WholeFileWriter::describeError (int error)
{
    switch (error)
    {
        case ENOSPC: return "the disk is full";
        case EDQUOT: return "the disk quota is used up";
        case EROFS: return "the disk is read-only";
        case EACCES:
        case EPERM: return "permission denied";
        case EIO: return "the disk reported an error";
        case ENOENT: return "the folder does not exist";
        case ENOTDIR: return "a part of the path is not a folder";
        case ENAMETOOLONG: return "the name is too long";
        case ELOOP: return "too many links";
        case EPIPE: return "nothing reads it any more";
        default: return juce::String (std::strerror (error)).toLowerCase();
    }
}

juce::String WholeFileWriter::formatCount (juce::int64 count)
{
    auto digits = juce::String (count < 0 ? -count : count);

    for (int i = digits.length() - 3; i > 0; i -= 3)
        digits = digits.substring (0, i) + "," + digits.substring (i);

    return (count < 0 ? "-" : "") + digits;
}

juce::File WholeFileWriter::resolveLinks (const juce::File& target, juce::String* refused)
{
    std::string path = target.getFullPathName().toStdString();

    // A bound on the chain, as the system has: a loop of links ends here too.
    for (int depth = 0; depth < 40; ++depth)
    {
        struct stat info;

        if (::lstat (path.c_str(), &info) != 0 || ! S_ISLNK (info.st_mode))
            break;

        // Reading the link ourselves passes by the system's guard for shared
        // folders such as /tmp: a link there that someone else put in place
        // is not followed (the rule of fs.protected_symlinks).
        struct stat folderInfo;
        const auto linkFolder = path.substr (0, juce::jmax ((size_t) 1, path.rfind ('/')));

        if (refused != nullptr && ::stat (linkFolder.c_str(), &folderInfo) == 0
            && (folderInfo.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH)
            && info.st_uid != ::geteuid() && info.st_uid != folderInfo.st_uid)
        {
            *refused = "it is a link that another user put into a folder everybody may write into";
            break;
        }

        char text[PATH_MAX];
        const auto length = ::readlink (path.c_str(), text, sizeof (text) - 1);

        if (length <= 0)
            break;

        const std::string link (text, (size_t) length);
        path = link.front() == '/' ? link : path.substr (0, path.rfind ('/') + 1) + link;

        // The system follows "x/../y" through x as it is (x may be a link to
        // somewhere else), so the folder is resolved by the system too, never
        // tidied up as text.
        const auto slash = path.rfind ('/');
        const auto folder = slash == 0 ? std::string ("/") : path.substr (0, slash);
        char real[PATH_MAX];

        if (::realpath (folder.c_str(), real) == nullptr)
            break;

        path = std::string (real) + (std::strcmp (real, "/") == 0 ? "" : "/") + path.substr (slash + 1);
    }

    return juce::File (juce::String (juce::CharPointer_UTF8 (path.c_str())));
}

bool WholeFileWriter::isSameFile (const juce::File& a, const juce::File& b)
{
    struct stat sa, sb;

    if (::stat (a.getFullPathName().toRawUTF8(), &sa) != 0 || ::stat (b.getFullPathName().toRawUTF8(), &sb) != 0)
        return false;

    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void WholeFileWriter::setFaultsForTesting (const Faults& newFaults)
{
    const std::lock_guard<std::mutex> guard (faultsLock);
    faults = newFaults;
}

juce::Result WholeFileWriter::write (const juce::File& target, const juce::MemoryBlock& data)
{
    return write (target, data.getData(), data.getSize());
}

juce::Result WholeFileWriter::write (const juce::File& requestedTarget, const void* data, size_t size)
{
    if (requestedTarget == juce::File())
        return juce::Result::fail ("no file was named");

    juce::String refusedLink;
    const auto target = resolveLinks (requestedTarget, &refusedLink);

    if (refusedLink.isNotEmpty())
        return juce::Result::fail (refusedLink);

    const auto path = target.getFullPathName();
    const auto injected = currentFaults();

    struct stat existing;
    const bool exists = ::stat (path.toRawUTF8(), &existing) == 0;

    if (! exists && errno != ENOENT)
    {
        if (errno == ELOOP)
            return juce::Result::fail ("it is a link that leads in a circle");

        return juce::Result::fail ("it cannot be reached (" + describeErrno (errno) + ")");
    }

    if (exists)
    {
        if (S_ISDIR (existing.st_mode))
            return juce::Result::fail ("it is a folder");

        // Renaming over a device or a pipe would replace it, not write into it.
        if (! S_ISREG (existing.st_mode))
            return juce::Result::fail ("it is not a plain file");

        // Replacing by rename needs only the folder's permission; a file its
        // owner made read-only is meant to stay as it is. The bits are read
        // too: root may write anything, but not what nobody is meant to.
        if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return juce::Result::fail ("the file is read-only");

        // The effective user is asked, as the system would when opening the file.
        if (::faccessat (AT_FDCWD, path.toRawUTF8(), W_OK, AT_EACCESS) != 0)
            return juce::Result::fail (errno == EACCES ? juce::String ("the file is read-only") : describeErrno (errno));
    }

    const auto folder = target.getParentDirectory();

    if (! folder.isDirectory())
        return juce::Result::fail ("the folder " + folder.getFullPathName() + " does not exist");

    // An existing file keeps its mode and owner; a new one gets the usual 0666 less the umask.
    TemporaryFile temp;
    temp.fd = createTemporary (target, exists ? 0600 : 0666, temp.path);

    if (temp.fd < 0)
    {
        const int error = errno;
        temp.path = {};

        // Space left but no file entries: "the disk is full" would send the
        // user looking for big files to delete.
        if (error == ENOSPC && outOfFileEntries (folder))
            return juce::Result::fail ("the disk has no room for another file (it has space, but its limit on the number of files is reached)");

        return juce::Result::fail ("the folder cannot be written to (" + describeErrno (error) + ")");
    }

    if (const auto whole = writeWhole (temp.fd, data, size, injected.failAfterBytes); whole.failed())
        return whole;

    if (exists)
    {
        // Root keeps the owner too; anyone else keeps the group where they may.
        if (::geteuid() == 0)
            juce::ignoreUnused (::fchown (temp.fd, existing.st_uid, existing.st_gid));
        else if (existing.st_gid != ::getegid())
            juce::ignoreUnused (::fchown (temp.fd, (uid_t) -1, existing.st_gid));

        // After the owner: changing it clears the set-id bits.
        juce::ignoreUnused (::fchmod (temp.fd, existing.st_mode & 07777));
    }

    if (const auto flushed = flushAndClose (temp.fd, injected.failAtSync); flushed.failed())
        return flushed;

    if (injected.failAtRename || ::rename (temp.path.toRawUTF8(), path.toRawUTF8()) != 0)
        return juce::Result::fail ("the new file could not take the old one's place ("
                                   + describeErrno (injected.failAtRename ? EIO : errno) + ")");

    temp.path = {};

    // The rename is done; a folder that cannot be flushed (some network
    // filesystems) still holds the whole new file.
    juce::ignoreUnused (syncFolder (folder));
    return juce::Result::ok();
}

juce::Result WholeFileWriter::writeNew (int folderHandle, const juce::String& name, const void* data, size_t size, int permissions)
{
    if (name.isEmpty() || name == "." || name == ".." || name.containsChar ('/'))
        return juce::Result::fail ("\"" + name + "\" is not a file name");

    const auto injected = currentFaults();

    // Refused before anything is written; one that appears meanwhile is refused by the last step.
    struct stat existing;

    if (::fstatat (folderHandle, name.toRawUTF8(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return juce::Result::fail (S_ISLNK (existing.st_mode) ? "a link of that name is in its place" : "a file of that name exists already");

    if (errno != ENOENT)
        return juce::Result::fail ("it cannot be reached (" + describeErrno (errno) + ")");

    // Removed by the folder's handle, whatever the folder is called by now.
    struct Temporary
    {
        ~Temporary()
        {
            if (fd >= 0)
                ::close (fd);

            if (name.isNotEmpty())
                ::unlinkat (folder, name.toRawUTF8(), 0);
        }

        int folder, fd = -1;
        juce::String name;
    } temp { folderHandle, -1, {} };

    auto base = name;

    if (base.getNumBytesAsUTF8() > 200)
        base = base.substring (0, 40);

    auto& random = juce::Random::getSystemRandom();

    for (int attempt = 0; attempt < 100 && temp.fd < 0; ++attempt)
    {
        const auto candidate = "." + base + "." + juce::String::toHexString (random.nextInt64()) + ".tmp";
        temp.fd = ::openat (folderHandle, candidate.toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, (mode_t) permissions);

        if (temp.fd >= 0)
            temp.name = candidate;
        else if (errno != EEXIST)
            break;
    }

    if (temp.fd < 0)
        return juce::Result::fail ("the folder cannot be written to (" + describeErrno (errno) + ")");

    if (const auto whole = writeWhole (temp.fd, data, size, injected.failAfterBytes); whole.failed())
        return whole;

    if (const auto flushed = flushAndClose (temp.fd, injected.failAtSync); flushed.failed())
        return flushed;

    // The last step refuses an entry that appeared meanwhile, rather than replace it.
    int placed = injected.failAtRename ? -1 : ::renameat2 (folderHandle, temp.name.toRawUTF8(), folderHandle, name.toRawUTF8(), RENAME_NOREPLACE);
    int error = injected.failAtRename ? EIO : errno;
    const bool renamed = placed == 0;

    // A file system without renameat2's flag: a second name for the file
    // cannot replace anything either (and the temporary name goes as usual).
    if (! renamed && error == EINVAL)
    {
        placed = ::linkat (folderHandle, temp.name.toRawUTF8(), folderHandle, name.toRawUTF8(), 0);
        error = errno;
    }

    if (placed != 0)
        return juce::Result::fail (error == EEXIST ? juce::String ("a file of that name appeared while it was written")
                                                   : "the new file could not be given its name (" + describeErrno (error) + ")");

    if (renamed)
        temp.name = {};

    // As in write(): the file is in place whole even where the folder cannot be flushed.
    juce::ignoreUnused (::fsync (folderHandle));
    return juce::Result::ok();
}
