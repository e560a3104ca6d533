#include "WriteBackWindow.h"

#include "Device.h"

bool CWriteBackWindow::Written(IDevice& device, std::uint64_t offset, std::uint64_t len)
{
    if (chunkEnd_ != chunkStart_ && offset != chunkEnd_ && !CompleteChunk(device))
        return false;
    if (chunkEnd_ == chunkStart_)
        chunkStart_ = offset;
    chunkEnd_ = offset + len;
    return chunkEnd_ - chunkStart_ < kChunkBytes || CompleteChunk(device);
}

bool CWriteBackWindow::CompleteChunk(IDevice& device)
{
    const std::uint64_t from = chunkStart_;
    const std::uint64_t end = chunkEnd_;
    chunkStart_ = chunkEnd_ = 0;
    if (!device.WriteBack(from, end - from, false))
        return false;
    // The oldest chunks under way are waited for until there is room.
    while (started_ >= underWay_) {
        if (!device.WriteBack(startedFrom_[0], startedEnd_[0] - startedFrom_[0], true))
            return false;
        for (int i = 1; i < started_; ++i) {
            startedFrom_[i - 1] = startedFrom_[i];
            startedEnd_[i - 1] = startedEnd_[i];
        }
        --started_;
    }
    startedFrom_[started_] = from;
    startedEnd_[started_] = end;
    ++started_;
    return true;
}

void CWriteBackWindow::Reset()
{
    chunkStart_ = chunkEnd_ = 0;
    started_ = 0;
}

void CWriteBackWindow::SetUnderWay(int chunks) { underWay_ = chunks < 1 ? 1 : (chunks > kMostUnderWay ? kMostUnderWay : chunks); }
