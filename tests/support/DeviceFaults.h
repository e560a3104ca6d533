// Faults to inject into the memory device during one operation, counted
// from the operation's first transfer: the first, a middle and the last
// read, write and write-back, every flush, and the card vanishing half-way.
// A fault
// matrix runs the operation once without faults to count its transfers,
// then once per fault.
#pragma once
#include "MemoryDevice.h"

#include <string>
#include <vector>

struct DeviceFault {
    std::string name;
    int failRead = 0;    // the n-th read of the operation fails (1-based); 0 none
    int failWrite = 0;   // the n-th write
    int failFlush = 0;   // the n-th flush
    int failWriteBack = 0; // the n-th write-back
    int vanishAfter = 0; // the card vanishes after this many calls of the operation; 0 never

    // Arms the fault on `card`, whose device has made `callsSoFar` calls
    // (reads, writes and flushes) before the operation starts.
    void Arm(MemoryDeviceState& card, int callsSoFar) const;
};

// What an operation did to the device, counted during a run without faults.
struct TransferCounts {
    int reads = 0;
    int writes = 0;
    int flushes = 0;
    int writeBacks = 0;
    int cacheDrops = 0;
    int Calls() const { return reads + writes + flushes + writeBacks + cacheDrops; }
};

// The counts of `card` now minus `before`.
TransferCounts CountsSince(const MemoryDeviceState& card, const TransferCounts& before);
TransferCounts CountsOf(const MemoryDeviceState& card);

// First, middle and last read, write and write-back (those that exist),
// every flush, and vanishing after half of the calls.
std::vector<DeviceFault> StandardFaults(const TransferCounts& counts);
