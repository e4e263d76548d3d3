#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

struct FileHandle::Native
{
    int fd = -1;
};

struct OpenFolder::Native
{
    int fd = -1;
    juce::File path;
};

namespace
{
    int errorOf (int result) { return result == 0 ? 0 : errno; }

    int statOf (int result, const struct stat& info, FileFacts& facts)
    {
        if (result != 0)
            return errno;

        facts.kind = S_ISREG (info.st_mode)    ? FileFacts::Kind::file
                     : S_ISDIR (info.st_mode)  ? FileFacts::Kind::folder
                     : S_ISLNK (info.st_mode)  ? FileFacts::Kind::link
                     : S_ISFIFO (info.st_mode) ? FileFacts::Kind::pipe
                     : S_ISSOCK (info.st_mode) ? FileFacts::Kind::socket
                                               : FileFacts::Kind::device;
        facts.size = (juce::int64) info.st_size;
        facts.identity = { (juce::uint64) info.st_dev, (juce::uint64) info.st_ino };
        facts.ownedByUser = info.st_uid == ::geteuid();
        facts.owner = "uid " + juce::String ((int) info.st_uid);
        facts.othersMayWrite = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
        facts.noWriteBits = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
        facts.posixMode = (juce::uint32) info.st_mode;
        facts.posixOwner = (juce::int64) info.st_uid;
        facts.posixGroup = (juce::int64) info.st_gid;

        char text[8];
        std::snprintf (text, sizeof (text), "%04o", (unsigned) (info.st_mode & 07777));
        facts.permissions = text;
        return 0;
    }

    template <typename Call>
    int retried (Call call, size_t& done)
    {
        done = 0;

        for (;;)
        {
            const auto n = call();

            if (n < 0 && errno == EINTR)
                continue;

            if (n < 0)
                return errno;

            done = (size_t) n;
            return 0;
        }
    }

    int opened (int fd, FileHandle::Native& native)
    {
        native.fd = fd;
        return fd >= 0 ? 0 : errno;
    }
}

//==============================================================================
FileHandle::FileHandle() : native (std::make_unique<Native>()) {}

FileHandle::~FileHandle() { juce::ignoreUnused (close()); }

bool FileHandle::isOpen() const noexcept { return native->fd >= 0; }

int FileHandle::write (const void* data, size_t size, size_t& written)
{
    return retried ([&]
                    { return ::write (native->fd, data, size); },
                    written);
}

int FileHandle::read (void* data, size_t size, size_t& got)
{
    return retried ([&]
                    { return ::read (native->fd, data, size); },
                    got);
}

int FileHandle::readAt (void* data, size_t size, juce::int64 offset, size_t& got)
{
    return retried ([&]
                    { return ::pread (native->fd, data, size, (off_t) offset); },
                    got);
}

int FileHandle::lookAt (FileFacts& facts) const
{
    struct stat info;
    return statOf (::fstat (native->fd, &info), info, facts);
}

void FileHandle::takeOwnershipOf (const FileFacts& existing)
{
    // Root keeps the owner too; anyone else keeps the group where they may.
    if (::geteuid() == 0)
        juce::ignoreUnused (::fchown (native->fd, (uid_t) existing.posixOwner, (gid_t) existing.posixGroup));
    else if ((gid_t) existing.posixGroup != ::getegid())
        juce::ignoreUnused (::fchown (native->fd, (uid_t) -1, (gid_t) existing.posixGroup));

    // After the owner: changing it clears the set-id bits.
    juce::ignoreUnused (::fchmod (native->fd, (mode_t) (existing.posixMode & 07777)));
}

void FileHandle::setPermissions (int permissions) { juce::ignoreUnused (::fchmod (native->fd, (mode_t) permissions)); }

int FileHandle::flush() { return errorOf (::fsync (native->fd)); }

int FileHandle::close()
{
    if (! isOpen())
        return 0;

    return errorOf (::close (std::exchange (native->fd, -1)));
}

//==============================================================================
OpenFolder::OpenFolder() : native (std::make_unique<Native>()) {}

OpenFolder::~OpenFolder() { close(); }

int OpenFolder::open (const juce::File& folder, bool followLink)
{
    close();
    native->path = folder;
    native->fd = ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
    return native->fd >= 0 ? 0 : errno;
}

int OpenFolder::create (const juce::File& folder)
{
    const auto* path = folder.getFullPathName().toRawUTF8();

    if (::mkdir (path, S_IRWXU) != 0)
        return errno;

    // A umask may have taken bits from it.
    const int fd = ::open (path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);

    if (fd < 0)
        return errno;

    const auto result = errorOf (::fchmod (fd, S_IRWXU));
    ::close (fd);
    return result;
}

bool OpenFolder::isOpen() const noexcept { return native->fd >= 0; }

void OpenFolder::close()
{
    if (native->fd >= 0)
        ::close (std::exchange (native->fd, -1));
}

int OpenFolder::getDescriptor() const noexcept { return native->fd; }

int OpenFolder::lookAt (FileFacts& facts) const
{
    struct stat info;
    return statOf (::fstat (native->fd, &info), info, facts);
}

juce::File OpenFolder::getPathWithoutLinks() const
{
    if (! isOpen())
        return {};

    const auto resolved = FileSystem::realPath (native->path.getFullPathName());
    FileFacts opened, named;

    // The name must still lead to the folder that was checked.
    if (resolved == juce::File() || lookAt (opened) != 0 || FileSystem::lookAt (resolved, true, named) != 0
        || opened.identity != named.identity)
        return {};

    return resolved;
}

