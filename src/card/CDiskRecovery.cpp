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

int CDisk::ReadClusterHeads(std::uint32_t first, std::uint32_t count, std::uint8_t* heads, int sector)
{
    if (!device_ || first > totalClusters_ || count > totalClusters_ - first || sector < 0 ||
        sector >= kSectorsPerCluster) {
        ReportError(false);
        return 0;
    }
    // Every read is started before the first is waited for: the card (or
    // the disk under an image) serves them together.
    const std::uint64_t skip = static_cast<std::uint64_t>(sector) * kSectorSize;
    for (std::uint32_t i = 0; i < count; ++i)
        device_->Prefetch(ClusterOffset(first + i) + skip, kSectorSize);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (device_->ReadAt(ClusterOffset(first + i) + skip, heads + static_cast<std::size_t>(i) * kSectorSize, kSectorSize) !=
            kSectorSize) {
            LogMessage("read cluster heads # %u: 0", first + i);
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
