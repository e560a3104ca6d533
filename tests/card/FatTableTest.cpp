// The FAT area: byte layout written by WriteFAT, decoding and validation by
// ReadFAT, and the round trip between them.
#include "CDisk.h"
#include "MemoryDevice.h"
#include "RawFat.h"
#include "ScriptedInteraction.h"
#include "TaggedCard.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr std::size_t kSmallCard = 5120 + 144384ull * 20 + 512; // 20 clusters

using namespace rawfat;

class FatTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        state = MakeDeviceState(kSmallCard, 0);
        disk.SetInteraction(&ui);
        ASSERT_EQ(0, disk.OpenDevice(std::make_unique<CMemoryDevice>(state), 0));
    }
    void Store(const std::vector<std::uint8_t>& fat) { std::memcpy(state->bytes.data(), fat.data(), 5120); }
    std::vector<std::uint8_t> Stored() const { return {state->bytes.begin(), state->bytes.begin() + 5120}; }

    // One clip "beach" of 100 frames at cluster 0, playlist 1 holding it
    // once, read from a card; its FAT area is then wiped, so that what is
    // stored afterwards is WriteFAT's.
    void LoadBeach(bool loop, int logoMode)
    {
        state = MakeTaggedCard({20, {{0, 0, 100, 1, "beach"}}, {{{0}, loop, {}, logoMode}}});
        ASSERT_NE(nullptr, state);
        ASSERT_TRUE(Reopen(state, disk));
        std::fill(state->bytes.begin(), state->bytes.begin() + 5120, 0);
    }

    std::shared_ptr<MemoryDeviceState> state;
    CScriptedInteraction ui;
    CDisk disk;
};

} // namespace

