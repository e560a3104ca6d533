// Transfers of runs of clusters in one request (the card tests).
#include "CDisk.h"

#include "Log.h"

namespace {

bool RunInside(int first, int count, std::uint32_t total)
{
    return first >= 0 && count > 0 &&
           static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(count) <= total;
}

} // namespace

int CDisk::ReadClusters(int first, int count, std::uint8_t* buffer, bool quiet)
{
    const long long bytes = static_cast<long long>(count) * kClusterSize;
    int ok = 0;
    if (device_ && RunInside(first, count, totalClusters_))
        ok = device_->ReadAt(ClusterOffset(static_cast<std::uint64_t>(first)), buffer,
                             static_cast<std::size_t>(bytes)) == bytes
                 ? 1
                 : 0;
    LogMessage("read clusters # %d+%d: %d", first, count, ok);
    if (!ok && !quiet)
        ReportError(false);
    return ok;
}

int CDisk::WriteClusters(int first, int count, const std::uint8_t* buffer, bool quiet)
{
    const long long bytes = static_cast<long long>(count) * kClusterSize;
    int ok = 0;
    // Nothing is written over a move left half-done (see MoveUnfinished),
    // nor to a card open for reading alone.
    if (!moveUnfinished_ && writable_ && device_ && RunInside(first, count, totalClusters_)) {
        const std::uint64_t offset = ClusterOffset(static_cast<std::uint64_t>(first));
        ok = device_->WriteAt(offset, buffer, static_cast<std::size_t>(bytes)) == bytes &&
                     writeBack_.Written(*device_, offset, static_cast<std::uint64_t>(bytes))
                 ? 1
                 : 0;
    }
    LogMessage("write clusters # %d+%d: %d, error: %d", first, count, ok, device_ ? device_->LastError() : 0);
    if (!ok && !quiet)
        ReportError(true);
    return ok;
}
