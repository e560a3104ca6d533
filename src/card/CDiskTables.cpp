// The FAT area of CDisk: decoding and validating it (ReadFAT), encoding and
// storing it (WriteFAT), and the free-space count.
#include "CDisk.h"

#include "Log.h"

#include <cerrno>
#include <cstdint>

void CDisk::Clear()
{
    clips_.assign(kSlotCount, ClipRecord{});
    for (Playlist& p : playlists_) {
        p.entries.clear();
        p.logoMode = 0;
        p.loop = false;
    }
}

void CDisk::UpdateFreeSpace()
{
    std::int64_t used = 0;
    for (const ClipRecord& c : clips_)
        used += c.frames;
    std::int64_t free = static_cast<std::int64_t>(totalClusters_) - used;
    // A frame count is 32-bit signed: a card of more clusters than that
    // (hundreds of terabytes) shows the largest count instead of wrapping.
    if (free > INT32_MAX)
        free = INT32_MAX;
    freeClusters_ = free < 0 ? 0 : static_cast<std::int32_t>(free);

    LogMessage("FILES:");
    for (std::size_t i = 0; i < clips_.size(); ++i) {
        const ClipRecord& c = clips_[i];
        int cluster = c.firstSector == 0 ? -1 : static_cast<int>(ClusterOfSector(c.firstSector));
        LogMessage("%02d: %04d frames from %08d sector (%04d cluster)", static_cast<int>(i) + 1,
                   static_cast<int>(c.frames), static_cast<int>(c.firstSector), cluster);
    }
}

int CDisk::ReadFAT()
{
    LogMessage("CDisk::ReadFAT(): %d bytes", kFatSize);
    loaded_ = false;

    std::vector<std::uint8_t> image(kFatSize);
    if (!device_ || device_->ReadAt(0, image.data(), kFatSize) != kFatSize) {
        ReportError(false);
        return 0;
    }
    fat_ = image;

    const std::uint8_t* f = fat_.data();
    if (f[kFatPlaylistCount] > kPlaylistCount || f[kFatClipCount] > kSlotCount)
        return 0;
    for (int i = 0; i < kSlotCount; ++i) {
        const ClipRun run = ClipRun::DecodeFrom(f + ClipRecordAt(i));
        if (run.frames != kNoClipFrames && run.firstSector < kFirstClusterSector)
            return 0;
    }

    DecodeTables();
    UpdateFreeSpace();
    loaded_ = true;
    // Before anything else is done with the card.
    FinishInterruptedMove();
    return 1;
}

void CDisk::DecodeTables()
{
    Clear();
    const std::uint8_t* f = fat_.data();

    // Clip slots are packed: the n-th used record becomes slot n - 1.
    int filled = 0;
    for (int i = 0; i < kSlotCount; ++i) {
        const ClipRecord clip = ClipRecord::DecodeFrom(f + ClipRecordAt(i), f + ClipNameAt(i));
        // A record of no frames holds no clip: in memory it would be an
        // empty slot that still took a slot number (and could be named by a
        // playlist), and WriteFAT would drop it, renumbering the slots.
        if (clip.frames == kNoClipFrames || clip.frames == 0)
            continue;
        clips_[static_cast<std::size_t>(filled++)] = clip;
    }
    for (int j = 0; j < f[kFatPlaylistCount] && j < kPlaylistCount; ++j)
        DecodePlaylist(f + PlaylistAAt(j), f + PlaylistBAt(j), playlists_[static_cast<std::size_t>(j)], filled);
}

void CDisk::DecodePlaylist(const std::uint8_t* recordA, const std::uint8_t* recordB, Playlist& p, int& filled)
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
        e.slot = SlotOfRun(run, filled);
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

int CDisk::SlotOfRun(const ClipRun& run, int& filled)
{
    // Playlists name their clips by first sector; they are re-linked to the
    // packed slots, and a clip known only to a playlist gets a slot of its own.
    for (int s = 0; s < kSlotCount; ++s) {
        if (clips_[static_cast<std::size_t>(s)].firstSector == run.firstSector)
            return s;
    }
    // A count of 0xFFFF would be stored as the empty-record marker, so such
    // an entry cannot bring its clip back: it is dropped like an entry that
    // finds no free slot.
    if (filled >= kSlotCount || run.frames == kNoClipFrames)
        return -1;
    ClipRecord& c = clips_[static_cast<std::size_t>(filled)];
    c.frames = run.frames;
    c.firstSector = run.firstSector;
    return filled++;
}

int CDisk::WriteFAT()
{
    fat_ = EncodeFatArea(clips_, playlists_);
    int ok = 0;
    int error = 0;
    if (moveUnfinished_) {
        // The card's table keeps the place its record of the move names
        // until the next opening finishes the move.
        error = EROFS;
    } else if (device_) {
        // The table write is durable before success is reported.
        ok = device_->SizeBytes() >= static_cast<std::uint64_t>(kFatSize) &&
             device_->WriteAt(0, fat_.data(), kFatSize) == kFatSize && device_->Flush();
        error = ok ? 0 : device_->LastError();
    } else {
        error = EBADF;
    }
    LogMessage("write FAT: %d, error: %d", ok, error);
    UpdateFreeSpace();
    if (!ok)
        ReportError(true);
    return ok;
}
