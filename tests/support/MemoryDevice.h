// A card device held in memory that can be told to fail: the n-th read,
// write or flush, a short transfer, or vanishing (every call fails from a
// chosen moment). Counts every call so tests can check what was done.
#pragma once
#include "Device.h"

#include <cstdint>
#include <memory>
#include <vector>

struct MemoryDeviceState {
    std::vector<std::uint8_t> bytes;
    int reads = 0;
    int writes = 0;
    int flushes = 0;
    int failRead = 0;   // fail the n-th read (1-based); 0 never
    int failWrite = 0;  // fail the n-th write
    int failFlush = 0;  // fail the n-th flush
    int failAllWritesFrom = 0; // fail every write from the n-th on (write protection)
    bool shortTransfers = false; // transfers move one byte less than asked
    bool vanished = false;       // every call fails (ENODEV / ENOMEDIUM)
    int vanishAfterCalls = 0;    // vanish once this many calls were made; 0 never
    int keepWrites = -1;         // power cut: writes after this many are dropped silently
    std::uint64_t reportedSize = 0; // when non-zero, the size reported instead of bytes.size()
    std::vector<std::uint64_t> readOffsets;  // offset of every read
    std::vector<std::uint64_t> writeOffsets; // offset of every write
};

class CMemoryDevice : public IDevice {
public:
    explicit CMemoryDevice(std::shared_ptr<MemoryDeviceState> state) : s_(std::move(state)) {}
    std::uint64_t SizeBytes() const override
    {
        return s_->reportedSize != 0 ? s_->reportedSize : s_->bytes.size();
    }
    long long ReadAt(std::uint64_t offset, void* buf, std::size_t len) override;
    long long WriteAt(std::uint64_t offset, const void* buf, std::size_t len) override;
    bool Flush() override;
    int LastError() const override { return lastError_; }

private:
    bool Vanished();
    std::shared_ptr<MemoryDeviceState> s_;
    int lastError_ = 0;
    int calls_ = 0;
};

// A new state of `bytes` bytes filled with `fill`.
std::shared_ptr<MemoryDeviceState> MakeDeviceState(std::size_t bytes, std::uint8_t fill = 0);
