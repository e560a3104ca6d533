// The card's geometry and the records kept in its FAT area: clip slots and
// playlists with their limits.
#pragma once
#include <cstdint>
#include <vector>

inline constexpr int kSectorSize = 512;
inline constexpr int kFatSectors = 10;
inline constexpr int kFatSize = kFatSectors * kSectorSize;           // 5120
inline constexpr int kSectorsPerCluster = 282;
inline constexpr int kClusterSize = kSectorsPerCluster * kSectorSize; // 144384
inline constexpr int kFrameSize = 144000;
inline constexpr int kClusterTail = kClusterSize - kFrameSize;        // 384

inline constexpr int kSlotCount = 144;
inline constexpr int kPlaylistCount = 12;
inline constexpr int kMaxEntries = 12;
// A record's 16-bit frame count of 0xFFFF marks an empty slot, so the
// longest clip a slot can record is one frame less.
inline constexpr int kMaxClipFrames = 65534;
inline constexpr int kMinClipFrames = 75;
inline constexpr int kNameLength = 8;

// Transition codes in the top byte of an entry's transition word.
inline constexpr std::uint32_t kTransitionCut = 0xA1000000u;
inline constexpr std::uint32_t kTransitionAuto = 0xA2000000u;

// FAT area byte map.
inline constexpr int kFatPlaylistA = 512;
inline constexpr int kFatPlaylistB = 1536;
inline constexpr int kPlaylistRecordSize = 74;
inline constexpr int kFatNames = 2560;
inline constexpr int kFatClips = 3712;
inline constexpr int kClipRecordSize = 7;

struct ClipRecord {
    char name[kNameLength] = {};   // card code page; name[0] == 0: no name
    std::uint16_t frames = 0;      // 0: empty slot
    std::uint32_t firstSector = 0; // 0 in an empty slot
    std::uint8_t attribute = 0;    // carried unchanged
};

struct PlaylistEntry {
    std::int32_t slot = 0;
    std::uint32_t transition = kTransitionCut;
    std::uint16_t reserved = 0;
};

struct Playlist {
    std::vector<PlaylistEntry> entries;
    int logoMode = 0; // 0 do nothing, 1 turn off, 2 turn on
    int loop = 0;
};
