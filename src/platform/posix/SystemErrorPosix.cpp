#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

int SystemError::last() { return errno; }

juce::String SystemError::describe (int error) { return describeErrno (error); }

juce::String SystemError::systemWords (int error) { return std::strerror (error); }

bool SystemError::isDiskFull (int error) { return error == ENOSPC || error == EDQUOT; }

bool SystemError::isMissing (int error) { return error == ENOENT; }

bool SystemError::isNotFolder (int error) { return error == ENOTDIR; }

bool SystemError::isAlreadyThere (int error) { return error == EEXIST; }

bool SystemError::isLinkLoop (int error) { return error == ELOOP; }

bool SystemError::isDenied (int error) { return error == EACCES || error == EPERM; }

bool SystemError::isReadOnlyDisk (int error) { return error == EROFS; }

// A file open elsewhere can be replaced on POSIX systems.
bool SystemError::isInUse (int error) { return error == ETXTBSY; }

int SystemError::diskFull() { return ENOSPC; }

int SystemError::ioFailed() { return EIO; }