int OpenFolder::lookAt (const juce::String& name, FileFacts& facts) const
{
    struct stat info;
    return statOf (::fstatat (native->fd, name.toRawUTF8(), &info, AT_SYMLINK_NOFOLLOW), info, facts);
}

int OpenFolder::createNew (const juce::String& name, int permissions, bool forReading, FileHandle& file) const
{
    const auto access = forReading ? O_RDONLY | O_NONBLOCK : O_WRONLY;
    return opened (::openat (native->fd, name.toRawUTF8(), access | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, (mode_t) permissions), *file.native);
}

int OpenFolder::openToRead (const juce::String& name, FileHandle& file) const
{
    return opened (::openat (native->fd, name.toRawUTF8(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK), *file.native);
}

int OpenFolder::move (const juce::String& from, const juce::String& to) const
{
#if defined(__linux__)
    if (::renameat2 (native->fd, from.toRawUTF8(), native->fd, to.toRawUTF8(), RENAME_NOREPLACE) == 0)
        return 0;

    // A file system without renameat2's flag: a second name for the file
    // cannot replace anything either.
    if (errno != EINVAL)
        return errno;
#endif

    if (::linkat (native->fd, from.toRawUTF8(), native->fd, to.toRawUTF8(), 0) != 0)
        return errno;

    juce::ignoreUnused (::unlinkat (native->fd, from.toRawUTF8(), 0));
    return 0;
}

int OpenFolder::remove (const juce::String& name) const
{
    return errorOf (::unlinkat (native->fd, name.toRawUTF8(), 0));
}

int OpenFolder::flush() const { return errorOf (::fsync (native->fd)); }

bool OpenFolder::isPlainName (const juce::String& name)
{
    return ! (name.isEmpty() || name == "." || name == ".." || name.containsChar ('/'));
}

//==============================================================================
int FileSystem::lookAt (const juce::File& path, bool followLinks, FileFacts& facts)
{
    struct stat info;
    const auto* name = path.getFullPathName().toRawUTF8();
    return statOf (followLinks ? ::stat (name, &info) : ::lstat (name, &info), info, facts);
}

int FileSystem::mayRead (const juce::File& path)
{
    return errorOf (::faccessat (AT_FDCWD, path.getFullPathName().toRawUTF8(), R_OK, AT_EACCESS));
}

int FileSystem::mayWrite (const juce::File& path)
{
    // The effective user is asked, as the system would when opening the file.
    return errorOf (::faccessat (AT_FDCWD, path.getFullPathName().toRawUTF8(), W_OK, AT_EACCESS));
}

juce::File FileSystem::realPath (const juce::String& path)
{
    char* real = ::realpath (path.toRawUTF8(), nullptr);

    if (real == nullptr)
        return {};

    const auto resolved = juce::File (juce::String (juce::CharPointer_UTF8 (real)));
    std::free (real);
    return resolved;
}

juce::File FileSystem::resolveLinks (const juce::File& target, juce::String* refused)
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

int FileSystem::createNew (const juce::File& path, int permissions, FileHandle& file)
{
    return opened (::open (path.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, (mode_t) permissions),
                   *file.native);
}

int FileSystem::openToRead (const juce::File& path, FileHandle& file)
{
    // O_NONBLOCK: opening a pipe nobody writes to would otherwise wait for a
    // writer for ever, and a pipe's reads must not wait past the deadline.
    return opened (::open (path.getFullPathName().toRawUTF8(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC), *file.native);
}

void FileSystem::waitToRead (FileHandle& file, int ms)
{
    pollfd wait { file.native->fd, POLLIN, 0 };
    juce::ignoreUnused (::poll (&wait, 1, ms));
}

bool FileSystem::isNothingYet (int error) { return error == EAGAIN || error == EWOULDBLOCK; }

int FileSystem::replace (const juce::File& replacement, const juce::File& target)
{
    return errorOf (::rename (replacement.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()));
}

int FileSystem::remove (const juce::File& path) { return errorOf (::unlink (path.getFullPathName().toRawUTF8())); }

int FileSystem::flushFolder (const juce::File& folder)
{
    const int fd = ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

    if (fd < 0)
        return errno;

    const int result = ::fsync (fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close (fd);
    return result;
}

bool FileSystem::isOutOfFileEntries (const juce::File& folder)
{
    struct statvfs info;

    // File systems without a fixed number of entries report zero for all three.
    return ::statvfs (folder.getFullPathName().toRawUTF8(), &info) == 0 && info.f_files > 0
           && (info.f_favail == 0 || info.f_ffree == 0) && info.f_bavail > 0;
}

bool FileSystem::isSystemView (const juce::File& realPath)
{
    const auto real = realPath.getFullPathName();

    // The kernel's views of processes, devices and itself: endless, or
    // devices that a read can block on, and /proc/self/root leads back to
    // the whole file system.
    for (const juce::String folder : { "/proc", "/sys", "/dev" })
        if (real == folder || real.startsWith (folder + "/"))
            return true;

#if defined(__linux__)
    struct statfs info
    {
    };

    return ::statfs (real.toRawUTF8(), &info) == 0 && (info.f_type == PROC_SUPER_MAGIC || info.f_type == SYSFS_MAGIC);
#else
    return false;
#endif
}

int FileSystem::list (const juce::File& folder, juce::StringArray& names)
{
    auto* dir = ::opendir (folder.getFullPathName().toRawUTF8());

    if (dir == nullptr)
        return errno;

    while (auto* entry = ::readdir (dir))
    {
        const auto name = juce::String::fromUTF8 (entry->d_name);

        if (name != "." && name != "..")
            names.add (name);
    }

    ::closedir (dir);
    return 0;
}
