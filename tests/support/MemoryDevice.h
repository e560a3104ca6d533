// A card device held in memory that can be told to fail: the n-th read,
// write, flush or write-back, a short transfer, or vanishing (every call
// fails from a chosen moment), or to store one write with a byte changed;
// or to be a fake card that keeps only its first bytes or wraps its
// transfers around, or one with unreadable areas.
// Counts every call so tests can check what was done, and records how many
// written bytes waited at most to be handed to the card: a write is handed
// over by a waited write-back of its range or by a flush.
#pragma once
#include "Device.h"

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

struct WriteJournal;

struct MemoryDeviceState {
    std::vector<std::uint8_t> bytes;
    int reads = 0;
    int writes = 0;
    int flushes = 0;
    int failRead = 0;   // fail the n-th read (1-based); 0 never
    int failWrite = 0;  // fail the n-th write
    int failFlush = 0;  // fail the n-th flush
    int failAllWritesFrom = 0; // fail every write from the n-th on (write protection)
    bool writeProtected = false; // OpenerOf opens it for reading alone, whatever is asked
    int readOpenings = 0;        // OpenerOf's openings for reading alone, as asked
    int writeOpenings = 0;       // and for writing
    bool shortTransfers = false; // transfers move one byte less than asked
    bool vanished = false;       // every call fails (ENODEV / ENOMEDIUM)
    int vanishAfterCalls = 0;    // vanish once this many calls were made; 0 never
    int keepWrites = -1;         // power cut: writes after this many are dropped silently
    std::uint64_t reportedSize = 0; // when non-zero, the size reported instead of bytes.size()
    // With a reported size past the bytes: the rest of the card exists,
    // reads zero where nothing was written, and keeps what is written there
    // sector by sector (a huge card of which little is used). Without it,
    // transfers past the bytes fail or stop short.
    bool sparseBeyond = false;
    std::map<std::uint64_t, std::vector<std::uint8_t>> sparseSectors; // by sector index
    std::vector<std::uint64_t> readOffsets;  // offset of every read
    std::vector<std::uint64_t> writeOffsets; // offset of every write

    int writeBacks = 0;     // write-back calls, started or waited for
    int failWriteBack = 0;  // fail the n-th write-back
    int cacheDrops = 0;     // DropCache calls
    // Direct reads: the alignment the device reports (0: none, every read
    // goes through the cache) and the direct reads made, counted in `reads`
    // too. A direct read that is not aligned fails (EINVAL); one that is
    // sees what the card holds, never what a cache holds.
    std::size_t directAlignment = 0;
    int directReads = 0;
    // A device that finds at its first direct read that it cannot read so
    // after all (a file system refusing direct I/O): that read goes through
    // the cache and the alignment becomes 0.
    bool directFallsBack = false;
    // Written ranges (offset, length) not yet handed to the card, their
    // bytes, and the most that ever waited at once.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> pending;
    std::uint64_t pendingBytes = 0;
    std::uint64_t maxPendingBytes = 0;
    // A faulty card: the n-th write is stored with byte `corruptByte` of it
    // changed (0 never). Like a system cache, reads of that range still return the
    // bytes as written until the range, handed over, is dropped from the
    // cache.
    // Fake capacities: a card that keeps only its first `keepOnly` bytes
    // (writes past them are dropped silently, reads there return what was
    // there before), and one whose every transfer at offset o goes to
    // o modulo `wrapAt` (0: neither).
    std::uint64_t keepOnly = 0;
    std::uint64_t wrapAt = 0;
    // Byte ranges (offset, length) whose reads fail with EIO: unreadable
    // clusters.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> unreadable;
    int corruptWrite = 0;
    std::uint64_t corruptByte = 1000;
    std::uint64_t corruptOffset = 0;
    std::vector<std::uint8_t> corruptCached; // the bytes as written while cached
    // When set, every stored write and every completed flush is recorded in
    // it (WriteJournal.h; PowerCut.h draws cuts from it).
    WriteJournal* journal = nullptr;
    // The same for the first write of several clusters that covers this
    // byte (0 never), which is stored with that byte changed: a run of
    // clusters, not the single clusters a probe writes.
    std::uint64_t corruptRunAt = 0;
};

class CMemoryDevice : public IDevice {
public:
    // Without `writable`, a device opened for reading alone: its writes
    // fail (EBADF) and are counted.
    explicit CMemoryDevice(std::shared_ptr<MemoryDeviceState> state, bool writable = true)
        : s_(std::move(state)), writable_(writable)
    {
    }
    std::uint64_t SizeBytes() const override
    {
        return s_->reportedSize != 0 ? s_->reportedSize : s_->bytes.size();
    }
    long long ReadAt(std::uint64_t offset, void* buf, std::size_t len) override { return Read(offset, buf, len, true); }
    std::size_t DirectReadAlignment() const override { return s_->directAlignment; }
    long long ReadDirectAt(std::uint64_t offset, void* buf, std::size_t len) override;
    long long WriteAt(std::uint64_t offset, const void* buf, std::size_t len) override;
    bool Flush() override;
    bool WriteBack(std::uint64_t offset, std::uint64_t len, bool wait) override;
    bool DropCache(std::uint64_t offset, std::uint64_t len) override;
    int LastError() const override { return lastError_; }
    bool Writable() const override { return writable_; }

private:
    long long Read(std::uint64_t offset, void* buf, std::size_t len, bool throughCache);
    bool Vanished();
    void HandOver(std::uint64_t offset, std::uint64_t len);
    // Copies between the card and `buf` through the fake capacity, if any.
    void Store(std::uint64_t offset, const std::uint8_t* buf, std::size_t n);
    void Load(std::uint64_t offset, std::uint8_t* buf, std::size_t n) const;
    // The end of what transfers reach: the bytes, or the reported size of a
    // sparse card.
    std::uint64_t End() const { return s_->sparseBeyond ? SizeBytes() : s_->bytes.size(); }
    void StoreSparse(std::uint64_t at, const std::uint8_t* buf, std::size_t n);
    void LoadSparse(std::uint64_t at, std::uint8_t* buf, std::size_t n) const;
    std::shared_ptr<MemoryDeviceState> s_;
    bool writable_ = true;
    int lastError_ = 0;
    int calls_ = 0;
};

// A new state of `bytes` bytes filled with `fill`.
std::shared_ptr<MemoryDeviceState> MakeDeviceState(std::size_t bytes, std::uint8_t fill = 0);

