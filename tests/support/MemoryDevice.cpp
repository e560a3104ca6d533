#include "MemoryDevice.h"

#include "CardLayout.h"
#include "WriteJournal.h"

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

long long CMemoryDevice::ReadDirectAt(std::uint64_t offset, void* buf, std::size_t len)
{
    const std::size_t align = s_->directAlignment;
    ++s_->directReads;
    if (s_->directFallsBack && align != 0) {
        s_->directAlignment = 0;
        return Read(offset, buf, len, true);
    }
    if (align == 0 || offset % align != 0 || len % align != 0 || reinterpret_cast<std::uintptr_t>(buf) % align != 0) {
        ++s_->reads;
        s_->readOffsets.push_back(offset);
        lastError_ = EINVAL;
        return -1;
    }
    return Read(offset, buf, len, false);
}

long long CMemoryDevice::Read(std::uint64_t offset, void* buf, std::size_t len, bool throughCache)
{
    ++s_->reads;
    s_->readOffsets.push_back(offset);
    if (Vanished())
        return -1;
    if (s_->failRead == s_->reads) {
        lastError_ = EIO;
        return -1;
    }
    for (const auto& [from, size] : s_->unreadable) {
        if (from < offset + len && offset < from + size) {
            lastError_ = EIO;
            return -1;
        }
    }
    if (offset >= End())
        return 0;
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(len, End() - offset));
    if (s_->shortTransfers && n > 0)
        --n;
    Load(offset, static_cast<std::uint8_t*>(buf), n);
    // What the cache still holds of a corrupted write.
    const std::uint64_t cached = s_->corruptCached.size();
    if (throughCache && cached > 0 && offset < s_->corruptOffset + cached && s_->corruptOffset < offset + n) {
        const std::uint64_t from = std::max(offset, s_->corruptOffset);
        const std::uint64_t to = std::min<std::uint64_t>(offset + n, s_->corruptOffset + cached);
        std::memcpy(static_cast<std::uint8_t*>(buf) + (from - offset),
                    s_->corruptCached.data() + (from - s_->corruptOffset), to - from);
    }
    return static_cast<long long>(n);
}

long long CMemoryDevice::WriteAt(std::uint64_t offset, const void* buf, std::size_t len)
{
    ++s_->writes;
    s_->writeOffsets.push_back(offset);
    if (Vanished())
        return -1;
    if (!writable_) {
        lastError_ = EBADF;
        return -1;
    }
    if (s_->failWrite == s_->writes ||
        (s_->failAllWritesFrom > 0 && s_->writes >= s_->failAllWritesFrom)) {
        lastError_ = EIO;
        return -1;
    }
    // A device never grows: writes past the end fail like a block device.
    if (offset + len > End()) {
        lastError_ = ENOSPC;
        return -1;
    }
    std::size_t n = len;
    if (s_->shortTransfers && n > 0)
        --n;
    if (s_->keepWrites < 0 || s_->writes <= s_->keepWrites)
        Store(offset, static_cast<const std::uint8_t*>(buf), n);
    if (s_->journal != nullptr)
        s_->journal->Write(offset, buf, n);
    if (s_->corruptWrite == s_->writes && n > s_->corruptByte) {
        s_->corruptOffset = offset;
        s_->corruptCached.assign(s_->bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                 s_->bytes.begin() + static_cast<std::ptrdiff_t>(offset + n));
        s_->bytes[offset + s_->corruptByte] ^= 0x5A;
    }
    if (s_->corruptRunAt != 0 && n > static_cast<std::size_t>(kClusterSize) && offset <= s_->corruptRunAt &&
        s_->corruptRunAt < offset + n) {
        s_->corruptOffset = offset;
        s_->corruptCached.assign(s_->bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                 s_->bytes.begin() + static_cast<std::ptrdiff_t>(offset + n));
        s_->bytes[s_->corruptRunAt] ^= 0x5A;
        s_->corruptRunAt = 0;
    }
    s_->pending.emplace_back(offset, n);
    s_->pendingBytes += n;
    s_->maxPendingBytes = std::max(s_->maxPendingBytes, s_->pendingBytes);
    return static_cast<long long>(n);
}

void CMemoryDevice::StoreSparse(std::uint64_t at, const std::uint8_t* buf, std::size_t n)
{
    for (std::size_t done = 0; done < n;) {
        const std::uint64_t index = (at + done) / kSectorSize;
        const std::size_t within = static_cast<std::size_t>((at + done) % kSectorSize);
        const std::size_t piece = std::min<std::size_t>(n - done, kSectorSize - within);
        std::vector<std::uint8_t>& sector = s_->sparseSectors[index];
        sector.resize(kSectorSize, 0);
        std::memcpy(sector.data() + within, buf + done, piece);
        done += piece;
    }
}

