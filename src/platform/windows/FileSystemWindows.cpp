#include "platform/FileSystem.h"
#include "platform/windows/FileFactsWindows.h"

#include <sddl.h>

#include <vector>

struct FileHandle::Native
{
    HANDLE handle = INVALID_HANDLE_VALUE;
};

struct OpenFolder::Native
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    juce::File path; // the held folder's final path; it cannot be renamed while held
};

using namespace WindowsFiles;

namespace
{
    int opened (HANDLE handle, FileHandle::Native& native)
    {
        native.handle = handle;
        return handle != INVALID_HANDLE_VALUE ? 0 : lastError();
    }
}

//==============================================================================
FileHandle::FileHandle() : native (std::make_unique<Native>()) {}

FileHandle::~FileHandle() { juce::ignoreUnused (close()); }

bool FileHandle::isOpen() const noexcept { return native->handle != INVALID_HANDLE_VALUE; }

int FileHandle::write (const void* data, size_t size, size_t& written)
{
    DWORD n = 0;
    const auto done = ::WriteFile (native->handle, data, (DWORD) juce::jmin (size, (size_t) 1 << 30), &n, nullptr);
    written = n;
    return errorOf (done);
}

int FileHandle::read (void* data, size_t size, size_t& got)
{
    DWORD n = 0;
    const auto done = ::ReadFile (native->handle, data, (DWORD) juce::jmin (size, (size_t) 1 << 30), &n, nullptr);
    got = n;

    if (! done && (::GetLastError() == ERROR_HANDLE_EOF || ::GetLastError() == ERROR_BROKEN_PIPE))
        return 0;

    return errorOf (done);
}

int FileHandle::readAt (void* data, size_t size, juce::int64 offset, size_t& got)
{
    OVERLAPPED at {};
    at.Offset = (DWORD) (offset & 0xffffffff);
    at.OffsetHigh = (DWORD) (offset >> 32);
    DWORD n = 0;
    const auto done = ::ReadFile (native->handle, data, (DWORD) juce::jmin (size, (size_t) 1 << 30), &n, &at);
    got = n;

    if (! done && ::GetLastError() == ERROR_HANDLE_EOF)
        return 0;

    return errorOf (done);
}

int FileHandle::lookAt (FileFacts& facts) const { return factsOf (native->handle, true, facts); }

// ReplaceFileW gives the new file the old one's attributes and security.
void FileHandle::takeOwnershipOf (const FileFacts&) {}

// A new file takes its folder's security.
void FileHandle::setPermissions (int) {}

int FileHandle::flush() { return errorOf (::FlushFileBuffers (native->handle)); }

int FileHandle::close()
{
    if (! isOpen())
        return 0;

    return errorOf (::CloseHandle (std::exchange (native->handle, INVALID_HANDLE_VALUE)));
}

//==============================================================================
OpenFolder::OpenFolder() : native (std::make_unique<Native>()) {}

OpenFolder::~OpenFolder() { close(); }

int OpenFolder::open (const juce::File& folder, bool followLink)
{
    close();

    // Without FILE_SHARE_DELETE: nobody can rename or remove the folder while it is held.
    const auto handle = openPath (folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT));

    if (handle == INVALID_HANDLE_VALUE)
        return lastError();

    native->handle = handle;
    FileFacts facts;
    auto error = factsOf (handle, followLink, facts);

    if (error == 0 && facts.kind == FileFacts::Kind::link)
        error = ERROR_CANT_RESOLVE_FILENAME;
    else if (error == 0 && facts.kind != FileFacts::Kind::folder)
        error = ERROR_DIRECTORY;
    else if (error == 0 && (native->path = finalPath (handle)) == juce::File())
        error = lastError() != 0 ? lastError() : ERROR_PATH_NOT_FOUND;
    else if (error == 0 && ! followLink && ! isWhereItIsNamed (folder, native->path))
        error = ERROR_CANT_RESOLVE_FILENAME;

    if (error != 0)
        close();

    return error;
}

