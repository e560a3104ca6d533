// A buffer whose start is aligned for direct I/O (a multiple of the
// alignment asked for, at least a memory page), grown on demand and kept
// for the next request.
#pragma once
#include <cstddef>
#include <cstdint>

class CAlignedBuffer {
public:
    CAlignedBuffer() = default;
    ~CAlignedBuffer();
    CAlignedBuffer(const CAlignedBuffer&) = delete;
    CAlignedBuffer& operator=(const CAlignedBuffer&) = delete;

    // At least `bytes` bytes aligned to `alignment` (a power of two; 0 for
    // a page); false when the memory cannot be had (the old contents gone).
    bool Reserve(std::size_t bytes, std::size_t alignment);
    std::uint8_t* Data() const { return data_; }

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t alignment_ = 0;
};
