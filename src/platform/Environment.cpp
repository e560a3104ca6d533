#include "Environment.h"

const CEnvironment& HostEnvironment()
{
    static const CEnvironment host;
    return host;
}
