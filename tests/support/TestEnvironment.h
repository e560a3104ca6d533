// What tests put in an environment (Environment.h) in place of the
// machine's: no card readers, so that only the card images a test names
// are drives, and an opener that opens every card on a device in memory.
#pragma once
#include "Environment.h"
#include "MemoryDevice.h"

#include <memory>
#include <vector>

// The card readers of a machine without any.
std::vector<CardCandidate> NoCardReaders();

// Opens every card, whatever its path, on `state` (shared, not copied).
DeviceOpener OpenerOf(std::shared_ptr<MemoryDeviceState> state);
