#include "platform/ProcessSetup.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ProcessSetup::shareOneHeap()
{
#if defined(__GLIBC__)
    mallopt (M_ARENA_MAX, 1);
#endif
}
