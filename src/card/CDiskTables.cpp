// The FAT area of CDisk: decoding and validating it (ReadFAT), encoding and
// storing it (WriteFAT), and the free-space count.
#include "CDisk.h"

#include "FatDecoding.h"
#include "Log.h"

#include <cerrno>
#include <cstdint>
#include <utility>

void CDisk::Clear() { ClearTables(clips_, playlists_); }

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
    // Before anything else is done with the card: a table write a cut
    // interrupted, then a move.
    if (!FinishInterruptedTableWrite(image))
        return 0;
    fat_ = image;
    onCard_.assign(1, image);

    std::vector<ClipRecord> clips;
    std::array<Playlist, kPlaylistCount> playlists;
    if (!DecodeFatArea(fat_, clips, playlists))
        return 0;
    clips_ = std::move(clips);
    playlists_ = std::move(playlists);
    UpdateFreeSpace();
    loaded_ = true;
    // Before anything else is done with the card; a card opened for reading
    // alone is not written, and its move waits for an opening for writing.
    if (writable_)
        FinishInterruptedMove();
    else
        NotePendingMove();
    return 1;
}

void CDisk::KeepReplacedTable(const std::vector<std::uint8_t>& next, int operation)
{
    if (!device_)
        return;
    // What the card holds: the area last read or written in this opening,
    // else the card's own (a card formatted without its table read).
    std::vector<std::uint8_t> replaced = fat_;
    if (replaced.size() != static_cast<std::size_t>(kFatSize)) {
        replaced.assign(kFatSize, 0);
        if (device_->ReadAt(0, replaced.data(), kFatSize) != kFatSize)
            return;
    }
    keeper_.Keep(*device_, identity_, replaced, next, operation);
}

int CDisk::WriteFAT(int operation)
{
    if (device_ && !writable_) {
        // Refused before the table history keeps a table not replaced.
        UpdateFreeSpace();
        RefuseWrite();
        return 0;
    }
    std::vector<std::uint8_t> next = EncodeFatArea(clips_, playlists_);
    KeepReplacedTable(next, operation);
    fat_ = std::move(next);
    int ok = 0;
    int error = 0;
    if (moveUnfinished_) {
        // The card's table keeps the place its record of the move names
        // until the next opening finishes the move.
        error = EROFS;
    } else if (device_) {
        // The table write is durable before success is reported.
        ok = device_->SizeBytes() >= static_cast<std::uint64_t>(kFatSize) && StoreTable(fat_);
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
