// Fuzz target: any 5120 bytes as the FAT area of a card of any cluster
// count. The input is the FAT area (zero-filled when shorter) followed by up
// to 4 bytes of cluster count, little-endian. ReadFAT must never crash or
// read outside the area; a table it accepts must keep the invariants the
// editing code relies on, and written back with WriteFAT and read again it
// must give the same tables. Written back, the area is the only part of
// the card's clips and tables that changes: the journal that guards it lies
// in the spare sector or a cluster no clip holds, and is cleared after.
#include "CDisk.h"
#include "MemoryDevice.h"
#include "TableJournal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_fat_table: %s\n", what);
        std::abort();
    }
}

// Everything the tables say, with a name that has no first character
// counted as no name at all.
std::vector<long long> Tables(const CDisk& disk)
{
    std::vector<long long> v;
    for (const ClipRecord& c : disk.Clips()) {
        v.insert(v.end(), {c.frames, c.firstSector, c.attribute});
        for (int i = 0; i < kNameLength; ++i)
            v.push_back(c.name[0] == 0 ? 0 : static_cast<unsigned char>(c.name[i]));
    }
    for (const Playlist& p : disk.Playlists()) {
        v.insert(v.end(), {-1, p.logoMode, p.loop, static_cast<long long>(p.entries.size())});
        for (const PlaylistEntry& e : p.entries)
            v.insert(v.end(), {e.slot, e.transition, e.reserved});
    }
    return v;
}

void CheckInvariants(const CDisk& disk)
{
    Require(disk.IsLoaded(), "accepted table not loaded");
    Require(disk.Clips().size() == static_cast<std::size_t>(kSlotCount), "clip table is not 144 slots");
    long long used = 0;
    for (const ClipRecord& c : disk.Clips()) {
        used += c.frames;
        Require(c.frames == 0 || c.firstSector >= 10, "a used slot starts inside the FAT area");
        Require(c.frames != 0xFFFF, "a slot holds a count that reads back as the empty marker");
    }
    // Free space is the cluster count less the clips, never below 0 and
    // never past what a frame count holds.
    long long free = static_cast<long long>(disk.TotalClusters()) - used;
    free = free < 0 ? 0 : free > 0x7FFFFFFF ? 0x7FFFFFFF : free;
    Require(disk.FreeClusters() == free, "wrong free space");
    for (const Playlist& p : disk.Playlists()) {
        Require(p.entries.size() <= static_cast<std::size_t>(kMaxEntries), "more than 12 entries");
        Require(p.logoMode >= 0 && p.logoMode <= 2, "logo mode out of range");
        Require(p.loop == 0 || p.loop == 1, "loop flag out of range");
        for (const PlaylistEntry& e : p.entries) {
            Require(e.slot >= 0 && e.slot < kSlotCount, "entry names no slot");
            Require(disk.Clips()[static_cast<std::size_t>(e.slot)].frames != 0, "entry names an empty slot");
            Require((e.transition >> 24) != 0, "entry without a transition code");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto state = std::make_shared<MemoryDeviceState>();
    state->bytes.assign(kFatSize, 0);
    std::memcpy(state->bytes.data(), data, size < static_cast<std::size_t>(kFatSize) ? size : kFatSize);
    std::uint32_t clusters = 0;
    for (std::size_t i = kFatSize; i < size && i < static_cast<std::size_t>(kFatSize) + 4; ++i)
        clusters |= static_cast<std::uint32_t>(data[i]) << (8 * (i - kFatSize));
    // The device reports the size of a card of `clusters` clusters and one
    // spare sector; past the FAT area it holds only what is written there.
    state->reportedSize = static_cast<std::uint64_t>(kFatSize) +
                          static_cast<std::uint64_t>(kClusterSize) * clusters + kSectorSize;
    state->sparseBeyond = true;
    const std::vector<std::uint8_t> original = state->bytes;

    CDisk disk;
    Require(disk.OpenDevice(std::make_unique<CMemoryDevice>(state), 0) == kOpenOk, "open failed");
    Require(disk.TotalClusters() == clusters, "wrong cluster count");
    if (!disk.ReadFAT()) {
        Require(!disk.IsLoaded(), "refused table left loaded");
        return 0;
    }
    Require(state->bytes == original, "reading changed the card");
    CheckInvariants(disk);
    const std::vector<long long> first = Tables(disk);

    Require(disk.WriteFAT() != 0, "WriteFAT failed");
    int areaWrites = 0;
    for (std::uint64_t at : state->writeOffsets) {
        if (at == 0) {
            ++areaWrites;
            continue;
        }
        Require(at >= ClusterOffset(0) && at <= ClusterOffset(clusters), "WriteFAT wrote inside the FAT area");
        if (at == ClusterOffset(clusters))
            continue; // the spare sector, which a record past the last cluster may seem to cover
        const std::uint64_t cluster = (at - ClusterOffset(0)) / kClusterSize;
        for (const ClipRecord& c : disk.Clips())
            Require(c.frames == 0 || cluster < CDisk::ClusterOfSector(c.firstSector) ||
                        cluster >= CDisk::ClusterOfSector(c.firstSector) + c.frames,
                    "the table's journal went into a clip");
    }
    Require(areaWrites == 1, "WriteFAT did not write the FAT area once");
    const auto spare = state->sparseSectors.find(ClusterOffset(clusters) / kSectorSize);
    TableJournal left;
    Require(spare == state->sparseSectors.end() || DecodeTableJournal(spare->second.data(), left) == kJournalNone,
            "the table's journal was not cleared");
    const std::vector<std::uint8_t> written = state->bytes;

    CDisk again;
    Require(again.OpenDevice(std::make_unique<CMemoryDevice>(state), 0) == kOpenOk, "reopen failed");
    Require(again.ReadFAT() != 0, "a written table is refused");
    CheckInvariants(again);
    Require(Tables(again) == first, "tables differ after WriteFAT and ReadFAT");
    Require(again.WriteFAT() != 0 && state->bytes == written, "a second write gives other bytes");
    return 0;
}
