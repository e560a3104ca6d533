// Reading clip frames from their clusters, deleting clips (the question,
// the entries removed from every playlist), recording and renaming them:
// what is reported as changed, the bytes stored, and the clusters left
// untouched.
#include "CodePage.h"
#include "LoadedCard.h"

#include <algorithm>
#include <cstring>

namespace {

class ClipReadDelete : public LoadedCard {
protected:
    void SetUp() override { LoadWith({}); }
    // alpha (4 frames at cluster 2), beta (3 at 8, attribute 0x5A) and gamma
    // (2 at 15) in slots 0 to 2, then `more`, and `playlists`.
    void LoadWith(const std::vector<TaggedPlaylist>& playlists, const std::vector<TaggedClip>& more = {})
    {
        std::vector<TaggedClip> clips = {{0, 2, 4, 1, "alpha"}, {1, 8, 3, 2, "beta", {}, 0x5A}, {2, 15, 2, 3, "gamma"}};
        clips.insert(clips.end(), more.begin(), more.end());
        Load(clips, playlists);
    }
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(144384);
};

// The slot's name as the table holds it, in UTF-8.
std::string NameOf(const CDisk& d, int slot)
{
    const char* name = d.Clips()[static_cast<std::size_t>(slot)].name;
    return CardToUtf8(std::string(name, strnlen(name, kNameLength)));
}

TEST_F(ClipReadDelete, FrameFIsTheClusterOfTheFirstSectorPlusF)
{
    std::fill(buffer.begin(), buffer.end(), 0xEE);
    ASSERT_TRUE(disk.ReadClipFrame(1, 2, buffer.data()));
    EXPECT_TRUE(IsPatternFrame(buffer.data(), 2, 2));
    EXPECT_EQ(0, buffer[144383]) << "the whole cluster, its zero tail too";
    ASSERT_TRUE(disk.ReadClipFirstFrame(0, buffer.data()));
    EXPECT_TRUE(IsPatternFrame(buffer.data(), 1, 0));
    EXPECT_EQ((std::vector<std::uint64_t>{5120 + 144384ull * 10, 5120 + 144384ull * 2}), state->readOffsets);

    EXPECT_FALSE(disk.ReadClipFrame(1, 3, buffer.data())) << "past the clip's end";
    EXPECT_FALSE(disk.ReadClipFrame(1, -1, buffer.data()));
    EXPECT_FALSE(disk.ReadClipFirstFrame(3, buffer.data())) << "empty slot";
    EXPECT_FALSE(disk.ReadClipFirstFrame(144, buffer.data()));
    EXPECT_EQ(2, state->reads) << "the card is not touched for what is not there";
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(ClipReadDelete, ReadFailuresShowTheAccessMessageOnce)
{
    // A clip whose run passes the end of the card: its last frames cannot be read.
    LoadWith({}, {{3, 15, 10, 4}});
    state->failRead = 1;
    EXPECT_FALSE(disk.ReadClipFirstFrame(0, buffer.data()));
    EXPECT_TRUE(disk.ReadClipFrame(3, 4, buffer.data()));
    EXPECT_FALSE(disk.ReadClipFrame(3, 5, buffer.data()));
    EXPECT_EQ(1, ui.Count(kIdsCardAccessError));
    EXPECT_EQ(2, state->reads) << "nothing is read outside the clusters";

    // Not loaded: a table that does not read.
    state->bytes[0] = 13;
    ASSERT_FALSE(disk.ReadFAT());
    const int reads = state->reads;
    EXPECT_FALSE(disk.ReadClipFirstFrame(0, buffer.data()));
    EXPECT_EQ(reads, state->reads);
}

TEST_F(ClipReadDelete, DeletingRemovesEveryEntryAndReportsThePlaylists)
{
    std::vector<TaggedPlaylist> lists(10);
    lists[0] = {{1, 1, 0, 1}, false, {kTransitionCut, kTransitionCut, kTransitionAuto}};
    lists[3] = {{2, 1}};
    lists[9] = {{0}};
    LoadWith(lists);
    ui.Answer(kIdsAskDeleteClip, kIdYes);

    ClipDeletion what;
    EXPECT_EQ(1, disk.DeleteClip(1, &what));
    ASSERT_EQ(1u, ui.Shown().size());
    EXPECT_EQ("Clip 02 is used in 2 playlists.\n\nDelete clip?", ui.Shown()[0].text);
    EXPECT_EQ(kMsgYesNoDefNo, ui.Shown()[0].flags);
    EXPECT_EQ(std::bitset<kSlotCount>().set(1), what.changedSlots);
    EXPECT_EQ(2, what.useCount);
    EXPECT_TRUE(what.Done());
    EXPECT_TRUE(what.Stored());
    EXPECT_EQ((1u << 0) | (1u << 3), what.changedPlaylists.to_ulong());
    EXPECT_TRUE(what.PlaylistChanged(3));
    EXPECT_FALSE(what.PlaylistChanged(9));

    EXPECT_EQ((std::vector<int>{0}), Slots(disk, 0));
    EXPECT_EQ(kTransitionAuto, disk.Playlists()[0].entries[0].transition);
    EXPECT_EQ((std::vector<int>{2}), Slots(disk, 3));
    EXPECT_EQ(0, disk.Clips()[1].frames);
    EXPECT_EQ(0u, disk.Clips()[1].firstSector);
    EXPECT_STREQ("beta", disk.Clips()[1].name) << "name and attribute stay in memory";
    EXPECT_EQ(0x5A, disk.Clips()[1].attribute);
    EXPECT_EQ(kClusters - 4 - 2, disk.FreeClusters());

    EXPECT_EQ(0xFF, state->bytes[3712 + 7]) << "the empty slot's record is not written";
    EXPECT_EQ(0xFF, state->bytes[2560 + 8]);
    EXPECT_EQ(2, state->bytes[1]);
    CDisk& back = Reread();
    EXPECT_EQ((std::vector<int>{0}), Slots(back, 0));
    EXPECT_EQ((std::vector<int>{1}), Slots(back, 3)) << "gamma moves down to slot 1 on the card";
    EXPECT_EQ((std::vector<int>{0}), Slots(back, 9));
    ExpectOnlyFatWritten();
}

TEST_F(ClipReadDelete, DeletingTheOnlyClipOfAPlaylistEmptiesItOnTheCard)
{
    std::vector<TaggedPlaylist> lists(6);
    lists[5] = {{2}, true};
    LoadWith(lists);
    const int freeBefore = disk.FreeClusters();
    ui.Answer(kIdsAskDeleteClip, kIdYes);
    EXPECT_EQ(1, disk.DeleteClip(2));
    EXPECT_TRUE(disk.Playlists()[5].entries.empty());
    EXPECT_EQ(std::vector<std::uint8_t>(74, 0xFF), RecordA(5));
    EXPECT_EQ(std::vector<std::uint8_t>(74, 0xFF), RecordB(5));
    EXPECT_EQ(0, Reread().Playlists()[5].loop) << "an empty playlist loses its loop flag on the card";
    EXPECT_EQ(freeBefore + 2, disk.FreeClusters()) << "exactly the clip's frames become free";
    EXPECT_EQ(freeBefore + 2, reread->FreeClusters());
    ExpectOnlyFatWritten();
}

TEST_F(ClipReadDelete, EmptySlotDeclinedOrUnaskableDeletesNothing)
{
    ClipDeletion what;
    EXPECT_EQ(1, disk.DeleteClip(3, &what)) << "an empty slot is empty afterwards";
    EXPECT_FALSE(what.Done());
    EXPECT_TRUE(ui.Shown().empty()) << "no question for an empty slot";

    const auto was = TableSnapshot(disk);
    EXPECT_EQ(0, disk.DeleteClip(2, &what)) << "declined";
    EXPECT_EQ("Clip 03 is used in 0 playlists.\n\nDelete clip?", ui.Shown().back().text)
        << "asked even when no playlist holds it";
    EXPECT_FALSE(what.Done());
    EXPECT_EQ(0, disk.DeleteClip(-1));
    EXPECT_EQ(0, disk.DeleteClip(144));
    disk.SetInteraction(nullptr);
    EXPECT_EQ(0, disk.DeleteClip(2)) << "nobody to say Yes";
    EXPECT_EQ(was, TableSnapshot(disk));
    EXPECT_EQ(0, state->writes);
}

TEST_F(ClipReadDelete, FailedTableWriteKeepsTheDeletionForTheNextWrite)
{
    LoadWith({{{0, 1}}});
    state->failAllWritesFrom = 1;
    ui.AlwaysAnswer(kIdsAskDeleteClip, kIdYes);
    ClipDeletion what;
    EXPECT_EQ(1, disk.DeleteClip(0, &what));
    EXPECT_TRUE(what.Done());
    EXPECT_FALSE(what.Stored());
    EXPECT_EQ(1, disk.DeleteClip(1, &what));
    EXPECT_FALSE(what.Stored());
    EXPECT_EQ(1, ui.Count(kIdsCardWriteError));
    EXPECT_EQ(before, state->bytes);
    EXPECT_TRUE(disk.Playlists()[0].entries.empty());

    state->failAllWritesFrom = 0;
    ASSERT_TRUE(disk.WriteFAT());
    CDisk& back = Reread();
    EXPECT_EQ(1, state->bytes[1]);
    EXPECT_EQ(2, back.Clips()[0].frames) << "only gamma is left, now first";
    EXPECT_TRUE(back.Playlists()[0].entries.empty());
}

TEST_F(ClipReadDelete, RecordingFillsTheSlotKeepsItsAttributeAndNamesWhatChanged)
{
    LoadWith({{{1, 0}}, {}, {{2}}});
    TableChange change = disk.RecordClip(1, "longername", 6, CDisk::SectorOfCluster(12));
    EXPECT_EQ(kEditStored, change.result);
    EXPECT_EQ(std::bitset<kSlotCount>().set(1), change.changedSlots);
    EXPECT_EQ(1u << 0, change.changedPlaylists.to_ulong()) << "the playlists that play the slot";
    change = disk.RecordClip(0, "ab", 4, CDisk::SectorOfCluster(2));
    EXPECT_EQ(1u << 0, change.changedPlaylists.to_ulong());
    const CDisk& back = Reread();
    EXPECT_EQ(6, back.Clips()[1].frames);
    EXPECT_EQ(CDisk::SectorOfCluster(12), back.Clips()[1].firstSector);
    EXPECT_EQ(0, std::memcmp("longerna", back.Clips()[1].name, 8)) << "the first 8 bytes";
    EXPECT_EQ(0x5A, back.Clips()[1].attribute) << "the slot's attribute stays";
    EXPECT_EQ(0, std::memcmp("ab\0\0\0\0\0\0", back.Clips()[0].name, 8)) << "zero-filled";
    EXPECT_EQ((std::vector<int>{1, 0}), Slots(back, 0));

    // What no record can hold changes and writes nothing.
    const int writes = state->writes;
    const auto was = TableSnapshot(disk);
    for (const TableChange& refused :
         {disk.RecordClip(-1, "x", 5, 10), disk.RecordClip(144, "x", 5, 10), disk.RecordClip(3, "x", 0, 10),
          disk.RecordClip(3, "x", 65535, 10), disk.RecordClip(3, "x", 5, 9)}) {
        EXPECT_FALSE(refused.Done());
        EXPECT_TRUE(refused.changedSlots.none());
    }
    EXPECT_EQ(was, TableSnapshot(disk));
    EXPECT_EQ(writes, state->writes);
    ExpectOnlyFatWritten();
}

} // namespace

TEST_F(ClipReadDelete, RenameStoresTheNewNameAloneAndRefusesNamesTheCardCannotHold)
{
    const ClipRecord beta = disk.Clips()[1];
    const TableChange change = disk.RenameClip(1, "Пляж 2");
    EXPECT_TRUE(change.Stored());
    EXPECT_TRUE(change.SlotChanged(1));
    EXPECT_EQ(1u, change.changedSlots.count());
    // A shorter name leaves nothing of the longer one behind.
    EXPECT_TRUE(disk.RenameClip(2, "gm").Stored());

    CDisk& again = Reread();
    EXPECT_EQ("Пляж 2", NameOf(again, 1));
    EXPECT_EQ(beta.frames, again.Clips()[1].frames);
    EXPECT_EQ(beta.firstSector, again.Clips()[1].firstSector);
    EXPECT_EQ(beta.attribute, again.Clips()[1].attribute);
    EXPECT_EQ(std::string("gm\0\0\0\0\0\0", 8), std::string(again.Clips()[2].name, 8));
    EXPECT_EQ("alpha", NameOf(again, 0));
    EXPECT_EQ(TableSnapshot(disk), TableSnapshot(again));

    // Empty, nine characters, a character outside the code page, a control
    // character, an empty slot: nothing changes and nothing is written.
    const std::vector<long long> snapshot = TableSnapshot(disk);
    const int writes = state->writes;
    for (const std::string& bad : {std::string(), std::string("ABCDEFGHI"), std::string("a\u263A"),
                                   std::string("a\tb"), std::string("a\xFF")})
        EXPECT_FALSE(disk.RenameClip(0, bad).Done()) << bad;
    EXPECT_FALSE(disk.RenameClip(5, "free").Done());
    EXPECT_EQ(writes, state->writes);
    EXPECT_EQ(snapshot, TableSnapshot(disk));
    EXPECT_TRUE(disk.RenameClip(0, "ABCDEFGH").Stored()) << "eight characters fit";
}
