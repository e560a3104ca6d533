// Runs of clusters read in one request (the read-back).
#include "CDisk.h"

#include "AlignedBuffer.h"
#include "Log.h"

namespace {

// The bytes a direct read of [from, end) takes: widened to whole logical
// blocks of `align`, unless that would reach past the end of the device.
// False when the run is read through the cache.
bool DirectSpan(std::uint64_t from, std::uint64_t end, std::size_t align, std::uint64_t size,
                std::uint64_t& start, std::uint64_t& stop)
{
    start = from;
    stop = end;
    if (align == 0)
        return false;
    const std::uint64_t wideStart = from / align * align;
    const std::uint64_t wideStop = (end + align - 1) / align * align;
    if (wideStop > size)
        return false;
    start = wideStart;
    stop = wideStop;
    return true;
}

} // namespace

bool CDisk::ReadsRunDirectly(int first, int count) const
{
    if (!device_ || first < 0 || count <= 0)
        return false;
    std::uint64_t start = 0;
    std::uint64_t stop = 0;
    return DirectSpan(ClusterOffset(static_cast<std::uint64_t>(first)),
                      ClusterOffset(static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(count)),
                      device_->DirectReadAlignment(), device_->SizeBytes(), start, stop);
}

const std::uint8_t* CDisk::ReadClusterRun(int first, int count, CAlignedBuffer& buffer, bool quiet)
{
    if (count <= 0 || !SeekCluster(first) || static_cast<std::uint32_t>(first) + static_cast<std::uint32_t>(count) > totalClusters_) {
        if (!quiet)
            ReportError(false);
        return nullptr;
    }
    const std::uint64_t from = ClusterOffset(static_cast<std::uint64_t>(first));
    const std::uint64_t end = ClusterOffset(static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(count));
    const std::size_t align = device_->DirectReadAlignment();
    std::uint64_t start = from;
    std::uint64_t stop = end;
    const bool direct = DirectSpan(from, end, align, device_->SizeBytes(), start, stop);
    const std::size_t len = static_cast<std::size_t>(stop - start);
    int ok = 0;
    if (buffer.Reserve(len, align)) {
        long long got = direct ? device_->ReadDirectAt(start, buffer.Data(), len)
                               : device_->ReadAt(start, buffer.Data(), len);
        // The device found it cannot read directly after all and read
        // through the cache, which a caller that skipped dropping it (the
        // run was to be read directly) may not want: dropped, read again.
        if (direct && device_->DirectReadAlignment() == 0)
            got = device_->DropCache(start, len) ? device_->ReadAt(start, buffer.Data(), len) : -1;
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

const std::uint8_t* CDisk::ReadCardRun(int first, int count, CAlignedBuffer& buffer)
{
    if (!ReadsRunDirectly(first, count) && !DropRun(first, count))
        return nullptr;
    return ReadClusterRun(first, count, buffer, true);
}
