// Bounded write-back of a run of cluster writes. The system would keep a
// whole clip in its cache and write it to the card only at the final flush,
// so a progress bar that follows the writes would reach its end minutes
// before the card has the data. The window cuts the run into chunks of
// about 8 MB: when a chunk is complete its write-back is started and the
// chunk before it is waited for. At no moment are more than two chunks
// (under 16 MB) written and not yet handed to the card, and the card stays
// busy while the next chunk is written. A caller that only measures the
// card (the card test) may let a few more chunks be under way together,
// which a fast disk wants to keep its queue full.
#pragma once
#include "CardLayout.h"

#include <cstdint>

class IDevice;

class CWriteBackWindow {
public:
    // Bytes per chunk: whole clusters, two of them under 16 MB.
    static constexpr std::uint64_t kChunkBytes = (8u << 20) / kClusterSize * kClusterSize;

    // `len` bytes were written at `offset`. Completes a chunk when it is
    // full, or when the write does not follow the bytes before it. False
    // when a write-back failed (the device's error).
    bool Written(IDevice& device, std::uint64_t offset, std::uint64_t len);
    // Everything written was flushed: no chunk is pending any more.
    void Reset();
    // Chunks whose write-back may be under way together (1 unless told, at
    // most kMostUnderWay); the next one beyond them waits for the oldest.
    static constexpr int kMostUnderWay = 8;
    void SetUnderWay(int chunks);

private:
    bool CompleteChunk(IDevice& device);

    std::uint64_t chunkStart_ = 0; // written, write-back not started
    std::uint64_t chunkEnd_ = 0;
    // Chunks whose write-back was started and not waited for, oldest first.
    std::uint64_t startedFrom_[kMostUnderWay] = {};
    std::uint64_t startedEnd_[kMostUnderWay] = {};
    int started_ = 0;
    int underWay_ = 1;
};
