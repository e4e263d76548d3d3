#include "platform/ProcessSetup.h"

// Windows' heap is shared by every thread of a process already.
void ProcessSetup::shareOneHeap()
{
}