TEST_F(FatTable, BeachExampleIsWrittenByteForByte)
{
    LoadBeach(true, 0);
    ASSERT_TRUE(disk.WriteFAT());

    std::vector<std::uint8_t> expected(5120, 0xFF);
    const std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> fields = {
        {0, {0x0C, 0x01}},
        {512, {0xFF, 0x01, 0x00, 0x00, 0x00, 0xA1, 0x00, 0x00}},
        {1536, {0x01, 0x64, 0x00, 0x0A, 0x00, 0x00, 0x00}},
        {2560, {0x62, 0x65, 0x61, 0x63, 0x68, 0x00, 0x00, 0x00}},
        {3712, {0x64, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const auto& [at, bytes] : fields)
        std::copy(bytes.begin(), bytes.end(), expected.begin() + static_cast<long>(at));
    EXPECT_EQ(expected, Stored());
    EXPECT_EQ(std::vector<std::uint64_t>{0}, state->writeOffsets) << "the area in one write";
    EXPECT_GE(state->flushes, 1) << "the table must be flushed before success";
}

TEST_F(FatTable, LoopAndLogoModeSetTheFlagsByte)
{
    struct Case {
        bool loop;
        int logo;
        std::uint8_t flags;
    };
    for (Case c : {Case{false, 0, 0xFB}, Case{true, 1, 0xFC}, Case{true, 2, 0xFD}, Case{false, 1, 0xF8}, Case{true, 0, 0xFF}}) {
        LoadBeach(c.loop, c.logo);
        ASSERT_TRUE(disk.WriteFAT());
        EXPECT_EQ(c.flags, state->bytes[512]) << "loop " << c.loop << " logo " << c.logo;
        ASSERT_TRUE(disk.ReadFAT());
        EXPECT_EQ(c.loop, disk.Playlists()[0].loop);
        EXPECT_EQ(c.logo, disk.Playlists()[0].logoMode);
    }
}

TEST_F(FatTable, ClearedTableIsTwelveZeroAndAllFF)
{
    disk.Clear();
    ASSERT_TRUE(disk.WriteFAT());
    auto fat = Stored();
    EXPECT_EQ(12, fat[0]);
    EXPECT_EQ(0, fat[1]);
    EXPECT_EQ(5118, std::count(fat.begin() + 2, fat.end(), 0xFF));
}

TEST_F(FatTable, ThreeEntryPlaylistLeavesVacantPlacesFF)
{
    disk.Format();
    ASSERT_EQ(kEditStored, disk.RecordClip(0, "", 80, 10).result);
    for (int k = 0; k < 3; ++k)
        ASSERT_EQ(kEditStored, disk.InsertEntry(4, 0).result);
    auto fat = Stored();
    const std::size_t a = 512 + 74 * 4, b = 1536 + 74 * 4;
    EXPECT_EQ(3, fat[a + 1]);
    EXPECT_EQ(3, fat[b]);
    EXPECT_TRUE(std::all_of(fat.begin() + a + 2 + 18, fat.begin() + a + 74, [](auto v) { return v == 0xFF; }));
    EXPECT_TRUE(std::all_of(fat.begin() + b + 1 + 18, fat.begin() + b + 74, [](auto v) { return v == 0xFF; }));
}

TEST_F(FatTable, UsedRecordsAreLoadedPackedAndWrittenBackPacked)
{
    auto f = EmptyFat();
    PutClip(f, 2, 100, 10, "two", 7);
    PutClip(f, 5, 50, 10 + 282 * 100, "five");
    Store(f);
    ASSERT_TRUE(disk.ReadFAT());
    EXPECT_TRUE(disk.IsLoaded());
    EXPECT_EQ(100, disk.Clips()[0].frames);
    EXPECT_STREQ("two", std::string(disk.Clips()[0].name, 8).c_str());
    EXPECT_EQ(7, disk.Clips()[0].attribute);
    EXPECT_EQ(50, disk.Clips()[1].frames);
    EXPECT_EQ(10u + 282 * 100, disk.Clips()[1].firstSector);
    EXPECT_EQ(0, disk.Clips()[2].frames);
    EXPECT_EQ(0, disk.FreeClusters()) << "free space never negative";

    ASSERT_TRUE(disk.WriteFAT());
    auto w = Stored();
    EXPECT_EQ(100, w[3712] | (w[3713] << 8));
    EXPECT_EQ(50, w[3712 + 7] | (w[3713 + 7] << 8));
    EXPECT_EQ(0xFF, w[3712 + 14]);
    EXPECT_EQ(0, std::memcmp(&w[2560], "two\0\0\0\0\0", 8));
}

TEST_F(FatTable, PlaylistsRelinkByFirstSectorAndRecoverUnknownClips)
{
    auto f = EmptyFat();
    PutClip(f, 0, 10, 10);
    PutClip(f, 1, 5, 10 + 282 * 10);
    // Playlist 2: the second clip, then a clip no record knows, then the first.
    PutPlaylist(f, 2, 0xFB,
                {{5, 10 + 282 * 10, 0xA2000000u, 9}, {3, 10 + 282 * 15, 0x00000123u, 0}, {10, 10, kTransitionCut, 0}});
    Store(f);
    ASSERT_TRUE(disk.ReadFAT());
    const Playlist& p = disk.Playlists()[2];
    ASSERT_EQ(3u, p.entries.size());
    EXPECT_EQ(1, p.entries[0].slot);
    EXPECT_EQ(0xA2000000u, p.entries[0].transition);
    EXPECT_EQ(9, p.entries[0].reserved);
    EXPECT_EQ(2, p.entries[1].slot) << "a clip only the playlist knew gets the next slot";
    EXPECT_EQ(0xA1000123u, p.entries[1].transition) << "top byte 0 loads as CUT";
    EXPECT_EQ(3, disk.Clips()[2].frames);
    EXPECT_EQ(10u + 282 * 15, disk.Clips()[2].firstSector);
    EXPECT_EQ(0, disk.Clips()[2].name[0]);
    EXPECT_EQ(0, p.entries[2].slot);
    EXPECT_EQ(0, p.loop);
    EXPECT_EQ(0, p.logoMode);
    EXPECT_EQ(20 - 18, disk.FreeClusters());
}

TEST_F(FatTable, DamagedPlaylistsAreDroppedAloneOrCutShort)
{
    auto f = EmptyFat();
    PutClip(f, 0, 10, 10);
    PutPlaylist(f, 0, 0xFF, {{10, 10, kTransitionCut, 0}}, /*countB=*/2);       // counts differ
    PutPlaylist(f, 1, 0xFF, {{10, 10, kTransitionCut, 0}, {0, 10, kTransitionCut, 0}, {10, 10, kTransitionCut, 0}});
    PutPlaylist(f, 3, 0xFF, {{10, 9, kTransitionCut, 0}, {10, 10, kTransitionCut, 0}}); // sector below 10
    PutPlaylist(f, 5, 0xFF, {{10, 10, kTransitionCut, 0}});
    Store(f);
    ASSERT_TRUE(disk.ReadFAT());
    EXPECT_TRUE(disk.Playlists()[0].entries.empty());
    EXPECT_EQ(1u, disk.Playlists()[1].entries.size()) << "a zero-length entry ends the playlist";
    EXPECT_TRUE(disk.Playlists()[3].entries.empty());
    EXPECT_EQ(1u, disk.Playlists()[5].entries.size());
}

TEST_F(FatTable, PlaylistCountLimitsWhichPlaylistsAreRead)
{
    auto f = EmptyFat();
    PutClip(f, 0, 10, 10);
    PutPlaylist(f, 3, 0xFF, {{10, 10, kTransitionCut, 0}});
    f[0] = 3; // only playlists 0 to 2 exist
    Store(f);
    ASSERT_TRUE(disk.ReadFAT());
    EXPECT_TRUE(disk.Playlists()[3].entries.empty());
}

TEST_F(FatTable, MalformedAreasAreRejectedSilentlyAndKeepTheTables)
{
    auto good = EmptyFat();
    PutClip(good, 0, 10, 10);
    Store(good);
    ASSERT_TRUE(disk.ReadFAT());

    auto tooManyPlaylists = EmptyFat();
    tooManyPlaylists[0] = 13;
    auto tooManyClips = EmptyFat();
    tooManyClips[1] = 145;
    auto lowSector = EmptyFat();
    PutClip(lowSector, 4, 10, 9);
    const std::vector<std::vector<std::uint8_t>> bad = {
        tooManyPlaylists, tooManyClips, lowSector, std::vector<std::uint8_t>(5120, 0xFF),
        std::vector<std::uint8_t>(5120, 0x00)};
    for (const auto& fat : bad) {
        Store(fat);
        EXPECT_FALSE(disk.ReadFAT());
        EXPECT_FALSE(disk.IsLoaded());
        EXPECT_EQ(10, disk.Clips()[0].frames) << "tables in memory stay as they were";
    }
    EXPECT_TRUE(ui.Shown().empty()) << "a malformed table shows no message";
}

TEST_F(FatTable, ReadFailureShowsAccessErrorAndLeavesCardUnloaded)
{
    state->failRead = 1;
    EXPECT_FALSE(disk.ReadFAT());
    EXPECT_FALSE(disk.IsLoaded());
    EXPECT_EQ(1, ui.Count(kIdsCardAccessError));
}

TEST_F(FatTable, ReadThenWriteGivesTheSameBytes)
{
    auto f = EmptyFat();
    PutClip(f, 0, 100, 10, "beach", 3);
    PutClip(f, 1, 75, 10 + 282 * 100, "12345678");
    PutPlaylist(f, 0, 0xFC, {{100, 10, 0xA2ABCDEFu, 0x1234}, {75, 10 + 282 * 100, kTransitionCut, 0}});
    PutPlaylist(f, 11, 0xF9, {{75, 10 + 282 * 100, kTransitionCut, 0}});
    Store(f);
    ASSERT_TRUE(disk.ReadFAT());
    ASSERT_TRUE(disk.WriteFAT());
    EXPECT_EQ(f, Stored());
}

TEST_F(FatTable, FailedTableWriteKeepsTheChangeAndReportsOnce)
{
    disk.Format();
    state->failFlush = 1;
    EXPECT_EQ(kEditNotStored, disk.RecordClip(0, "", 80, 10).result) << "a failed flush is a failed write";
    EXPECT_EQ(80, disk.Clips()[0].frames);
    state->failWrite = 2;
    EXPECT_FALSE(disk.WriteFAT());
    EXPECT_EQ(1, ui.Count(kIdsCardWriteError));
    EXPECT_TRUE(disk.WriteFAT());
    EXPECT_EQ(80, state->bytes[3712]);
}
