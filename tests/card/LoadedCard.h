// A loaded card (of 20 clusters unless told) on the fault-injecting memory
// device, for the tests of the table operations and of the writer: built
// from a tagged card description and read as the program reads a card, the
// device's counters reset, and a second CDisk that reads back what reached
// the card.
#pragma once
#include "CDisk.h"
#include "ClipWriter.h"
#include "MemoryDevice.h"
#include "ScriptedInteraction.h"
#include "ScriptedProgress.h"
#include "TableJournal.h"
#include "TaggedCard.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

class LoadedCard : public ::testing::Test {
protected:
    static constexpr int kClusters = 20;

    // Opens a card of 20 clusters holding `clips` and `playlists`, or one
    // of `layout`, and forgets every transfer so far.
    void Load(const std::vector<TaggedClip>& clips, const std::vector<TaggedPlaylist>& playlists = {})
    {
        Load(TaggedCardLayout{kClusters, clips, playlists});
    }
    void Load(const TaggedCardLayout& layout)
    {
        state = MakeTaggedCard(layout);
        ASSERT_NE(nullptr, state);
        disk.SetInteraction(&ui);
        ASSERT_TRUE(Reopen(state, disk));
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
        EXPECT_TRUE(Reopen(state, *reread));
        return *reread;
    }

    // The slot the writer takes when none is chosen, -1 for none: a write of
    // a source too short to be written, which goes no further (its message
    // is not shown).
    int WriterSlot()
    {
        CTaggedSource tooShort(1, 0);
        CScriptedProgress progress;
        ClipWriteReport report;
        IInteraction* shown = disk.Interaction();
        disk.SetInteraction(nullptr);
        WriteClip(disk, -1, tooShort, progress, nullptr, &report);
        disk.SetInteraction(shown);
        return report.slot;
    }

    std::vector<int> Slots(const CDisk& d, int playlist) const
    {
        std::vector<int> out;
        for (const PlaylistEntry& e : d.Playlists()[static_cast<std::size_t>(playlist)].entries)
            out.push_back(e.slot);
        return out;
    }

    // The 74-byte records of playlist j in tables A and B, as stored.
    std::vector<std::uint8_t> RecordA(int j) const { return Bytes(512 + 74 * j, 74); }
    std::vector<std::uint8_t> RecordB(int j) const { return Bytes(1536 + 74 * j, 74); }
    std::vector<std::uint8_t> Bytes(std::size_t at, std::size_t n) const
    {
        return {state->bytes.begin() + static_cast<long>(at), state->bytes.begin() + static_cast<long>(at + n)};
    }

    // Only the FAT area and the table journal after the last cluster were
    // ever written, and the journal is cleared.
    void ExpectOnlyFatWritten() const
    {
        const std::uint64_t spare = ClusterOffset(disk.TotalClusters());
        for (std::uint64_t off : state->writeOffsets)
            EXPECT_TRUE(off == 0u || off == spare) << off;
        EXPECT_TRUE(std::equal(before.begin() + 5120, before.begin() + static_cast<long>(spare),
                               state->bytes.begin() + 5120))
            << "clusters must not be touched";
        TableJournal journal;
        EXPECT_EQ(kJournalNone, DecodeTableJournal(state->bytes.data() + spare, journal));
    }

    std::shared_ptr<MemoryDeviceState> state;
    std::vector<std::uint8_t> before;
    CScriptedInteraction ui;
    CDisk disk;
    std::unique_ptr<CDisk> reread;
};
