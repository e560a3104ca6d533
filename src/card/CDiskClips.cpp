// Reading clips from the card, deleting and recording them: frame f of a
// clip lies in the cluster of the clip's first sector plus f, so reading a
// frame is one ReadCluster; deleting a clip drops it from every playlist,
// empties its slot and writes the tables (its clusters are freed without
// being touched); recording one fills its slot and writes the tables, as
// does renaming one.
#include "CDisk.h"

#include "ClipName.h"
#include "Interaction.h"

#include <algorithm>
#include <climits>
#include <cstring>

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
    const std::uint64_t cluster = FrameCluster(slot, ClusterOfSector(c.firstSector), frame);
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
    ClipDeletion local;
    ClipDeletion& done = result != nullptr ? *result : local;
    done = ClipDeletion();
    if (!TablesReady() || slot < 0 || slot >= kSlotCount)
        return 0;
    ClipRecord& clip = clips_[static_cast<std::size_t>(slot)];
    if (clip.frames == 0)
        return 1;

    done.useCount = UseCount(slot);
    // Without anyone to ask, the default answer (No) stands.
    if (ui_ == nullptr ||
        ShowMessage(*ui_, kIdsAskDeleteClip, kMsgYesNoDefNo, slot + 1, done.useCount) != kIdYes)
        return 0;

    for (int j = 0; j < kPlaylistCount; ++j) {
        std::vector<PlaylistEntry>& entries = playlists_[static_cast<std::size_t>(j)].entries;
        const auto named = std::remove_if(entries.begin(), entries.end(),
                                          [slot](const PlaylistEntry& e) { return e.slot == slot; });
        if (named != entries.end())
            done.changedPlaylists.set(static_cast<std::size_t>(j));
        entries.erase(named, entries.end());
    }
    // The name and attribute stay in memory; an empty slot's are not written.
    clip.frames = 0;
    clip.firstSector = 0;
    done.changedSlots.set(static_cast<std::size_t>(slot));
    done.result = StoreEdit(done, kTableDeleteClip).result;
    return 1;
}

TableChange CDisk::RecordClip(int slot, std::string_view name, int frames, std::uint32_t firstSector)
{
    ClipRecord clip;
    if (slot >= 0 && slot < kSlotCount && static_cast<std::size_t>(slot) < clips_.size())
        clip.attribute = clips_[static_cast<std::size_t>(slot)].attribute;
    std::memcpy(clip.name, name.data(), name.size() < sizeof clip.name ? name.size() : sizeof clip.name);
    clip.frames = frames > 0 && frames <= kMaxClipFrames ? static_cast<std::uint16_t>(frames) : 0;
    clip.firstSector = firstSector;
    return RecordClip(slot, clip);
}

TableChange CDisk::SlotChange(int slot) const
{
    TableChange change;
    change.changedSlots.set(static_cast<std::size_t>(slot));
    for (int j = 0; j < kPlaylistCount; ++j) {
        for (const PlaylistEntry& e : playlists_[static_cast<std::size_t>(j)].entries) {
            if (e.slot == slot)
                change.changedPlaylists.set(static_cast<std::size_t>(j));
        }
    }
    return change;
}

TableChange CDisk::RecordClip(int slot, const ClipRecord& clip)
{
    if (!TablesReady() || slot < 0 || slot >= kSlotCount || clip.frames == 0 || clip.frames > kMaxClipFrames ||
        clip.firstSector < kFirstClusterSector)
        return {};
    clips_[static_cast<std::size_t>(slot)] = clip;
    return StoreEdit(SlotChange(slot), kTableWriteClip);
}

TableChange CDisk::RenameClip(int slot, const std::string& utf8)
{
    std::string name;
    if (!TablesReady() || slot < 0 || slot >= kSlotCount || clips_[static_cast<std::size_t>(slot)].frames == 0 ||
        CheckClipName(utf8, &name) != kClipNameOk)
        return {};
    ClipRecord clip = clips_[static_cast<std::size_t>(slot)];
    std::memset(clip.name, 0, sizeof clip.name);
    std::memcpy(clip.name, name.data(), name.size());
    clips_[static_cast<std::size_t>(slot)] = clip;
    return StoreEdit(SlotChange(slot), kTableEdit);
}
