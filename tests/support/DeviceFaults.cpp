#include "DeviceFaults.h"

#include <set>

void DeviceFault::Arm(MemoryDeviceState& card, int callsSoFar) const
{
    card.failRead = failRead > 0 ? card.reads + failRead : 0;
    card.failWrite = failWrite > 0 ? card.writes + failWrite : 0;
    card.failFlush = failFlush > 0 ? card.flushes + failFlush : 0;
    card.failWriteBack = failWriteBack > 0 ? card.writeBacks + failWriteBack : 0;
    card.vanishAfterCalls = vanishAfter > 0 ? callsSoFar + vanishAfter : 0;
}

TransferCounts CountsOf(const MemoryDeviceState& card)
{
    return TransferCounts{card.reads, card.writes, card.flushes, card.writeBacks, card.cacheDrops};
}

TransferCounts CountsSince(const MemoryDeviceState& card, const TransferCounts& before)
{
    return TransferCounts{card.reads - before.reads, card.writes - before.writes, card.flushes - before.flushes,
                          card.writeBacks - before.writeBacks, card.cacheDrops - before.cacheDrops};
}

namespace {

void AddFirstMiddleLast(std::vector<DeviceFault>& out, int count, const char* kind, int DeviceFault::*field)
{
    std::set<int> picked;
    for (int n : {1, (count + 1) / 2, count}) {
        if (n < 1 || n > count || !picked.insert(n).second)
            continue;
        DeviceFault f;
        f.name = std::string(kind) + " " + std::to_string(n) + " of " + std::to_string(count) + " fails";
        f.*field = n;
        out.push_back(f);
    }
}

} // namespace

std::vector<DeviceFault> StandardFaults(const TransferCounts& counts)
{
    std::vector<DeviceFault> out;
    AddFirstMiddleLast(out, counts.reads, "read", &DeviceFault::failRead);
    AddFirstMiddleLast(out, counts.writes, "write", &DeviceFault::failWrite);
    AddFirstMiddleLast(out, counts.writeBacks, "write-back", &DeviceFault::failWriteBack);
    for (int n = 1; n <= counts.flushes; ++n) {
        DeviceFault f;
        f.name = "flush " + std::to_string(n) + " of " + std::to_string(counts.flushes) + " fails";
        f.failFlush = n;
        out.push_back(f);
    }
    if (counts.Calls() > 1) {
        DeviceFault f;
        f.vanishAfter = counts.Calls() / 2;
        f.name = "card vanishes after " + std::to_string(f.vanishAfter) + " of " + std::to_string(counts.Calls()) + " calls";
        out.push_back(f);
    }
    return out;
}
