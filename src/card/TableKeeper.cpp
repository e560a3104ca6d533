#include "TableKeeper.h"

#include "FatDecoding.h"
#include "Log.h"
#include "StateFolder.h"

#include <algorithm>
#include <ctime>

namespace {

std::uint32_t FirstCluster(std::uint32_t firstSector)
{
    return (firstSector - kFirstClusterSector) / kSectorsPerCluster;
}

} // namespace

void CTableKeeper::Reset()
{
    digests_.clear();
    primed_ = false;
    checked_ = false;
    folder_.clear();
}

bool CTableKeeper::Enabled(const CardIdentity& id)
{
    if (id.path.empty())
        return false;
    if (!checked_) {
        checked_ = true;
        folder_ = CardStateFolder(id, true);
        if (folder_.empty())
            LogMessage("table history: no state folder for %s", id.path.c_str());
    }
    return !folder_.empty();
}

KeptClip CTableKeeper::ReadDigests(IDevice& device, std::uint32_t firstSector, std::uint16_t frames)
{
    KeptClip clip;
    clip.firstSector = firstSector;
    clip.frames = frames;
    if (firstSector < kFirstClusterSector || frames == 0)
        return clip;
    std::vector<std::uint8_t> frame(kFrameSize);
    const std::uint64_t first = FirstCluster(firstSector);
    const auto digest = [&](std::uint64_t cluster, FrameDigest& out) {
        if (device.ReadAt(ClusterOffset(cluster), frame.data(), kFrameSize) != kFrameSize)
            return false;
        out = DigestFrame(frame.data());
        return true;
    };
    clip.known = digest(first, clip.first) && digest(first + frames - 1u, clip.last);
    return clip;
}

const KeptClip& CTableKeeper::Digests(IDevice& device, std::uint32_t firstSector, std::uint16_t frames)
{
    const auto key = std::make_pair(firstSector, frames);
    auto it = digests_.find(key);
    if (it == digests_.end() || !it->second.known)
        it = digests_.insert_or_assign(key, ReadDigests(device, firstSector, frames)).first;
    return it->second;
}

void CTableKeeper::BeforeClusterWrite(IDevice& device, const CardIdentity& id, const std::vector<ClipRecord>& current,
                                      std::uint32_t cluster)
{
    if (!Enabled(id))
        return;
    if (!primed_) {
        primed_ = true;
        for (const ClipRecord& c : current) {
            if (c.frames != 0 && c.firstSector >= kFirstClusterSector)
                Digests(device, c.firstSector, c.frames);
        }
    }
    for (auto it = digests_.begin(); it != digests_.end();) {
        const std::uint32_t first = FirstCluster(it->first.first);
        const std::uint32_t last = first + it->first.second - 1u;
        const bool hit = cluster == first || cluster == last;
        const bool inTable = hit && std::any_of(current.begin(), current.end(), [&](const ClipRecord& c) {
            return c.frames == it->first.second && c.firstSector == it->first.first;
        });
        it = hit && !inTable ? digests_.erase(it) : std::next(it);
    }
}

void CTableKeeper::Keep(IDevice& device, const CardIdentity& id, const std::vector<std::uint8_t>& replaced,
                        const std::vector<std::uint8_t>& next, int operation)
{
    if (!Enabled(id) || replaced.size() != static_cast<std::size_t>(kFatSize) || replaced == next)
        return;
    KeptTable table;
    table.time = static_cast<std::int64_t>(std::time(nullptr));
    table.operation = operation;
    table.fat = replaced;
    std::vector<ClipRecord> clips;
    std::array<Playlist, kPlaylistCount> playlists;
    if (DecodeFatArea(replaced, clips, playlists)) {
        for (const ClipRecord& c : clips) {
            if (c.frames != 0)
                table.clips.push_back(Digests(device, c.firstSector, c.frames));
        }
        // An empty table has nothing to bring back.
        if (table.clips.empty())
            return;
    } else if (std::all_of(replaced.begin(), replaced.end(), [&](std::uint8_t b) { return b == replaced[0]; })) {
        // A blank area (a new card or image) is no table.
        return;
    }
    // A damaged table is kept as it was: its bytes may still be of use.
    if (!SaveKeptTable(folder_, table)) {
        LogMessage("table history: cannot keep the table in %s", folder_.c_str());
        return;
    }
    LogMessage("table history: kept %d clips in %s", static_cast<int>(table.clips.size()), folder_.c_str());
}
