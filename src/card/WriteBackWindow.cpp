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
    if (startedEnd_ != startedFrom_ && !device.WriteBack(startedFrom_, startedEnd_ - startedFrom_, true))
        return false;
    startedFrom_ = from;
    startedEnd_ = end;
    return true;
}

void CWriteBackWindow::Reset() { chunkStart_ = chunkEnd_ = startedFrom_ = startedEnd_ = 0; }
