#include "AlignedBuffer.h"

#include <cstdlib>

namespace {
constexpr std::size_t kPage = 4096;
}

CAlignedBuffer::~CAlignedBuffer() { std::free(data_); }

bool CAlignedBuffer::Reserve(std::size_t bytes, std::size_t alignment)
{
    if (alignment < kPage)
        alignment = kPage;
    if (data_ != nullptr && size_ >= bytes && alignment_ % alignment == 0)
        return true;
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t rounded = (bytes + alignment - 1) / alignment * alignment;
    data_ = static_cast<std::uint8_t*>(std::aligned_alloc(alignment, rounded == 0 ? alignment : rounded));
    if (data_ == nullptr)
        return false;
    size_ = rounded;
    alignment_ = alignment;
    return true;
}
