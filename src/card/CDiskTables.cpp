// The FAT area of CDisk: decoding and validating it (ReadFAT), encoding and
// storing it (WriteFAT), and the free-space count.
#include "CDisk.h"

#include "Log.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Get32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void Put16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

void CDisk::Clear()
{
    clips_.assign(kSlotCount, ClipRecord{});
    for (Playlist& p : playlists_) {
        p.entries.clear();
        p.logoMode = 0;
        p.loop = 0;
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
        ReportError(0);
        return 0;
    }
    fat_ = image;

    const std::uint8_t* f = fat_.data();
    if (f[0] > kPlaylistCount || f[1] > kSlotCount)
        return 0;
    for (int i = 0; i < kSlotCount; ++i) {
        const std::uint8_t* rec = f + kFatClips + kClipRecordSize * i;
        if (Get16(rec) != 0xFFFF && Get32(rec + 2) < 10)
            return 0;
    }

    DecodeTables();
    UpdateFreeSpace();
    loaded_ = true;
    return 1;
}

void CDisk::DecodeTables()
{
    Clear();
    const std::uint8_t* f = fat_.data();

    // Clip slots are packed: the n-th used record becomes slot n - 1.
    int filled = 0;
    for (int i = 0; i < kSlotCount; ++i) {
        const std::uint8_t* rec = f + kFatClips + kClipRecordSize * i;
        std::uint16_t frames = Get16(rec);
        // A record of no frames holds no clip: in memory it would be an
        // empty slot that still took a slot number (and could be named by a
        // playlist), and WriteFAT would drop it, renumbering the slots.
        if (frames == 0xFFFF || frames == 0)
            continue;
        ClipRecord& c = clips_[static_cast<std::size_t>(filled++)];
        c.frames = frames;
        c.firstSector = Get32(rec + 2);
        c.attribute = rec[6];
        const std::uint8_t* name = f + kFatNames + kNameLength * i;
        if (name[0] != 0xFF)
            std::memcpy(c.name, name, kNameLength);
    }

    // Playlists name their clips by first sector; they are re-linked to the
    // packed slots, and a clip known only to a playlist gets a slot of its own.
    for (int j = 0; j < f[0] && j < kPlaylistCount; ++j) {
        const std::uint8_t* a = f + kFatPlaylistA + kPlaylistRecordSize * j;
        const std::uint8_t* b = f + kFatPlaylistB + kPlaylistRecordSize * j;
        const int count = a[1];
        if (count == 0xFF || count != b[0])
            continue;
        Playlist& p = playlists_[static_cast<std::size_t>(j)];
        const int code = a[0] & 3;
        p.logoMode = code == 0 ? 1 : code == 1 ? 2 : 0;
        p.loop = (a[0] >> 2) & 1;
        for (int k = 0; k < count && k < kMaxEntries; ++k) {
            const std::uint16_t frames = Get16(b + 1 + 6 * k);
            const std::uint32_t sector = Get32(b + 3 + 6 * k);
            if (frames == 0 || sector < 10)
                break;
            int slot = -1;
            for (int s = 0; s < kSlotCount; ++s) {
                if (clips_[static_cast<std::size_t>(s)].firstSector == sector) {
                    slot = s;
                    break;
                }
            }
            if (slot < 0) {
                // A count of 0xFFFF would be stored as the empty-record
                // marker, so such an entry cannot bring its clip back: it is
                // dropped like an entry that finds no free slot.
                if (filled >= kSlotCount || frames == 0xFFFF)
                    continue;
                slot = filled++;
                ClipRecord& c = clips_[static_cast<std::size_t>(slot)];
                c.frames = frames;
                c.firstSector = sector;
            }
            PlaylistEntry e;
            e.slot = slot;
            e.transition = Get32(a + 2 + 6 * k);
            if ((e.transition >> 24) == 0)
                e.transition |= kTransitionCut;
            e.reserved = Get16(a + 6 + 6 * k);
            p.entries.push_back(e);
        }
        // A playlist left without entries is stored as all 0xFF, which keeps
        // neither its logo mode nor its loop flag: it is empty here too.
        if (p.entries.empty()) {
            p.logoMode = 0;
            p.loop = 0;
        }
    }
}

int CDisk::WriteFAT()
{
    fat_.assign(kFatSize, 0xFF);
    std::uint8_t* f = fat_.data();
    f[1] = 0;
    for (int i = 0; i < kSlotCount && i < static_cast<int>(clips_.size()); ++i) {
        const ClipRecord& c = clips_[static_cast<std::size_t>(i)];
        if (c.frames == 0)
            continue;
        std::uint8_t* rec = f + kFatClips + kClipRecordSize * i;
        Put16(rec, c.frames);
        Put32(rec + 2, c.firstSector);
        rec[6] = c.attribute;
        if (c.name[0] != 0)
            std::memcpy(f + kFatNames + kNameLength * i, c.name, kNameLength);
        ++f[1];
    }
    f[0] = kPlaylistCount;

    for (int j = 0; j < kPlaylistCount; ++j) {
        const Playlist& p = playlists_[static_cast<std::size_t>(j)];
        if (p.entries.empty())
            continue;
        std::uint8_t* a = f + kFatPlaylistA + kPlaylistRecordSize * j;
        std::uint8_t* b = f + kFatPlaylistB + kPlaylistRecordSize * j;
        std::uint8_t flags = 0xFF;
        if (p.logoMode == 1)
            flags &= static_cast<std::uint8_t>(~3u);
        else if (p.logoMode == 2)
            flags &= static_cast<std::uint8_t>(~2u);
        if (!p.loop)
            flags &= static_cast<std::uint8_t>(~4u);
        a[0] = flags;
        const int count = static_cast<int>(p.entries.size()) < kMaxEntries
                              ? static_cast<int>(p.entries.size())
                              : kMaxEntries;
        a[1] = static_cast<std::uint8_t>(count);
        b[0] = static_cast<std::uint8_t>(count);
        for (int k = 0; k < count; ++k) {
            const PlaylistEntry& e = p.entries[static_cast<std::size_t>(k)];
            Put32(a + 2 + 6 * k, e.transition);
            Put16(a + 6 + 6 * k, e.reserved);
            ClipRecord c;
            if (e.slot >= 0 && e.slot < static_cast<int>(clips_.size()))
                c = clips_[static_cast<std::size_t>(e.slot)];
            Put16(b + 1 + 6 * k, c.frames);
            Put32(b + 3 + 6 * k, c.firstSector);
        }
    }

    int ok = 0;
    int error = 0;
    if (device_) {
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
        ReportError(1);
    return ok;
}