int OpenFolder::create (const juce::File& folder)
{
    // Owned by the user (not the administrators, as an elevated token would
    // make it), and entered by the user alone.
    const auto user = sidText (userSid());
    PSECURITY_DESCRIPTOR descriptor = nullptr;

    if (userSid() == nullptr
        || ! ::ConvertStringSecurityDescriptorToSecurityDescriptorW (wide ("O:" + user + "D:P(A;OICI;FA;;;" + user + ")").c_str(),
                                                                     SDDL_REVISION_1, &descriptor, nullptr))
        return lastError();

    SECURITY_ATTRIBUTES attributes { sizeof (SECURITY_ATTRIBUTES), descriptor, FALSE };
    auto error = errorOf (::CreateDirectoryW (wide (folder).c_str(), &attributes));

    // Once more on the folder made: Wine keeps a DACL only when it is set on
    // a file that exists (it becomes the Unix mode).
    if (error == 0)
        error = errorOf (::SetFileSecurityW (wide (folder).c_str(), DACL_SECURITY_INFORMATION, descriptor));

    ::LocalFree (descriptor);
    return error;
}

bool OpenFolder::isOpen() const noexcept { return native->handle != INVALID_HANDLE_VALUE; }

void OpenFolder::close()
{
    if (isOpen())
        ::CloseHandle (std::exchange (native->handle, INVALID_HANDLE_VALUE));

    native->path = juce::File();
}

int OpenFolder::getDescriptor() const noexcept { return -1; }

int OpenFolder::lookAt (FileFacts& facts) const { return factsOf (native->handle, true, facts); }

juce::File OpenFolder::getPathWithoutLinks() const { return native->path; }

int OpenFolder::lookAt (const juce::String& name, FileFacts& facts) const
{
    if (! isPlainName (name))
        return ERROR_INVALID_NAME;

    return lookAtPath (native->path.getChildFile (name), false, facts);
}

int OpenFolder::createNew (const juce::String& name, int, bool forReading, FileHandle& file) const
{
    if (! isPlainName (name))
        return ERROR_INVALID_NAME;

    const auto access = (forReading ? GENERIC_READ : GENERIC_WRITE) | FILE_READ_ATTRIBUTES | READ_CONTROL;
    return opened (openPath (native->path.getChildFile (name), access, forReading ? shareAll : FILE_SHARE_READ, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT),
                   *file.native);
}

int OpenFolder::openToRead (const juce::String& name, FileHandle& file) const
{
    if (! isPlainName (name))
        return ERROR_INVALID_NAME;

    return opened (openPath (native->path.getChildFile (name), GENERIC_READ | READ_CONTROL, shareAll, OPEN_EXISTING,
                             FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS),
                   *file.native);
}

int OpenFolder::move (const juce::String& from, const juce::String& to) const
{
    if (! isPlainName (from) || ! isPlainName (to))
        return ERROR_INVALID_NAME;

    // Without MOVEFILE_REPLACE_EXISTING: whatever has the name stays.
    return errorOf (::MoveFileExW (wide (native->path.getChildFile (from)).c_str(), wide (native->path.getChildFile (to)).c_str(),
                                   MOVEFILE_WRITE_THROUGH));
}

int OpenFolder::remove (const juce::String& name) const
{
    if (! isPlainName (name))
        return ERROR_INVALID_NAME;

    return removePath (native->path.getChildFile (name));
}

// Windows writes a folder's entries through with the file (MOVEFILE_WRITE_THROUGH).
int OpenFolder::flush() const { return 0; }

bool OpenFolder::isPlainName (const juce::String& name)
{
    return ! (name.isEmpty() || name == "." || name == ".." || name.containsAnyOf ("/\\:"));
}

//==============================================================================
int FileSystem::lookAt (const juce::File& path, bool followLinks, FileFacts& facts)
{
    return lookAtPath (path, followLinks, facts);
}

