#include "platform/FileSystem.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <winioctl.h>

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

namespace
{
    int lastError() { return (int) ::GetLastError(); }

    int errorOf (BOOL done) { return done ? 0 : lastError(); }

    std::wstring wide (const juce::String& text) { return text.toWideCharPointer(); }

    std::wstring wide (const juce::File& file) { return wide (file.getFullPathName()); }

    HANDLE openPath (const juce::File& path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
    {
        return ::CreateFileW (wide (path).c_str(), access, share, nullptr, disposition, flags, nullptr);
    }

    constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

    struct Handle
    {
        explicit Handle (HANDLE h) : handle (h) {}
        ~Handle()
        {
            if (handle != INVALID_HANDLE_VALUE)
                ::CloseHandle (handle);
        }

        bool isOpen() const { return handle != INVALID_HANDLE_VALUE; }

        HANDLE handle;
    };

    /** The process's user, as the token says. */
    PSID userSid()
    {
        static const std::vector<BYTE> user = []
        {
            std::vector<BYTE> bytes;
            HANDLE token = nullptr;

            if (::OpenProcessToken (::GetCurrentProcess(), TOKEN_QUERY, &token))
            {
                DWORD size = 0;
                ::GetTokenInformation (token, TokenUser, nullptr, 0, &size);
                bytes.resize (size);

                if (size == 0 || ! ::GetTokenInformation (token, TokenUser, bytes.data(), size, &size))
                    bytes.clear();

                ::CloseHandle (token);
            }

            return bytes;
        }();

        return user.empty() ? nullptr : reinterpret_cast<const TOKEN_USER*> (user.data())->User.Sid;
    }

    juce::String sidText (PSID sid)
    {
        wchar_t* text = nullptr;

        if (sid == nullptr || ! ::ConvertSidToStringSidW (sid, &text))
            return "an unknown owner";

        const auto result = juce::String (text);
        ::LocalFree (text);
        return result;
    }

    bool isWellKnown (PSID sid, WELL_KNOWN_SID_TYPE type)
    {
        return ::IsWellKnownSid (sid, type) != FALSE;
    }

    /** Whether an entry of the DACL lets someone other than the user, the
        system or the administrators write or change the file. */
    bool othersMayWrite (PACL dacl)
    {
        // No DACL at all: everybody may do anything.
        if (dacl == nullptr)
            return true;

        constexpr DWORD writes = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD
                                 | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

        for (DWORD i = 0; i < dacl->AceCount; ++i)
        {
            ACE_HEADER* header = nullptr;

            if (! ::GetAce (dacl, i, reinterpret_cast<void**> (&header)) || header->AceType != ACCESS_ALLOWED_ACE_TYPE
                || (header->AceFlags & INHERIT_ONLY_ACE) != 0)
                continue;

            const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*> (header);
            auto* sid = (PSID) &ace->SidStart;

            if ((ace->Mask & writes) == 0 || ::EqualSid (sid, userSid()) || isWellKnown (sid, WinLocalSystemSid)
                || isWellKnown (sid, WinBuiltinAdministratorsSid) || isWellKnown (sid, WinCreatorOwnerSid))
                continue;

            return true;
        }

        return false;
    }

    /** Owner and writers from the handle's security; a disk that keeps none (FAT) is taken as the user's. */
    void securityOf (HANDLE handle, FileFacts& facts)
    {
        PSID owner = nullptr;
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;

        const auto error = ::GetSecurityInfo (handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                              nullptr, &dacl, nullptr, &descriptor);

        // Not even allowed to read who owns it: not the user's.
        if (error == ERROR_ACCESS_DENIED)
        {
            facts.ownedByUser = false;
            facts.owner = "another user";
            return;
        }

        if (error != ERROR_SUCCESS)
        {
            facts.ownedByUser = true;
            facts.owner = "the user";
            facts.othersMayWrite = false;
            return;
        }

        facts.ownedByUser = owner != nullptr && userSid() != nullptr && ::EqualSid (owner, userSid());
        facts.owner = sidText (owner);
        facts.othersMayWrite = othersMayWrite (dacl);
        ::LocalFree (descriptor);
    }

    int factsOf (HANDLE handle, bool linksFollowed, FileFacts& facts)
    {
        facts = {};
        const auto type = ::GetFileType (handle);

        if (type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR)
        {
            facts.kind = type == FILE_TYPE_PIPE ? FileFacts::Kind::pipe : FileFacts::Kind::device;
            facts.ownedByUser = true;
            return 0;
        }

        BY_HANDLE_FILE_INFORMATION info {};

        if (! ::GetFileInformationByHandle (handle, &info))
            return lastError();

        facts.identity = { (juce::uint64) info.dwVolumeSerialNumber,
                           ((juce::uint64) info.nFileIndexHigh << 32) | info.nFileIndexLow };
        facts.size = (juce::int64) (((juce::uint64) info.nFileSizeHigh << 32) | info.nFileSizeLow);
        facts.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileFacts::Kind::folder : FileFacts::Kind::file;

        // Symbolic links and junctions are links; other reparse points (a
        // cloud file's placeholder) are what they hold.
        if (! linksFollowed && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        {
            FILE_ATTRIBUTE_TAG_INFO tag {};

            if (::GetFileInformationByHandleEx (handle, FileAttributeTagInfo, &tag, sizeof (tag))
                && (tag.ReparseTag == IO_REPARSE_TAG_SYMLINK || tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT))
                facts.kind = FileFacts::Kind::link;
        }

        facts.noWriteBits = facts.kind == FileFacts::Kind::file && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        securityOf (handle, facts);
        return 0;
    }

    /** Windows' names for devices rather than files: \\.\anything, CON, NUL, COM1 ... */
    bool isDeviceName (const juce::File& path)
    {
        const auto full = path.getFullPathName();

        if (full.startsWith ("\\\\.\\") || (full.startsWith ("\\\\?\\") && ! full.substring (5, 6).equalsIgnoreCase (":") && ! full.startsWithIgnoreCase ("\\\\?\\UNC\\")))
            return true;

        const auto stem = path.getFileNameWithoutExtension().trimEnd().toUpperCase();

        for (const auto* name : { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$" })
            if (stem == name)
                return true;

        return stem.length() == 4 && (stem.startsWith ("COM") || stem.startsWith ("LPT")) && juce::CharacterFunctions::isDigit (stem[3]);
    }

    /** The final path of an open file, without the \\?\ that SQLite and people do not expect. */
    juce::File finalPath (HANDLE handle)
    {
        std::vector<wchar_t> text (1024);

        for (int attempt = 0; attempt < 2; ++attempt)
        {
            const auto length = ::GetFinalPathNameByHandleW (handle, text.data(), (DWORD) text.size(), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);

            if (length == 0)
                return {};

            if (length >= text.size())
            {
                text.resize (length + 1);
                continue;
            }

            auto path = juce::String (text.data(), (size_t) length);

            if (path.startsWith ("\\\\?\\UNC\\"))
                path = "\\\\" + path.substring (8);
            else if (path.startsWith ("\\\\?\\") && path.length() <= MAX_PATH + 4)
                path = path.substring (4);

            return juce::File (path);
        }

        return {};
    }

    int lookAtPath (const juce::File& path, bool followLinks, FileFacts& facts);

    /** Whether what was found at final is the one named, not one a link
        leads to: a link shows no reparse point under Wine (a Unix link), but
        the system's final path still goes to where it leads. Links above
        it do not count. */
    bool isWhereItIsNamed (const juce::File& named, const juce::File& final)
    {
        // Where the system cannot tell the final path, the reparse point alone decides.
        if (final == juce::File())
            return true;

        FileFacts namedParent, finalParent;
        return named.getFileName().equalsIgnoreCase (final.getFileName())
               && lookAtPath (named.getParentDirectory(), true, namedParent) == 0
               && lookAtPath (final.getParentDirectory(), true, finalParent) == 0 && namedParent.identity == finalParent.identity;
    }

    int lookAtPath (const juce::File& path, bool followLinks, FileFacts& facts)
    {
        if (isDeviceName (path))
        {
            facts = {};
            facts.kind = FileFacts::Kind::device;
            facts.ownedByUser = true;
            return 0;
        }

        // Attributes and security only: this opens even a file another
        // program holds without sharing. One whose security this user may not
        // read is looked at all the same (and is not the user's).
        const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0u : (DWORD) FILE_FLAG_OPEN_REPARSE_POINT);
        Handle h (openPath (path, FILE_READ_ATTRIBUTES | READ_CONTROL, shareAll, OPEN_EXISTING, flags));

        if (! h.isOpen() && ::GetLastError() == ERROR_ACCESS_DENIED)
            h.handle = openPath (path, FILE_READ_ATTRIBUTES, shareAll, OPEN_EXISTING, flags);

        if (! h.isOpen())
            return lastError();

        const auto error = factsOf (h.handle, followLinks, facts);

        if (error == 0 && ! followLinks && facts.kind != FileFacts::Kind::link && ! isWhereItIsNamed (path, finalPath (h.handle)))
            facts.kind = FileFacts::Kind::link;

        return error;
    }

    int opened (HANDLE handle, FileHandle::Native& native)
    {
        native.handle = handle;
        return handle != INVALID_HANDLE_VALUE ? 0 : lastError();
    }

    int removePath (const juce::File& path)
    {
        if (::DeleteFileW (wide (path).c_str()))
            return 0;

        const auto error = lastError();

        // A link to a folder goes as a folder does, leaving what it points at.
        const auto attributes = ::GetFileAttributesW (wide (path).c_str());

        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
            && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
            return errorOf (::RemoveDirectoryW (wide (path).c_str()));

        return error;
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
