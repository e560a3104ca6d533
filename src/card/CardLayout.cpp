// The FAT area's records encoding and decoding themselves, little-endian,
// at the offsets CardLayout.h names.
#include "CardLayout.h"

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

void ClipRun::EncodeTo(std::uint8_t* bytes) const
{
    Put16(bytes + kRunFrames, frames);
    Put32(bytes + kRunFirstSector, firstSector);
}

ClipRun ClipRun::DecodeFrom(const std::uint8_t* bytes)
{
    ClipRun run;
    run.frames = Get16(bytes + kRunFrames);
    run.firstSector = Get32(bytes + kRunFirstSector);
    return run;
}

void ClipRecord::EncodeTo(std::uint8_t* record, std::uint8_t* nameBytes) const
{
    ClipRun{frames, firstSector}.EncodeTo(record);
    record[kClipAttribute] = attribute;
    if (name[0] != 0)
        std::memcpy(nameBytes, name, kNameLength);
}

ClipRecord ClipRecord::DecodeFrom(const std::uint8_t* record, const std::uint8_t* nameBytes)
{
    ClipRecord clip;
    const ClipRun run = ClipRun::DecodeFrom(record);
    clip.frames = run.frames;
    clip.firstSector = run.firstSector;
    clip.attribute = record[kClipAttribute];
    if (nameBytes[0] != kNoNameByte)
        std::memcpy(clip.name, nameBytes, kNameLength);
    return clip;
}

void PlaylistEntry::EncodeTo(std::uint8_t* bytes) const
{
    Put32(bytes + kEntryTransition, transition);
    Put16(bytes + kEntryReserved, reserved);
}

PlaylistEntry PlaylistEntry::DecodeFrom(const std::uint8_t* bytes)
{
    PlaylistEntry entry;
    entry.transition = Get32(bytes + kEntryTransition);
    if ((entry.transition & kTransitionCodeMask) == 0)
        entry.transition |= kTransitionCut;
    entry.reserved = Get16(bytes + kEntryReserved);
    return entry;
}

void Playlist::EncodeTo(std::uint8_t* recordA, std::uint8_t* recordB, const std::vector<ClipRecord>& clips) const
{
    std::uint8_t flags = 0xFF;
    if (logoMode == 1)
        flags = static_cast<std::uint8_t>((flags & ~kLogoBits) | kLogoOffCode);
    else if (logoMode == 2)
        flags = static_cast<std::uint8_t>((flags & ~kLogoBits) | kLogoOnCode);
    if (!loop)
        flags = static_cast<std::uint8_t>(flags & ~kLoopBit);
    recordA[kPlaylistFlags] = flags;
    const int count = static_cast<int>(entries.size()) < kMaxEntries ? static_cast<int>(entries.size()) : kMaxEntries;
    recordA[kPlaylistCountA] = static_cast<std::uint8_t>(count);
    recordB[kPlaylistCountB] = static_cast<std::uint8_t>(count);
    for (int k = 0; k < count; ++k) {
        const PlaylistEntry& e = entries[static_cast<std::size_t>(k)];
        e.EncodeTo(recordA + EntryAAt(k));
        ClipRun run;
        if (e.slot >= 0 && e.slot < static_cast<int>(clips.size()))
            run = ClipRun{clips[static_cast<std::size_t>(e.slot)].frames, clips[static_cast<std::size_t>(e.slot)].firstSector};
        run.EncodeTo(recordB + EntryBAt(k));
    }
}

void Playlist::DecodeFlags(std::uint8_t flags)
{
    const int code = flags & kLogoBits;
    logoMode = code == kLogoOffCode ? 1 : code == kLogoOnCode ? 2 : 0;
    loop = (flags & kLoopBit) != 0;
}

std::vector<std::uint8_t> EncodeFatArea(const std::vector<ClipRecord>& clips,
                                        const std::array<Playlist, kPlaylistCount>& playlists)
{
    std::vector<std::uint8_t> fat(kFatSize, 0xFF);
    std::uint8_t* f = fat.data();
    f[kFatClipCount] = 0;
    for (int i = 0; i < kSlotCount && i < static_cast<int>(clips.size()); ++i) {
        const ClipRecord& c = clips[static_cast<std::size_t>(i)];
        if (c.frames == 0)
            continue;
        c.EncodeTo(f + ClipRecordAt(i), f + ClipNameAt(i));
        ++f[kFatClipCount];
    }
    f[kFatPlaylistCount] = kPlaylistCount;
    for (int j = 0; j < kPlaylistCount; ++j) {
        const Playlist& p = playlists[static_cast<std::size_t>(j)];
        if (!p.entries.empty())
            p.EncodeTo(f + PlaylistAAt(j), f + PlaylistBAt(j), clips);
    }
    return fat;
}
