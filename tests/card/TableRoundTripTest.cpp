// Tables that must survive being read, written back and read again
// unchanged, from FAT areas the table fuzzer turned up: a record of no
// frames, a playlist that loads no entries but carries flags, an entry whose
// length is the empty-record marker; and the limits around that marker and
// the free-space count.
#include "CDisk.h"
#include "ClipWriter.h"
#include "MemoryDevice.h"
#include "RawFat.h"
#include "ScriptedInteraction.h"
#include "ScriptedProgress.h"
#include "TaggedCard.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

namespace {

class TableRoundTrip : public ::testing::Test {
protected:
    // Opens a card of 40 clusters holding `fat` and reads it.
    CDisk& Load()
    {
        state = MakeDeviceState(CardBytes(40));
        std::memcpy(state->bytes.data(), fat.data(), fat.size());
        EXPECT_TRUE(Reopen(state, disk));
        return disk;
    }

    // Writes the tables back and reads them with a fresh opening.
    void ExpectRoundTrip()
    {
        ASSERT_TRUE(disk.WriteFAT());
        CDisk again;
        ASSERT_TRUE(Reopen(state, again));
        EXPECT_EQ(TableSnapshot(disk), TableSnapshot(again));
    }

    std::vector<std::uint8_t> fat = rawfat::EmptyFat();
    std::shared_ptr<MemoryDeviceState> state;
    CDisk disk;
};

TEST_F(TableRoundTrip, RecordOfNoFramesTakesNoSlotAndNoPlaylistNamesAnEmptySlot)
{
    rawfat::PutClip(fat, 0, 0, CDisk::SectorOfCluster(1));
    rawfat::PutClip(fat, 1, 5, CDisk::SectorOfCluster(3), "two");
    // An entry that names the empty record's sector, then one for "two".
    rawfat::PutPlaylist(fat, 0, 0xFB, {{5, CDisk::SectorOfCluster(3)}, {4, CDisk::SectorOfCluster(1)}});
    CDisk& d = Load();

    EXPECT_EQ(5, d.Clips()[0].frames);
    EXPECT_STREQ("two", std::string(d.Clips()[0].name, 3).c_str());
    // The entry for cluster 1 brings that clip back with its own length.
    ASSERT_EQ(2u, d.Playlists()[0].entries.size());
    for (const PlaylistEntry& e : d.Playlists()[0].entries)
        EXPECT_NE(0, d.Clips()[static_cast<std::size_t>(e.slot)].frames);
    EXPECT_EQ(4, d.Clips()[1].frames);
    EXPECT_EQ(CDisk::SectorOfCluster(1), d.Clips()[1].firstSector);
    ExpectRoundTrip();
}

TEST_F(TableRoundTrip, PlaylistThatLoadsNoEntriesHasNoFlagsEither)
{
    rawfat::PutClip(fat, 0, 5, CDisk::SectorOfCluster(0), "one");
    rawfat::PutPlaylist(fat, 0, 0xFC, {});                              // count 0, logo "Turn OFF", loop on
    rawfat::PutPlaylist(fat, 1, 0xFD, {{0, CDisk::SectorOfCluster(0)}}); // its only entry has no length
    rawfat::PutPlaylist(fat, 2, 0xFC, {{5, CDisk::SectorOfCluster(0)}}); // a real one keeps its flags
    CDisk& d = Load();

    for (int j : {0, 1}) {
        EXPECT_TRUE(d.Playlists()[static_cast<std::size_t>(j)].entries.empty()) << j;
        EXPECT_EQ(0, d.Playlists()[static_cast<std::size_t>(j)].logoMode) << j;
        EXPECT_EQ(0, d.Playlists()[static_cast<std::size_t>(j)].loop) << j;
    }
    EXPECT_EQ(1, d.Playlists()[2].logoMode);
    EXPECT_EQ(1, d.Playlists()[2].loop);
    ExpectRoundTrip();
}

TEST_F(TableRoundTrip, EntryOfTheEmptyMarkersLengthBringsNoClipBack)
{
    rawfat::PutClip(fat, 0, 5, CDisk::SectorOfCluster(0), "one");
    // An unknown clip of 0xFFFF frames, then a known one.
    rawfat::PutPlaylist(fat, 0, 0xFB, {{0xFFFF, CDisk::SectorOfCluster(7)}, {5, CDisk::SectorOfCluster(0)}});
    CDisk& d = Load();

    EXPECT_EQ(0, d.Clips()[1].frames) << "no slot for a length that would be stored as an empty record";
    ASSERT_EQ(1u, d.Playlists()[0].entries.size());
    EXPECT_EQ(0, d.Playlists()[0].entries[0].slot);
    ExpectRoundTrip();
}

TEST_F(TableRoundTrip, FreeSpaceOfAHugeCardStopsAtTheLargestFrameCount)
{
    auto huge = MakeDeviceState(5120, 0xFF);
    huge->bytes[0] = 12;
    huge->bytes[1] = 0;
    huge->reportedSize = 5120ull + 144384ull * 3000000000ull + 512;
    ASSERT_EQ(0, disk.OpenDevice(std::make_unique<CMemoryDevice>(huge), 0));
    ASSERT_TRUE(disk.ReadFAT());
    EXPECT_EQ(3000000000u, disk.TotalClusters());
    EXPECT_EQ(INT_MAX, disk.FreeClusters());
}

TEST(ClipLengthLimit, ASourceOf65535FramesIsRefusedBecauseItsCountIsTheEmptyMarker)
{
    auto state = MakeTaggedCard({10, {}, {}});
    CScriptedInteraction ui;
    CDisk disk;
    disk.SetInteraction(&ui);
    ASSERT_TRUE(Reopen(state, disk));

    CScriptedProgress progress;
    CTaggedSource source(65535, 3);
    EXPECT_EQ(kWriteTooLong, WriteClip(disk, -1, source, progress));
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ(kIdsFileTooLong, ui.Shown()[0].id);
    EXPECT_NE(std::string::npos, ui.Shown()[0].text.find("65534"));
    EXPECT_EQ(0, state->writes);
    EXPECT_EQ(0, source.reads);
}

} // namespace
