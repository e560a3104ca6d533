#include "ProbePattern.h"

#include <xxhash.h>

#include <cstring>
#include <random>

namespace {

constexpr std::uint16_t kMagic = 0x5443;
constexpr int kHeaderBytes = 24; // run, cluster, sector, magic, checksum
constexpr int kWordsPerSector = kSectorSize / 8;

std::uint64_t Mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

void Put(std::uint8_t* at, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t Get(const std::uint8_t* at, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<std::uint64_t>(at[i]) << (8 * i);
    return value;
}

} // namespace

std::uint64_t NewRunValue()
{
    std::random_device device;
    std::uint64_t value = 0;
    while (value == 0)
        value = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    return value;
}

CProbePattern::CProbePattern(std::uint64_t runValue) : run_(runValue == 0 ? 1 : runValue)
{
    body_.resize(kClusterSize / 8);
    for (std::size_t i = 0; i < body_.size(); ++i)
        body_[i] = Mix(run_ + i);
}

std::uint64_t CProbePattern::SectorSeed(std::uint32_t cluster, int sector) const
{
    return Mix(run_ ^ (static_cast<std::uint64_t>(cluster) << 16) ^ static_cast<std::uint64_t>(sector));
}

void CProbePattern::Fill(std::uint32_t cluster, std::uint8_t* buffer) const
{
    const std::uint64_t key = Mix(run_ ^ (static_cast<std::uint64_t>(cluster) * 0xD6E8FEB86659FD93ull));
    for (int s = 0; s < kSectorsPerProbe; ++s) {
        std::uint8_t* sector = buffer + static_cast<std::size_t>(s) * kSectorSize;
        const std::uint64_t* words = body_.data() + static_cast<std::size_t>(s) * kWordsPerSector;
        for (int w = kHeaderBytes / 8; w < kWordsPerSector; ++w) {
            const std::uint64_t value = words[w] ^ key;
            std::memcpy(sector + 8 * w, &value, 8);
        }
        Put(sector, run_, 8);
        Put(sector + 8, cluster, 4);
        Put(sector + 12, static_cast<std::uint64_t>(s), 2);
        Put(sector + 14, kMagic, 2);
        Put(sector + 16, XXH64(sector + kHeaderBytes, kSectorSize - kHeaderBytes, SectorSeed(cluster, s)), 8);
    }
}

bool CProbePattern::OriginOf(const std::uint8_t* sector, Origin& origin) const
{
    if (Get(sector, 8) != run_ || Get(sector + 14, 2) != kMagic)
        return false;
    const std::uint32_t cluster = static_cast<std::uint32_t>(Get(sector + 8, 4));
    const int index = static_cast<int>(Get(sector + 12, 2));
    if (index >= kSectorsPerProbe ||
        Get(sector + 16, 8) != XXH64(sector + kHeaderBytes, kSectorSize - kHeaderBytes, SectorSeed(cluster, index)))
        return false;
    origin.cluster = cluster;
    origin.sector = index;
    return true;
}

int CProbePattern::FirstBadSector(std::uint32_t cluster, const std::uint8_t* buffer) const
{
    for (int s = 0; s < kSectorsPerProbe; ++s) {
        Origin origin;
        if (!OriginOf(buffer + static_cast<std::size_t>(s) * kSectorSize, origin) || origin.cluster != cluster ||
            origin.sector != s)
            return s;
    }
    return -1;
}
