#include "platform/SystemError.h"

#include <windows.h>

int SystemError::last() { return (int) ::GetLastError(); }

juce::String SystemError::systemWords (int error)
{
    wchar_t* text = nullptr;
    const auto length = ::FormatMessageW (FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, (DWORD) error, 0, (LPWSTR) &text, 0, nullptr);

    if (length == 0 || text == nullptr)
        return "system error " + juce::String (error);

    auto words = juce::String (text).trim();
    ::LocalFree (text);

    while (words.endsWithChar ('.'))
        words = words.dropLastCharacters (1);

    return words;
}

juce::String SystemError::describe (int error)
{
    switch (error)
    {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return "the disk is full";
        case ERROR_WRITE_PROTECT: return "the disk is read-only";
        case ERROR_ACCESS_DENIED: return "permission denied";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT: return "it is open in another program";
        case ERROR_CRC:
        case ERROR_IO_DEVICE: return "the disk reported an error";
        case ERROR_PATH_NOT_FOUND: return "the folder does not exist";
        case ERROR_FILE_NOT_FOUND: return "it does not exist";
        case ERROR_DIRECTORY: return "a part of the path is not a folder";
        case ERROR_FILENAME_EXCED_RANGE: return "the name is too long";
        case ERROR_CANT_RESOLVE_FILENAME: return "too many links";
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA: return "nothing reads it any more";
        default: return systemWords (error).toLowerCase();
    }
}

bool SystemError::isDiskFull (int error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

bool SystemError::isDenied (int error) { return error == ERROR_ACCESS_DENIED; }

bool SystemError::isReadOnlyDisk (int error) { return error == ERROR_WRITE_PROTECT; }

bool SystemError::isMissing (int error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool SystemError::isNotFolder (int error) { return error == ERROR_DIRECTORY; }

bool SystemError::isAlreadyThere (int error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

bool SystemError::isLinkLoop (int error) { return error == ERROR_CANT_RESOLVE_FILENAME; }

bool SystemError::isInUse (int error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_USER_MAPPED_FILE
           || error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

int SystemError::diskFull() { return ERROR_DISK_FULL; }

int SystemError::ioFailed() { return ERROR_IO_DEVICE; }
