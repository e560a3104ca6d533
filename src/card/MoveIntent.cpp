#include "MoveIntent.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <cstring>

namespace {

constexpr std::uint8_t kMagic[8] = {'T', 'S', 'R', 'M', 'O', 'V', 'E', '1'};
constexpr int kFieldsAt = 8;
constexpr int kFieldCount = 5;
constexpr int kChecksumAt = kFieldsAt + 4 * kFieldCount; // the checksum covers the bytes before it

void Put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint32_t Checksum(const std::uint8_t* sector) { return XXH32(sector, kChecksumAt, 0); }

} // namespace

bool MoveIntent::FitsCard(std::uint32_t totalClusters) const
{
    return slot >= 0 && slot < kSlotCount && frames > 0 && frames <= kMaxClipFrames && newCluster >= 0 &&
           newCluster < oldCluster && Shift() < frames &&
           static_cast<std::uint64_t>(oldCluster) + static_cast<std::uint64_t>(frames) <= totalClusters &&
           progress >= 0 && progress <= frames;
}

void MoveIntent::EncodeTo(std::uint8_t* sector) const
{
    std::memset(sector, 0, kSectorSize);
    std::memcpy(sector, kMagic, sizeof kMagic);
    const int fields[kFieldCount] = {slot, oldCluster, newCluster, frames, progress};
    for (int i = 0; i < kFieldCount; ++i)
        Put32(sector + kFieldsAt + 4 * i, static_cast<std::uint32_t>(fields[i]));
    Put32(sector + kChecksumAt, Checksum(sector));
}

int DecodeMoveIntent(const std::uint8_t* sector, MoveIntent& intent)
{
    if (std::memcmp(sector, kMagic, sizeof kMagic) != 0)
        return kIntentNone;
    if (Get32(sector + kChecksumAt) != Checksum(sector))
        return kIntentDamaged;
    int fields[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i)
        fields[i] = static_cast<int>(Get32(sector + kFieldsAt + 4 * i));
    intent = MoveIntent{fields[0], fields[1], fields[2], fields[3], fields[4]};
    return kIntentValid;
}
