// The card's geometry and the records kept in its FAT area: clip slots and
// playlists with their limits, where every record and every field lies in
// the area's 5120 bytes, and the records encoding and decoding themselves
// (CardLayout.cpp). Numbers are little-endian; a byte no record covers is
// 0xFF.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

inline constexpr int kSectorSize = 512;
inline constexpr int kFatSectors = 10;
inline constexpr int kFatSize = kFatSectors * kSectorSize;           // 5120
inline constexpr int kSectorsPerCluster = 282;
inline constexpr int kClusterSize = kSectorsPerCluster * kSectorSize; // 144384
inline constexpr int kFrameSize = 144000;
inline constexpr int kClusterTail = kClusterSize - kFrameSize;        // 384
// Cluster 0 begins right after the FAT area; a first sector below it names
// no cluster.
inline constexpr std::uint32_t kFirstClusterSector = kFatSectors;

// Byte offset of cluster `cluster` on the card.
constexpr std::uint64_t ClusterOffset(std::uint64_t cluster)
{
    return static_cast<std::uint64_t>(kFatSize) + static_cast<std::uint64_t>(kClusterSize) * cluster;
}

inline constexpr int kSlotCount = 144;
inline constexpr int kPlaylistCount = 12;
inline constexpr int kMaxEntries = 12;
// A record's 16-bit frame count of 0xFFFF marks an empty slot, so the
// longest clip a slot can record is one frame less.
inline constexpr int kMaxClipFrames = 65534;
inline constexpr int kMinClipFrames = 75;
inline constexpr int kNameLength = 8;

// Transition codes in the top byte of an entry's transition word; the other
// bits are carried unchanged.
inline constexpr std::uint32_t kTransitionCut = 0xA1000000u;
inline constexpr std::uint32_t kTransitionAuto = 0xA2000000u;
inline constexpr std::uint32_t kTransitionCodeMask = 0xFF000000u;

// FAT area byte map.
inline constexpr int kFatPlaylistCount = 0; // byte: playlist records, written as 12
inline constexpr int kFatClipCount = 1;     // byte: used clip records
inline constexpr int kFatPlaylistA = 512;   // table A: flags, count, transition words
inline constexpr int kFatPlaylistB = 1536;  // table B: count, the clips the entries play
inline constexpr int kPlaylistRecordSize = 74;
inline constexpr int kFatNames = 2560;
inline constexpr int kFatClips = 3712;
inline constexpr int kClipRecordSize = 7;

constexpr int PlaylistAAt(int playlist) { return kFatPlaylistA + kPlaylistRecordSize * playlist; }
constexpr int PlaylistBAt(int playlist) { return kFatPlaylistB + kPlaylistRecordSize * playlist; }
constexpr int ClipNameAt(int slot) { return kFatNames + kNameLength * slot; }
constexpr int ClipRecordAt(int slot) { return kFatClips + kClipRecordSize * slot; }

// A clip's run, as a clip record begins and as an entry of table B names
// the clip it plays: 16-bit frame count, 32-bit first sector.
inline constexpr int kRunFrames = 0;
inline constexpr int kRunFirstSector = 2;
// Clip record: the run, then the attribute byte.
inline constexpr int kClipAttribute = 6;
// The frame count of a record that holds no clip.
inline constexpr std::uint16_t kNoClipFrames = 0xFFFF;
// The first byte of a name that is no name.
inline constexpr std::uint8_t kNoNameByte = 0xFF;

// Playlist record of table A: flags, entry count, then the entries' 6 bytes
// each (transition word, reserved 16 bits). Table B: the entry count again,
// then the entries' 6 bytes each (the run of the clip the entry plays).
inline constexpr int kPlaylistFlags = 0;
inline constexpr int kPlaylistCountA = 1;
inline constexpr int kPlaylistEntriesA = 2;
inline constexpr int kPlaylistCountB = 0;
inline constexpr int kPlaylistEntriesB = 1;
inline constexpr int kEntryStride = 6;
inline constexpr int kEntryTransition = 0;
inline constexpr int kEntryReserved = 4;
// The entry count of an empty playlist, whose records are all 0xFF.
inline constexpr std::uint8_t kEmptyPlaylistCount = 0xFF;
constexpr int EntryAAt(int entry) { return kPlaylistEntriesA + kEntryStride * entry; }
constexpr int EntryBAt(int entry) { return kPlaylistEntriesB + kEntryStride * entry; }

// Flags byte: the logo code in bits 0 and 1 (00 turn off, 01 turn on,
// anything else do nothing), the loop flag in bit 2, the other bits 1.
inline constexpr std::uint8_t kLogoBits = 0x03;
inline constexpr std::uint8_t kLogoOffCode = 0x00;
inline constexpr std::uint8_t kLogoOnCode = 0x01;
inline constexpr std::uint8_t kLoopBit = 0x04;

// A clip's run as records name it (kRunFrames, kRunFirstSector).
struct ClipRun {
    std::uint16_t frames = 0;
    std::uint32_t firstSector = 0;

    void EncodeTo(std::uint8_t* bytes) const;
    static ClipRun DecodeFrom(const std::uint8_t* bytes);
};

struct ClipRecord {
    char name[kNameLength] = {};   // card code page; name[0] == 0: no name
    std::uint16_t frames = 0;      // 0: empty slot
    std::uint32_t firstSector = 0; // 0 in an empty slot
    std::uint8_t attribute = 0;    // carried unchanged

    // Into its record and its name (written only when it has one).
    void EncodeTo(std::uint8_t* record, std::uint8_t* nameBytes) const;
    // The record as stored (its frame count may be the no-clip marker),
    // with the name unless its first byte says there is none.
    static ClipRecord DecodeFrom(const std::uint8_t* record, const std::uint8_t* nameBytes);
};

struct PlaylistEntry {
    std::int32_t slot = 0;
    std::uint32_t transition = kTransitionCut;
    std::uint16_t reserved = 0;

    // Its place in table A: transition word and reserved value.
    void EncodeTo(std::uint8_t* bytes) const;
    // The same read back, a transition without a code read as CUT; the
    // slot is the caller's to find.
    static PlaylistEntry DecodeFrom(const std::uint8_t* bytes);
};

struct Playlist {
    std::vector<PlaylistEntry> entries;
    int logoMode = 0; // 0 do nothing, 1 turn off, 2 turn on
    bool loop = false;

    // Its records of tables A and B, each entry naming the run of its slot
    // in `clips` (none for a slot outside it). Only a playlist with entries
    // is stored.
    void EncodeTo(std::uint8_t* recordA, std::uint8_t* recordB, const std::vector<ClipRecord>& clips) const;
    // Logo mode and loop flag from the flags byte of table A.
    void DecodeFlags(std::uint8_t flags);
};

// The whole FAT area of these tables, as WriteFAT stores it: the records
// and names of the used slots at their slot numbers, the playlists that
// have entries, the two counts, and 0xFF everywhere else.
std::vector<std::uint8_t> EncodeFatArea(const std::vector<ClipRecord>& clips,
                                        const std::array<Playlist, kPlaylistCount>& playlists);
