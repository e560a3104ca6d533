// The recovery operations of CDisk: tables put back in place of the
// card's, the first sectors of many clusters read together (finding runs
// of frames), and the digests of a run as the card holds it now.
#include "CDisk.h"

#include "Log.h"

#include <algorithm>

TableChange CDisk::PutBackTables(const std::vector<ClipRecord>& clips,
                                 const std::array<Playlist, kPlaylistCount>& playlists)
{
    TableChange change;
    if (!IsOpen() || clips.size() != static_cast<std::size_t>(kSlotCount))
        return change;
    clips_ = clips;
    playlists_ = playlists;
    loaded_ = true;
    change.changedSlots.set();
    change.changedPlaylists.set();
    return StoreEdit(change, kTableRecover);
}

bool CDisk::ClusterHeadsOnCard(std::uint32_t first, std::uint32_t count, int sector, std::uint32_t stride) const
{
    const std::uint64_t span = count == 0 ? 0 : static_cast<std::uint64_t>(count - 1) * stride + 1;
    return device_ && stride > 0 && first <= totalClusters_ && span <= totalClusters_ - first && sector >= 0 &&
           sector < kSectorsPerCluster;
}

void CDisk::PrefetchClusterHeads(std::uint32_t first, std::uint32_t count, int sector, std::uint32_t stride)
{
    if (!ClusterHeadsOnCard(first, count, sector, stride))
        return;
    const std::uint64_t skip = static_cast<std::uint64_t>(sector) * kSectorSize;
    for (std::uint32_t i = 0; i < count; ++i)
        device_->Prefetch(ClusterOffset(first + static_cast<std::uint64_t>(i) * stride) + skip, kSectorSize);
}

std::uint32_t CDisk::NextClusterWithData(std::uint32_t cluster)
{
    if (!device_ || cluster >= totalClusters_)
        return cluster;
    const std::uint64_t from = ClusterOffset(cluster);
    const std::uint64_t data = device_->NextData(from);
    if (data <= from)
        return cluster;
    if (data >= ClusterOffset(totalClusters_))
        return totalClusters_;
    // The cluster the data begins in, or the next one when it begins past
    // that cluster's first sector (which is then zeros).
    std::uint64_t k = (data - kFatSize) / kClusterSize;
    if (data >= ClusterOffset(k) + kSectorSize)
        ++k;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(k, totalClusters_));
}

int CDisk::ReadClusterHeads(std::uint32_t first, std::uint32_t count, std::uint8_t* heads, int sector,
                            std::uint32_t stride)
{
    if (!ClusterHeadsOnCard(first, count, sector, stride)) {
        ReportError(false);
        return 0;
    }
    // Every read is started before the first is waited for: the card (or
    // the disk under an image) serves them together.
    PrefetchClusterHeads(first, count, sector, stride);
    const std::uint64_t skip = static_cast<std::uint64_t>(sector) * kSectorSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t cluster = first + static_cast<std::uint64_t>(i) * stride;
        if (device_->ReadAt(ClusterOffset(cluster) + skip, heads + static_cast<std::size_t>(i) * kSectorSize,
                            kSectorSize) != kSectorSize) {
            LogMessage("read cluster heads # %llu: 0", static_cast<unsigned long long>(cluster));
            ReportError(false);
            return 0;
        }
    }
    return 1;
}

KeptClip CDisk::ReadRunDigests(std::uint32_t firstSector, std::uint16_t frames)
{
    if (!device_ || firstSector < kFirstClusterSector || frames == 0 ||
        ClusterOfSector(firstSector) + frames > totalClusters_) {
        KeptClip none;
        none.firstSector = firstSector;
        none.frames = frames;
        return none;
    }
    return CTableKeeper::ReadDigests(*device_, firstSector, frames);
}