int FileSystem::mayRead (const juce::File& path)
{
    const Handle h (openPath (path, GENERIC_READ, shareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    return h.isOpen() ? 0 : lastError();
}

int FileSystem::mayWrite (const juce::File& path)
{
    const auto attributes = ::GetFileAttributesW (wide (path).c_str());

    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return ERROR_ACCESS_DENIED;

    // Replacing needs what the replacement will ask for: to write it and to
    // take its name away, which another program's open without
    // FILE_SHARE_DELETE (or without FILE_SHARE_WRITE) forbids.
    const Handle h (openPath (path, FILE_WRITE_DATA | DELETE, shareAll, OPEN_EXISTING, 0));
    return h.isOpen() ? 0 : lastError();
}

juce::File FileSystem::realPath (const juce::String& path)
{
    // Windows tidies ".." up as text before it looks at a link: so does this.
    const auto full = juce::File::isAbsolutePath (path) ? juce::File (path) : juce::File::getCurrentWorkingDirectory().getChildFile (path);
    const Handle h (openPath (full, FILE_READ_ATTRIBUTES, shareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    return h.isOpen() ? finalPath (h.handle) : juce::File();
}

juce::File FileSystem::resolveLinks (const juce::File& target, juce::String*)
{
    // The file a write changes, as the system finds it: through symbolic
    // links, junctions anywhere in the path and (under Wine) Unix links,
    // which show no reparse point. One that leads nowhere is written as a name.
    const Handle h (openPath (target, FILE_READ_ATTRIBUTES, shareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    const auto final = h.isOpen() ? finalPath (h.handle) : juce::File();
    return final != juce::File() ? final : target;
}

int FileSystem::createNew (const juce::File& path, int, FileHandle& file)
{
    return opened (openPath (path, GENERIC_WRITE | FILE_READ_ATTRIBUTES | READ_CONTROL, FILE_SHARE_READ, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT),
                   *file.native);
}

int FileSystem::openToRead (const juce::File& path, FileHandle& file)
{
    return opened (openPath (path, GENERIC_READ | FILE_READ_ATTRIBUTES | READ_CONTROL, shareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL),
                   *file.native);
}

// Pipes are devices here and never opened; a read never waits.
void FileSystem::waitToRead (FileHandle&, int ms) { ::Sleep ((DWORD) juce::jlimit (0, 50, ms)); }

bool FileSystem::isNothingYet (int) { return false; }

int FileSystem::replace (const juce::File& replacement, const juce::File& target)
{
    const auto from = wide (replacement);
    const auto to = wide (target);

    if (! target.exists())
        return errorOf (::MoveFileExW (from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));

    // With a backup name, a failure halfway leaves every byte under some
    // name: the old file's own, or the backup's, which is moved back.
    const auto backup = target.getSiblingFile ("." + target.getFileName() + "." + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64())
                                               + ".old");

    const auto attributes = ::GetFileAttributesW (to.c_str());

    if (::ReplaceFileW (to.c_str(), from.c_str(), wide (backup).c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
    {
        removePath (backup);

        // Windows gives the new file the old one's attributes; Wine does not.
        constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

        if (attributes != INVALID_FILE_ATTRIBUTES && (::GetFileAttributesW (to.c_str()) & kept) != (attributes & kept))
            ::SetFileAttributesW (to.c_str(), attributes & kept);

        return 0;
    }

    const auto error = lastError();

    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
    {
        ::MoveFileExW (wide (backup).c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
        return ERROR_UNABLE_TO_MOVE_REPLACEMENT;
    }

    // A disk that cannot replace (some network shares): a plain move, which
    // keeps the bytes whole but not the old file's security.
    if (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION)
        return errorOf (::MoveFileExW (from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));

    return error;
}

int FileSystem::remove (const juce::File& path) { return removePath (path); }

// Windows writes a folder's entries through with the file (MOVEFILE_WRITE_THROUGH).
int FileSystem::flushFolder (const juce::File&) { return 0; }

// NTFS has no fixed number of entries.
bool FileSystem::isOutOfFileEntries (const juce::File&) { return false; }

bool FileSystem::isSystemView (const juce::File& realPath) { return isDeviceName (realPath); }

int FileSystem::list (const juce::File& folder, juce::StringArray& names)
{
    WIN32_FIND_DATAW found {};
    const auto handle = ::FindFirstFileExW (wide (folder.getChildFile ("*")).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);

    if (handle == INVALID_HANDLE_VALUE)
        return lastError() == ERROR_FILE_NOT_FOUND ? 0 : lastError();

    do
    {
        const auto name = juce::String (found.cFileName);

        if (name != "." && name != "..")
            names.add (name);
    } while (::FindNextFileW (handle, &found));

    const auto error = lastError();
    ::FindClose (handle);
    return error == ERROR_NO_MORE_FILES ? 0 : error;
}
