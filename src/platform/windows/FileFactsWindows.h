#pragma once

#include "platform/FileSystem.h"

#include <windows.h>

#include <string>

/**
    What FileSystemWindows.cpp asks of Windows about a file: its facts (kind,
    identity, owner, who else may write), its final path, whether its name is a
    device's, and the handles that ask.
*/
namespace WindowsFiles
{
    inline int lastError() { return (int) ::GetLastError(); }

    inline int errorOf (BOOL done) { return done ? 0 : lastError(); }

    inline std::wstring wide (const juce::String& text) { return text.toWideCharPointer(); }

    inline std::wstring wide (const juce::File& file) { return wide (file.getFullPathName()); }

    inline HANDLE openPath (const juce::File& path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
    {
        return ::CreateFileW (wide (path).c_str(), access, share, nullptr, disposition, flags, nullptr);
    }

    constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

    /** Closes what it holds. */
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
    PSID userSid();

    /** A SID as text, or "an unknown owner". */
    juce::String sidText (PSID sid);

    /** Facts of an open handle; linksFollowed when it was opened through links. */
    int factsOf (HANDLE handle, bool linksFollowed, FileFacts& facts);

    /** Windows' names for devices rather than files: \\.\anything, CON, NUL, COM1 ... */
    bool isDeviceName (const juce::File& path);

    /** The final path of an open file, without the \\?\ that SQLite and people do not expect. */
    juce::File finalPath (HANDLE handle);

    /** Whether what was found at final is the one named, not one a link
        leads to. Links above it do not count. */
    bool isWhereItIsNamed (const juce::File& named, const juce::File& final);

    /** Facts of what is at path, with or without following a link at its end. */
    int lookAtPath (const juce::File& path, bool followLinks, FileFacts& facts);

    /** Removes a file, or a link to a folder without what it points at. */
    int removePath (const juce::File& path);
}
