// A loaded card of 20 clusters on the fault-injecting memory device, for the
// tests of the table operations: clips placed in memory and stored, the
// device's counters reset, and a second CDisk that reads back what reached
// the card.
#pragma once
#include "CDisk.h"
#include "CardFixtures.h"
#include "MemoryDevice.h"
#include "ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

class LoadedCard : public ::testing::Test {
protected:
    static constexpr int kClusters = 20;

    void SetUp() override
    {
        state = MakeCardState(kClusters);
        // Every cluster holds its own number, so moved or touched frames show.
        for (int c = 0; c < kClusters; ++c)
            std::memset(state->bytes.data() + ClusterOffset(c), c + 1, kClusterSize);
        std::memset(state->bytes.data(), 0xFF, 5120);
        state->bytes[0] = 12;
        state->bytes[1] = 0;
        disk.SetInteraction(&ui);
        ASSERT_EQ(0, disk.OpenDevice(std::make_unique<CMemoryDevice>(state), 0));
        ASSERT_TRUE(disk.ReadFAT());
    }

    // Puts a clip into `slot` at `cluster` (in memory only).
    void AddClip(int slot, std::uint16_t frames, int cluster, const char* name = "")
    {
        ClipRecord& c = disk.Clips()[static_cast<std::size_t>(slot)];
        c.frames = frames;
        c.firstSector = CDisk::SectorOfCluster(static_cast<std::uint32_t>(cluster));
        std::memset(c.name, 0, sizeof c.name);
        std::memcpy(c.name, name, std::strlen(name));
    }

    void AddEntries(int playlist, const std::vector<int>& slots)
    {
        for (int s : slots)
            disk.Playlists()[static_cast<std::size_t>(playlist)].entries.push_back(PlaylistEntry{s, kTransitionCut, 0});
    }

    // Stores the tables built in memory and forgets every transfer so far.
    void Commit()
    {
        ASSERT_TRUE(disk.WriteFAT());
        state->reads = state->writes = state->flushes = 0;
        state->readOffsets.clear();
        state->writeOffsets.clear();
        before = state->bytes;
        ui.Reset();
    }

    // A second opening of the same card, its tables read from the bytes.
    CDisk& Reread()
    {
        reread = std::make_unique<CDisk>();
        EXPECT_EQ(0, reread->OpenDevice(std::make_unique<CMemoryDevice>(state), 0));
        EXPECT_TRUE(reread->ReadFAT());
        return *reread;
    }

    std::vector<int> Slots(const CDisk& d, int playlist) const
    {
        std::vector<int> out;
        for (const PlaylistEntry& e : d.Playlists()[static_cast<std::size_t>(playlist)].entries)
            out.push_back(e.slot);
        return out;
    }

    // Everything in the tables, so that "nothing changed" is one comparison.
    static std::vector<long long> Snapshot(const CDisk& d)
    {
        return TableSnapshot(d);
    }

    // The 74-byte records of playlist j in tables A and B, as stored.
    std::vector<std::uint8_t> RecordA(int j) const { return Bytes(512 + 74 * j, 74); }
    std::vector<std::uint8_t> RecordB(int j) const { return Bytes(1536 + 74 * j, 74); }
    std::vector<std::uint8_t> Bytes(std::size_t at, std::size_t n) const
    {
        return {state->bytes.begin() + static_cast<long>(at), state->bytes.begin() + static_cast<long>(at + n)};
    }

    // Only the FAT area was ever written.
    void ExpectOnlyFatWritten() const
    {
        for (std::uint64_t off : state->writeOffsets)
            EXPECT_EQ(0u, off);
        EXPECT_TRUE(std::equal(before.begin() + 5120, before.end(), state->bytes.begin() + 5120))
            << "clusters must not be touched";
    }

    std::shared_ptr<MemoryDeviceState> state;
    std::vector<std::uint8_t> before;
    CScriptedInteraction ui;
    CDisk disk;
    std::unique_ptr<CDisk> reread;
};
