#include "CollectionFile.h"

#include "CollectionStore.h"
#include "model/PrivateFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    juce::String modeText (mode_t mode)
    {
        char text[8];
        std::snprintf (text, sizeof (text), "%04o", (unsigned) (mode & 07777));
        return text;
    }
}

CollectionFile::CollectionFile (const juce::File& fileToUse, bool create) : file (fileToUse)
{
    // The usual folder is the program's own and private; one the user names
    // need only be the user's, written by nobody else.
    const auto usual = file.getParentDirectory() == CollectionStore::defaultFile().getParentDirectory();
    folder = std::make_unique<PrivateFolder> (file.getParentDirectory(), create,
                                              usual ? PrivateFolder::Require::onlyUserEnters : PrivateFolder::Require::onlyUserWrites);

    if (! folder->isOpen())
    {
        fail (file.getParentDirectory().isDirectory() ? CollectionProblem::Kind::notPrivate : CollectionProblem::Kind::cannotOpen,
              file, folder->getProblem());
        return;
    }

    const auto resolved = folder->getPathWithoutLinks();

    if (resolved == juce::File())
    {
        fail (CollectionProblem::Kind::cannotOpen, file, "the path of its folder cannot be resolved");
        return;
    }

    sqlitePath = resolved.getChildFile (file.getFileName());

    // What lies beside the file is read (a -wal, a hot -journal) and written by SQLite as the file is.
    for (size_t i = 0; i < std::size (companions); ++i)
    {
        const auto name = file.getFileName() + companions[i];
        struct stat info
        {
        };

        if (::fstatat (folder->getHandle(), name.toRawUTF8(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;

        companionFound[i] = true;
        const auto beside = file.getSiblingFile (name);

        if (S_ISLNK (info.st_mode) || ! S_ISREG (info.st_mode))
            fail (CollectionProblem::Kind::notPrivate, beside, "is a link or not a file");
        else if (info.st_uid != ::geteuid())
            fail (CollectionProblem::Kind::notPrivate, beside, "belongs to another user (uid " + juce::String ((int) info.st_uid) + ")");
        else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
            fail (CollectionProblem::Kind::notPrivate, beside, "may be written by other users (mode " + modeText (info.st_mode) + ")");

        if (problem.failed())
            return;
    }

    lookAtFile (create);
}

CollectionFile::~CollectionFile() = default;

void CollectionFile::fail (CollectionProblem::Kind kind, const juce::File& what, const juce::String& detail)
{
    problem.kind = kind;
    problem.file = what;
    problem.detail = detail;
}

void CollectionFile::lookAtFile (bool create)
{
    const auto name = file.getFileName().toRawUTF8();
    const auto handle = folder->getHandle();
    // Not blocking on a pipe someone named; never through a link.
    const auto flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    int fd = create ? ::openat (handle, name, flags | O_CREAT | O_EXCL, 0600) : -1;
    const bool made = fd >= 0;

    if (fd < 0 && (! create || errno == EEXIST))
        fd = ::openat (handle, name, flags);

    if (fd < 0)
    {
        if (errno == ELOOP)
            fail (CollectionProblem::Kind::notPrivate, file, "is a link");
        else if (errno != ENOENT)
            fail (CollectionProblem::Kind::cannotOpen, file, std::strerror (errno));

        return;
    }

    found = true;

    // Made here with 0600 whatever the umask; the -wal and -shm take its mode.
    if (made)
        ::fchmod (fd, S_IRUSR | S_IWUSR);

    struct stat info
    {
    };

    juce::uint8 bytes[CollectionSchema::headerSize] {};
    ssize_t size = -1;

    // What the file is comes first: a library named by mistake is told as one, whoever owns it.
    if (::fstat (fd, &info) != 0)
        fail (CollectionProblem::Kind::cannotOpen, file, std::strerror (errno));
    else if (S_ISDIR (info.st_mode))
        fail (CollectionProblem::Kind::notCollection, file, "is a folder, not a collection");
    else if (! S_ISREG (info.st_mode))
        fail (CollectionProblem::Kind::notCollection, file, "is not a file");
    else if ((size = ::pread (fd, bytes, sizeof (bytes), 0)) < 0)
        fail (CollectionProblem::Kind::cannotOpen, file, std::strerror (errno));
    else if ((header = CollectionSchema::readHeader (bytes, (size_t) size)).says == CollectionSchema::Header::Says::foreign)
        fail (CollectionProblem::Kind::notCollection, file, header.what);
    else if (info.st_uid != ::geteuid())
        fail (CollectionProblem::Kind::notPrivate, file, "belongs to another user (uid " + juce::String ((int) info.st_uid) + ")");
    else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        fail (CollectionProblem::Kind::notPrivate, file, "may be written by other users (mode " + modeText (info.st_mode) + ")");

    ::close (fd);
}

bool CollectionFile::hasLog() const
{
    struct stat info
    {
    };

    return folder->isOpen() && ::fstatat (folder->getHandle(), (file.getFileName() + "-wal").toRawUTF8(), &info, AT_SYMLINK_NOFOLLOW) == 0
           && info.st_size > 0;
}

juce::File CollectionFile::moveAside()
{
    const auto handle = folder->getHandle();
    const auto stamp = juce::Time::getCurrentTime().formatted ("%Y%m%d-%H%M%S");

    // A hard link under the new name first: nothing is ever replaced.
    const auto move = [handle] (const juce::String& from, const juce::String& to)
    {
        return ::linkat (handle, from.toRawUTF8(), handle, to.toRawUTF8(), 0) == 0 && ::unlinkat (handle, from.toRawUTF8(), 0) == 0;
    };

    for (int attempt = 1; attempt < 100; ++attempt)
    {
        const auto aside = file.getFileName() + ".damaged-" + stamp + (attempt > 1 ? "-" + juce::String (attempt) : juce::String());

        if (! move (file.getFileName(), aside))
            continue;

        // The log holds the file's latest pages and a journal its last undo: they
        // go with it, or SQLite would play them into the new file.
        for (size_t i = 0; i < std::size (companions); ++i)
        {
            const auto name = file.getFileName() + companions[i];

            if (companionFound[i])
                move (name, aside + companions[i]);
            else if (juce::String (companions[i]) == "-shm")
                ::unlinkat (handle, name.toRawUTF8(), 0);
        }

        return file.getSiblingFile (aside);
    }

    return {};
}
