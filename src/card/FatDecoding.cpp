#include "FatDecoding.h"

namespace {

// Playlists name their clips by first sector; they are re-linked to the
// packed slots, and a clip known only to a playlist gets a slot of its own.
int SlotOfRun(std::vector<ClipRecord>& clips, const ClipRun& run, int& filled)
{
    for (int s = 0; s < kSlotCount; ++s) {
        if (clips[static_cast<std::size_t>(s)].firstSector == run.firstSector)
            return s;
    }
    // A count of 0xFFFF would be stored as the empty-record marker, so such
    // an entry cannot bring its clip back: it is dropped like an entry that
    // finds no free slot.
    if (filled >= kSlotCount || run.frames == kNoClipFrames)
        return -1;
    ClipRecord& c = clips[static_cast<std::size_t>(filled)];
    c.frames = run.frames;
    c.firstSector = run.firstSector;
    return filled++;
}

// Playlist j from its records; `filled` counts the slots in use, which a
// clip known only to the playlist adds to.
void DecodePlaylist(const std::uint8_t* recordA, const std::uint8_t* recordB, std::vector<ClipRecord>& clips,
                    Playlist& p, int& filled)
{
    const int count = recordA[kPlaylistCountA];
    if (count == kEmptyPlaylistCount || count != recordB[kPlaylistCountB])
        return;
    p.DecodeFlags(recordA[kPlaylistFlags]);
    for (int k = 0; k < count && k < kMaxEntries; ++k) {
        const ClipRun run = ClipRun::DecodeFrom(recordB + EntryBAt(k));
        if (run.frames == 0 || run.firstSector < kFirstClusterSector)
            break;
        PlaylistEntry e = PlaylistEntry::DecodeFrom(recordA + EntryAAt(k));
        e.slot = SlotOfRun(clips, run, filled);
        if (e.slot >= 0)
            p.entries.push_back(e);
    }
    // A playlist left without entries is stored as all 0xFF, which keeps
    // neither its logo mode nor its loop flag: it is empty here too.
    if (p.entries.empty()) {
        p.logoMode = 0;
        p.loop = false;
    }
}

} // namespace

void ClearTables(std::vector<ClipRecord>& clips, std::array<Playlist, kPlaylistCount>& playlists)
{
    clips.assign(kSlotCount, ClipRecord{});
    for (Playlist& p : playlists) {
        p.entries.clear();
        p.logoMode = 0;
        p.loop = false;
    }
}

bool DecodeFatArea(const std::vector<std::uint8_t>& fat, std::vector<ClipRecord>& clips,
                   std::array<Playlist, kPlaylistCount>& playlists)
{
    ClearTables(clips, playlists);
    if (fat.size() < static_cast<std::size_t>(kFatSize))
        return false;
    const std::uint8_t* f = fat.data();
    if (f[kFatPlaylistCount] > kPlaylistCount || f[kFatClipCount] > kSlotCount)
        return false;
    for (int i = 0; i < kSlotCount; ++i) {
        const ClipRun run = ClipRun::DecodeFrom(f + ClipRecordAt(i));
        if (run.frames != kNoClipFrames && run.firstSector < kFirstClusterSector)
            return false;
    }

    // Clip slots are packed: the n-th used record becomes slot n - 1.
    int filled = 0;
    for (int i = 0; i < kSlotCount; ++i) {
        const ClipRecord clip = ClipRecord::DecodeFrom(f + ClipRecordAt(i), f + ClipNameAt(i));
        // A record of no frames holds no clip: in memory it would be an
        // empty slot that still took a slot number (and could be named by a
        // playlist), and WriteFAT would drop it, renumbering the slots.
        if (clip.frames == kNoClipFrames || clip.frames == 0)
            continue;
        clips[static_cast<std::size_t>(filled++)] = clip;
    }
    for (int j = 0; j < f[kFatPlaylistCount] && j < kPlaylistCount; ++j)
        DecodePlaylist(f + PlaylistAAt(j), f + PlaylistBAt(j), clips, playlists[static_cast<std::size_t>(j)], filled);
    return true;
}
