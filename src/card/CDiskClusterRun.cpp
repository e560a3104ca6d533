// Runs of clusters read in one request (the read-back).
#include "CDisk.h"

#include "AlignedBuffer.h"
#include "Log.h"

const std::uint8_t* CDisk::ReadClusterRun(int first, int count, CAlignedBuffer& buffer, bool quiet)
{
    if (count <= 0 || !SeekCluster(first) || static_cast<std::uint32_t>(first) + static_cast<std::uint32_t>(count) > totalClusters_) {
        if (!quiet)
            ReportError(false);
        return nullptr;
    }
    const std::uint64_t from = ClusterOffset(static_cast<std::uint64_t>(first));
    const std::uint64_t end = ClusterOffset(static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(count));
    // Direct reads take whole logical blocks: the run is widened to them,
    // unless that would reach past the end of the device.
    const std::size_t align = device_->DirectReadAlignment();
    std::uint64_t start = from;
    std::uint64_t stop = end;
    bool direct = false;
    if (align > 0) {
        start = from / align * align;
        stop = (end + align - 1) / align * align;
        direct = stop <= device_->SizeBytes();
        if (!direct) {
            start = from;
            stop = end;
        }
    }
    const std::size_t len = static_cast<std::size_t>(stop - start);
    int ok = 0;
    if (buffer.Reserve(len, align)) {
        const long long got = direct ? device_->ReadDirectAt(start, buffer.Data(), len)
                                     : device_->ReadAt(start, buffer.Data(), len);
        ok = got == static_cast<long long>(len) ? 1 : 0;
    }
    LogMessage("read clusters # %d to %d%s: %d", first, first + count - 1, direct ? " direct" : "", ok);
    if (!ok) {
        if (!quiet)
            ReportError(false);
        return nullptr;
    }
    return buffer.Data() + (from - start);
}