void CMemoryDevice::LoadSparse(std::uint64_t at, std::uint8_t* buf, std::size_t n) const
{
    for (std::size_t done = 0; done < n;) {
        const std::uint64_t index = (at + done) / kSectorSize;
        const std::size_t within = static_cast<std::size_t>((at + done) % kSectorSize);
        const std::size_t piece = std::min<std::size_t>(n - done, kSectorSize - within);
        const auto found = s_->sparseSectors.find(index);
        if (found == s_->sparseSectors.end())
            std::memset(buf + done, 0, piece);
        else
            std::memcpy(buf + done, found->second.data() + within, piece);
        done += piece;
    }
}

void CMemoryDevice::Store(std::uint64_t offset, const std::uint8_t* buf, std::size_t n)
{
    if (offset + n > s_->bytes.size()) {
        // Only a sparse card gets here (WriteAt checks the end).
        const std::size_t inBytes = offset < s_->bytes.size() ? static_cast<std::size_t>(s_->bytes.size() - offset) : 0;
        if (inBytes > 0)
            std::memcpy(s_->bytes.data() + offset, buf, inBytes);
        StoreSparse(offset + inBytes, buf + inBytes, n - inBytes);
        return;
    }
    for (std::size_t done = 0; done < n;) {
        std::uint64_t at = offset + done;
        std::size_t piece = n - done;
        if (s_->wrapAt != 0) {
            at %= s_->wrapAt;
            piece = static_cast<std::size_t>(std::min<std::uint64_t>(piece, s_->wrapAt - at));
        } else if (s_->keepOnly != 0) {
            if (at >= s_->keepOnly)
                return;
            piece = static_cast<std::size_t>(std::min<std::uint64_t>(piece, s_->keepOnly - at));
        }
        std::memcpy(s_->bytes.data() + at, buf + done, piece);
        done += piece;
    }
}

void CMemoryDevice::Load(std::uint64_t offset, std::uint8_t* buf, std::size_t n) const
{
    if (offset + n > s_->bytes.size()) {
        const std::size_t inBytes = offset < s_->bytes.size() ? static_cast<std::size_t>(s_->bytes.size() - offset) : 0;
        if (inBytes > 0)
            std::memcpy(buf, s_->bytes.data() + offset, inBytes);
        LoadSparse(offset + inBytes, buf + inBytes, n - inBytes);
        return;
    }
    for (std::size_t done = 0; done < n;) {
        std::uint64_t at = offset + done;
        std::size_t piece = n - done;
        if (s_->wrapAt != 0) {
            at %= s_->wrapAt;
            piece = static_cast<std::size_t>(std::min<std::uint64_t>(piece, s_->wrapAt - at));
        }
        std::memcpy(buf + done, s_->bytes.data() + at, piece);
        done += piece;
    }
}

void CMemoryDevice::HandOver(std::uint64_t offset, std::uint64_t len)
{
    std::vector<std::pair<std::uint64_t, std::uint64_t>> left;
    for (const auto& [from, size] : s_->pending) {
        const std::uint64_t end = from + size;
        // The parts of the range outside [offset, offset + len) still wait.
        if (from < offset)
            left.emplace_back(from, std::min(end, offset) - from);
        if (end > offset + len)
            left.emplace_back(std::max(from, offset + len), end - std::max(from, offset + len));
    }
    s_->pending = std::move(left);
    s_->pendingBytes = 0;
    for (const auto& range : s_->pending)
        s_->pendingBytes += range.second;
}

bool CMemoryDevice::WriteBack(std::uint64_t offset, std::uint64_t len, bool wait)
{
    ++s_->writeBacks;
    if (Vanished())
        return false;
    if (s_->failWriteBack == s_->writeBacks) {
        lastError_ = EIO;
        return false;
    }
    if (wait)
        HandOver(offset, len);
    return true;
}

bool CMemoryDevice::DropCache(std::uint64_t offset, std::uint64_t len)
{
    ++s_->cacheDrops;
    if (Vanished())
        return false;
    // Pages not yet handed to the card stay in the cache.
    const std::uint64_t cached = s_->corruptCached.size();
    bool dirty = false;
    for (const auto& [from, size] : s_->pending)
        dirty = dirty || (from < s_->corruptOffset + cached && s_->corruptOffset < from + size);
    if (cached > 0 && !dirty && offset <= s_->corruptOffset && s_->corruptOffset + cached <= offset + len)
        s_->corruptCached.clear();
    return true;
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
    s_->pending.clear();
    s_->pendingBytes = 0;
    if (s_->journal != nullptr)
        s_->journal->Flushed();
    return true;
}
