#include "FileContents.h"
#include "ScopedFolder.h"
#include "model/BoundedFileReader.h"
#include "model/PrivateFolder.h"
#include "model/WholeFileWriter.h"
#include "platform/SystemError.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

// What only Windows does to files: sharing modes, the DACL and its devices.
using namespace FileContents;

namespace
{
    /** Another program's handle on a file, as it shares it. */
    struct Held
    {
        Held (const juce::File& file, DWORD share)
            : handle (::CreateFileW (file.getFullPathName().toWideCharPointer(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr))
        {
        }

        ~Held() { ::CloseHandle (handle); }

        HANDLE handle;
    };

    juce::String userSid()
    {
        HANDLE token = nullptr;
        BYTE buffer[256] {};
        DWORD size = 0;
        wchar_t* text = nullptr;

        if (! ::OpenProcessToken (::GetCurrentProcess(), TOKEN_QUERY, &token))
            return {};

        ::GetTokenInformation (token, TokenUser, buffer, sizeof (buffer), &size);
        ::CloseHandle (token);
        ::ConvertSidToStringSidW (reinterpret_cast<TOKEN_USER*> (buffer)->User.Sid, &text);
        const auto sid = juce::String (text);
        ::LocalFree (text);
        return sid;
    }
}

TEST (FilesOnWindows, AFileAnotherProgramHoldsWithoutSharingItsNameIsKeptAndTheMessageSaysWhy)
{
    ScopedFolder dir;
    const auto file = dir.file ("Held.vsk");

    for (const DWORD share : { (DWORD) FILE_SHARE_READ, (DWORD) (FILE_SHARE_READ | FILE_SHARE_WRITE) })
    {
        ASSERT_TRUE (WholeFileWriter::write (file, bytesFrom ("old bytes")).wasOk());

        {
            const Held other (file, share);
            ASSERT_NE (other.handle, INVALID_HANDLE_VALUE);

            const auto result = WholeFileWriter::write (file, bytesFrom ("new bytes"));
            EXPECT_TRUE (result.getErrorMessage().contains ("open in another program")) << result.getErrorMessage();
            EXPECT_EQ (textOf (file), "old bytes");
        }

        EXPECT_EQ (namesIn (dir.folder), "Held.vsk") << "a temporary file was left";
    }
}

TEST (FilesOnWindows, DevicesAreNotFilesWhateverTheirExtension)
{
    juce::MemoryBlock data;

    for (const auto* name : { "\\\\.\\NUL", "NUL", "nul.vsk", "COM1.syx", "con" })
    {
        const auto device = juce::File::getCurrentWorkingDirectory().getChildFile (name);
        EXPECT_EQ (BoundedFileReader::read (juce::String (name).startsWith ("\\\\") ? juce::File (name) : device, 10, data).getErrorMessage(),
                   "is a device, not a file")
            << name;
    }
}

TEST (FilesOnWindows, APrivateFolderIsMadeForTheUserAloneAndCannotBeRenamedWhileHeld)
{
    ScopedFolder dir;
    const auto place = dir.file ("private");

    {
        PrivateFolder folder (place, true);
        ASSERT_TRUE (folder.isOpen()) << folder.getProblem();
        EXPECT_FALSE (::MoveFileW (place.getFullPathName().toWideCharPointer(), dir.file ("moved").getFullPathName().toWideCharPointer()));
        EXPECT_EQ (folder.getPathWithoutLinks().getFileName(), "private");
        EXPECT_FALSE (folder.getPathWithoutLinks().getFullPathName().startsWith ("\\\\?\\"));
    }

    // The user's alone (Wine adds the system, as it does to every file).
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ (::GetNamedSecurityInfoW (place.getFullPathName().toWideCharPointer(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                        nullptr, &dacl, nullptr, &descriptor),
               (DWORD) ERROR_SUCCESS);
    ASSERT_NE (dacl, nullptr);
    EXPECT_GE (dacl->AceCount, 1);

    for (DWORD i = 0; i < dacl->AceCount; ++i)
    {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE (::GetAce (dacl, i, reinterpret_cast<void**> (&ace)));
        wchar_t* sid = nullptr;
        ::ConvertSidToStringSidW (&ace->SidStart, &sid);
        EXPECT_TRUE (juce::String (sid) == juce::String (userSid()) || ::IsWellKnownSid (&ace->SidStart, WinLocalSystemSid)) << juce::String (sid);
        ::LocalFree (sid);
    }

    ::LocalFree (descriptor);
}

TEST (FilesOnWindows, AFolderEverybodyMayWriteIntoIsRefused)
{
    ScopedFolder dir;
    const auto open = dir.file ("open to all");
    ASSERT_TRUE (open.createDirectory().wasOk());
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE (::ConvertStringSecurityDescriptorToSecurityDescriptorW (L"D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
    ASSERT_TRUE (::SetFileSecurityW (open.getFullPathName().toWideCharPointer(), DACL_SECURITY_INFORMATION, descriptor));
    ::LocalFree (descriptor);

    for (const auto require : { PrivateFolder::Require::onlyUserEnters, PrivateFolder::Require::onlyUserWrites })
    {
        const PrivateFolder folder (open, true, require);
        EXPECT_FALSE (folder.isOpen());
        EXPECT_TRUE (folder.getProblem().contains ("open to all")) << folder.getProblem();
    }

    // The user's own folder, which others may only read, is the user's alone.
    EXPECT_TRUE (PrivateFolder (dir.folder, false, PrivateFolder::Require::onlyUserWrites).isOpen());
}

TEST (FilesOnWindows, BothOfWindowsFullDiskCodesAreAFullDisk)
{
    EXPECT_TRUE (SystemError::isDiskFull (ERROR_DISK_FULL));
    EXPECT_TRUE (SystemError::isDiskFull (ERROR_HANDLE_DISK_FULL));
    EXPECT_FALSE (SystemError::isDiskFull (ERROR_ACCESS_DENIED));
    EXPECT_EQ (SystemError::describe (ERROR_HANDLE_DISK_FULL), "the disk is full");
    EXPECT_TRUE (SystemError::isInUse (ERROR_SHARING_VIOLATION));
}

TEST (FilesOnWindows, AReplacedFileKeepsItsAttributes)
{
    ScopedFolder dir;
    const auto file = dir.file ("Hidden.vsk");
    ASSERT_TRUE (WholeFileWriter::write (file, bytesFrom ("old")).wasOk());
    const auto path = file.getFullPathName().toWideCharPointer();
    ASSERT_TRUE (::SetFileAttributesW (path, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));

    if ((::GetFileAttributesW (path) & FILE_ATTRIBUTE_HIDDEN) == 0)
        GTEST_SKIP() << "this disk keeps no attributes (Wine without extended attributes)";

    ASSERT_TRUE (WholeFileWriter::write (file, bytesFrom ("new")).wasOk());
    EXPECT_EQ (textOf (file), "new");
    EXPECT_NE (::GetFileAttributesW (path) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ (namesIn (dir.folder), "Hidden.vsk") << "the old file's backup was left";
}

TEST (FilesOnWindows, ANameInAPrivateFolderIsOneNameNotAStreamOrAPath)
{
    ScopedFolder dir;
    const PrivateFolder folder (dir.file ("private"), true);
    ASSERT_TRUE (folder.isOpen()) << folder.getProblem();

    for (const auto* name : { "a.mid:stream", "..\\escape.mid", "sub\\x.mid", "C:x.mid" })
        EXPECT_TRUE (folder.replaceFile (name, bytesFrom ("x"), 0600).failed()) << name;

    EXPECT_EQ (namesIn (dir.file ("private")), "");
    EXPECT_FALSE (dir.file ("escape.mid").exists());
}
