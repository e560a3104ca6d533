#include "MemoryDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

std::shared_ptr<MemoryDeviceState> MakeDeviceState(std::size_t bytes, std::uint8_t fill)
{
    auto s = std::make_shared<MemoryDeviceState>();
    s->bytes.assign(bytes, fill);
    return s;
}

bool CMemoryDevice::Vanished()
{
    ++calls_;
    if (s_->vanishAfterCalls > 0 && calls_ > s_->vanishAfterCalls)
        s_->vanished = true;
    if (s_->vanished)
        lastError_ = ENOMEDIUM;
    return s_->vanished;
}

long long CMemoryDevice::ReadAt(std::uint64_t offset, void* buf, std::size_t len)
{
    ++s_->reads;
    s_->readOffsets.push_back(offset);
    if (Vanished())
        return -1;
    if (s_->failRead == s_->reads) {
        lastError_ = EIO;
        return -1;
    }
    if (offset >= s_->bytes.size())
        return 0;
    std::size_t n = std::min<std::size_t>(len, s_->bytes.size() - offset);
    if (s_->shortTransfers && n > 0)
        --n;
    std::memcpy(buf, s_->bytes.data() + offset, n);
    return static_cast<long long>(n);
}

long long CMemoryDevice::WriteAt(std::uint64_t offset, const void* buf, std::size_t len)
{
    ++s_->writes;
    s_->writeOffsets.push_back(offset);
    if (Vanished())
        return -1;
    if (s_->failWrite == s_->writes ||
        (s_->failAllWritesFrom > 0 && s_->writes >= s_->failAllWritesFrom)) {
        lastError_ = EIO;
        return -1;
    }
    // A device never grows: writes past the end fail like a block device.
    if (offset + len > s_->bytes.size()) {
        lastError_ = ENOSPC;
        return -1;
    }
    std::size_t n = len;
    if (s_->shortTransfers && n > 0)
        --n;
    if (s_->keepWrites < 0 || s_->writes <= s_->keepWrites)
        std::memcpy(s_->bytes.data() + offset, buf, n);
    return static_cast<long long>(n);
}

bool CMemoryDevice::Flush()
{
    ++s_->flushes;
    if (Vanished())
        return false;
    if (s_->failFlush == s_->flushes) {
        lastError_ = EIO;
        return false;
    }
    return true;
}
