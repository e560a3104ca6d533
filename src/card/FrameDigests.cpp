#include "FrameDigests.h"

#include "CardLayout.h"

#include <xxhash.h>
#if defined(__x86_64__) || defined(__i386__)
// The library picks the widest vector unit of the processor at run time
// (AVX2, AVX-512), twice the speed of the baseline build.
#include <xxh_x86dispatch.h>
#endif

CFrameDigests::Digest CFrameDigests::Of(const std::uint8_t* cluster)
{
    const XXH128_hash_t h = XXH3_128bits(cluster, kClusterSize);
    return Digest{h.low64, h.high64};
}

void CFrameDigests::Record(int frame, const std::uint8_t* cluster)
{
    if (frame < 0)
        return;
    const std::size_t index = static_cast<std::size_t>(frame);
    if (index >= digests_.size())
        digests_.resize(index + 1);
    digests_[index] = Of(cluster);
}

bool CFrameDigests::Matches(int frame, const std::uint8_t* cluster) const
{
    if (frame < 0 || frame >= Count())
        return false;
    const Digest expected = digests_[static_cast<std::size_t>(frame)];
    const Digest actual = Of(cluster);
    return expected.low == actual.low && expected.high == actual.high;
}
