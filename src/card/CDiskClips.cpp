// Reading clips from the card and deleting them: frame f of a clip lies in
// the cluster of the clip's first sector plus f, so reading a frame is one
// ReadCluster; deleting a clip drops it from every playlist, empties its slot
// and writes the tables. Its clusters are freed without being touched.
#include "CDisk.h"

#include "Interaction.h"

#include <climits>

int CDisk::ReadClipFrame(int slot, int frame, std::uint8_t* buffer)
{
    if (!TablesReady() || slot < 0 || slot >= kSlotCount || buffer == nullptr)
        return 0;
    const ClipRecord& c = clips_[static_cast<std::size_t>(slot)];
    if (c.frames == 0 || frame < 0 || frame >= c.frames)
        return 0;
    if (c.firstSector < kFirstClusterSector) {
        // A first sector inside the FAT area names no cluster.
        ReportError(false);
        return 0;
    }
    const std::uint64_t cluster = static_cast<std::uint64_t>(ClusterOfSector(c.firstSector)) +
                                  static_cast<std::uint64_t>(frame);
    if (cluster > static_cast<std::uint64_t>(INT_MAX)) {
        ReportError(false);
        return 0;
    }
    // ReadCluster refuses clusters past the end of the card and reports
    // every failure (once per opening).
    return ReadCluster(static_cast<int>(cluster), buffer);
}

int CDisk::ReadClipFirstFrame(int slot, std::uint8_t* buffer) { return ReadClipFrame(slot, 0, buffer); }

int CDisk::DeleteClip(int slot, ClipDeletion* result)
{
    ClipDeletion done;
    done.slot = slot;
    if (!TablesReady() || slot < 0 || slot >= kSlotCount) {
        if (result != nullptr)
            *result = done;
        return 0;
    }
    ClipRecord& clip = clips_[static_cast<std::size_t>(slot)];
    if (clip.frames == 0) {
        if (result != nullptr)
            *result = done;
        return 1;
    }

    done.useCount = UseCount(slot);
    // Without anyone to ask, the default answer (No) stands.
    if (ui_ == nullptr ||
        ShowMessage(*ui_, kIdsAskDeleteClip, kMsgYesNoDefNo, slot + 1, done.useCount) != kIdYes) {
        if (result != nullptr)
            *result = done;
        return 0;
    }

    for (int j = 0; j < kPlaylistCount; ++j) {
        std::vector<PlaylistEntry>& entries = playlists_[static_cast<std::size_t>(j)].entries;
        for (std::size_t k = 0; k < entries.size();) {
            if (entries[k].slot == slot) {
                entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(k));
                done.changedPlaylists = static_cast<std::uint16_t>(done.changedPlaylists | (1u << j));
            } else {
                ++k;
            }
        }
    }
    // The name and attribute stay in memory; an empty slot's are not written.
    clip.frames = 0;
    clip.firstSector = 0;
    done.deleted = true;
    done.stored = WriteFAT() != 0;
    if (result != nullptr)
        *result = done;
    return 1;
}
