#include "SystemError.h"

#include <cerrno>
#include <cstring>

juce::String SystemError::describeErrno (int error)
{
    switch (error)
    {
        case ENOSPC: return "the disk is full";
#if defined(EDQUOT)
        case EDQUOT: return "the disk quota is used up";
#endif
        case EROFS: return "the disk is read-only";
        case EACCES:
        case EPERM: return "permission denied";
        case EIO: return "the disk reported an error";
        case ENOENT: return "the folder does not exist";
        case ENOTDIR: return "a part of the path is not a folder";
        case ENAMETOOLONG: return "the name is too long";
#if defined(ELOOP)
        case ELOOP: return "too many links";
#endif
        case EPIPE: return "nothing reads it any more";
        default: return juce::String (std::strerror (error)).toLowerCase();
    }
}
