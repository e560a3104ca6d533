// The window's environment: the machine's (Environment.h), and what only
// the window takes from the machine. The program makes it in main(); tests
// fill their own.
#pragma once
#include "Environment.h"

struct CAppEnvironment : CEnvironment {
};
