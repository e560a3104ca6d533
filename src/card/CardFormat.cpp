// Formatting of CDisk: empty tables for an opened card. The cluster area is
// left as it is; writing the empty tables is the caller's WriteFAT.
#include "CDisk.h"

#include "Log.h"

void CDisk::Format()
{
    if (!IsOpen())
        return;
    LogMessage("CDisk::Format()");
    Clear();
    UpdateFreeSpace();
    loaded_ = true;
}
