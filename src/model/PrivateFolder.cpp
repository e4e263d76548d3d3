#include "PrivateFolder.h"
#include "WholeFileWriter.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PrivateFolder::PrivateFolder (const juce::File& folderToOpen, bool create, Require require) : folder (folderToOpen)
{
    const auto path = folder.getFullPathName();
    bool created = false;

    if (create)
    {
        folder.getParentDirectory().createDirectory();
        created = ::mkdir (path.toRawUTF8(), S_IRWXU) == 0;
    }

    // Links above the folder are the user's business; the folder itself is no
    // link where the program makes or names it (a folder the user named may be one).
    const auto noLink = require == Require::onlyUserEnters || created ? O_NOFOLLOW : 0;
    handle = ::open (path.toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | noLink);

    if (handle < 0)
    {
        problem = "cannot open the folder " + path + " (" + juce::String (std::strerror (errno)) + ")";
        return;
    }

    // A umask may have taken bits from a folder we made; one we found is taken as it is.
    if (created)
        ::fchmod (handle, S_IRWXU);

    struct stat info
    {
    };

    const auto statted = ::fstat (handle, &info) == 0;
    const auto modeWrong = require == Require::onlyUserEnters ? (info.st_mode & 07777) != S_IRWXU
                                                              : (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;

    if (! statted || info.st_uid != ::geteuid() || modeWrong)
    {
        problem = require == Require::onlyUserEnters
                      ? "the folder " + path + " is not private to this user (it must be the user's own, with mode 0700)"
                      : "the folder " + path + " is not this user's alone (it must be the user's own, and nobody else may write into it)";
        ::close (handle);
        handle = -1;
    }
}

juce::File PrivateFolder::getPathWithoutLinks() const
{
    if (handle < 0)
        return {};

    char* real = ::realpath (folder.getFullPathName().toRawUTF8(), nullptr);

    if (real == nullptr)
        return {};

    const auto resolved = juce::File (juce::String (juce::CharPointer_UTF8 (real)));
    std::free (real);

    // The name must still lead to the folder that was checked.
    struct stat opened
    {
    }, named {};

    if (::fstat (handle, &opened) != 0 || ::stat (resolved.getFullPathName().toRawUTF8(), &named) != 0
        || opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
        return {};

    return resolved;
}

PrivateFolder::~PrivateFolder()
{
    if (handle >= 0)
        ::close (handle);
}

juce::Result PrivateFolder::replaceFile (const juce::String& name, const juce::MemoryBlock& data, int permissions) const
{
    return replaceFile (name, data.getData(), data.getSize(), permissions);
}

juce::Result PrivateFolder::replaceFile (const juce::String& name, const void* data, size_t size, int permissions) const
{
    if (handle < 0)
        return juce::Result::fail (problem);

    // Checked before anything is removed: "../x" would reach out of the folder.
    if (name.isEmpty() || name == "." || name == ".." || name.containsChar ('/'))
        return juce::Result::fail ("\"" + name + "\" is not a file name");

    // Only this user can have put it here; a link is removed itself, and what it points at stays as it is.
    if (::unlinkat (handle, name.toRawUTF8(), 0) != 0 && errno != ENOENT)
        return juce::Result::fail ("the old file cannot be removed (" + WholeFileWriter::describeError (errno) + ")");

    return WholeFileWriter::writeNew (handle, name, data, size, permissions);
}

juce::File PrivateFolder::inRuntimeFolder (const juce::String& name, const juce::File& fallback)
{
    const auto runtime = juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {});
    struct stat info
    {
    };

    if (juce::File::isAbsolutePath (runtime) && ::stat (runtime.toRawUTF8(), &info) == 0 && S_ISDIR (info.st_mode)
        && info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return juce::File (runtime).getChildFile (name);

    return fallback;
}
