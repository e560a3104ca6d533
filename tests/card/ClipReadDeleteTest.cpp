// Reading clip frames from their clusters and deleting clips: the question,
// the entries removed from every playlist, what is reported as changed, the
// bytes stored, and the clusters left untouched.
#include "LoadedCard.h"

namespace {

class ClipReadDelete : public LoadedCard {
protected:
    void SetUp() override
    {
        LoadedCard::SetUp();
        AddClip(0, 4, 2, "alpha");
        AddClip(1, 3, 8, "beta");
        AddClip(2, 2, 15, "gamma");
        disk.Clips()[1].attribute = 0x5A;
        Commit();
    }
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(144384);
};

TEST_F(ClipReadDelete, FrameFIsTheClusterOfTheFirstSectorPlusF)
{
    ASSERT_TRUE(disk.ReadClipFrame(1, 2, buffer.data()));
    EXPECT_EQ(8 + 2 + 1, buffer[0]);
    EXPECT_EQ(8 + 2 + 1, buffer[144383]);
    ASSERT_TRUE(disk.ReadClipFirstFrame(0, buffer.data()));
    EXPECT_EQ(2 + 1, buffer[0]);
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
    state->failRead = 1;
    EXPECT_FALSE(disk.ReadClipFirstFrame(0, buffer.data()));
    // A clip whose run passes the end of the card: its last frames cannot be read.
    AddClip(3, 10, 15);
    EXPECT_TRUE(disk.ReadClipFrame(3, 4, buffer.data()));
    EXPECT_FALSE(disk.ReadClipFrame(3, 5, buffer.data()));
    EXPECT_EQ(1, ui.Count(kIdsCardAccessError));
    EXPECT_EQ(2, state->reads) << "nothing is read outside the clusters";

    disk.SetLoaded(false);
    EXPECT_FALSE(disk.ReadClipFirstFrame(0, buffer.data()));
    EXPECT_EQ(2, state->reads);
}

TEST_F(ClipReadDelete, DeletingRemovesEveryEntryAndReportsThePlaylists)
{
    AddEntries(0, {1, 1, 0, 1});
    AddEntries(3, {2, 1});
    AddEntries(9, {0});
    disk.Playlists()[0].entries[2].transition = kTransitionAuto;
    Commit();
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
    AddEntries(5, {2});
    disk.Playlists()[5].loop = 1;
    Commit();
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

    const auto was = Snapshot(disk);
    EXPECT_EQ(0, disk.DeleteClip(2, &what)) << "declined";
    EXPECT_EQ("Clip 03 is used in 0 playlists.\n\nDelete clip?", ui.Shown().back().text)
        << "asked even when no playlist holds it";
    EXPECT_FALSE(what.Done());
    EXPECT_EQ(0, disk.DeleteClip(-1));
    EXPECT_EQ(0, disk.DeleteClip(144));
    disk.SetInteraction(nullptr);
    EXPECT_EQ(0, disk.DeleteClip(2)) << "nobody to say Yes";
    EXPECT_EQ(was, Snapshot(disk));
    EXPECT_EQ(0, state->writes);
}

TEST_F(ClipReadDelete, FailedTableWriteKeepsTheDeletionForTheNextWrite)
{
    AddEntries(0, {0, 1});
    Commit();
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

} // namespace
