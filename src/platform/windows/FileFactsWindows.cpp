#include "platform/windows/FileFactsWindows.h"

#include <aclapi.h>
#include <sddl.h>
#include <winioctl.h>

#include <vector>

namespace
{
    using namespace WindowsFiles;

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
}

namespace WindowsFiles
{
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

    // A link shows no reparse point under Wine (a Unix link), but the
    // system's final path still goes to where it leads.
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
