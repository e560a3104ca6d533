// The Format command flow: only the FAT area changes, an unformatted card
// becomes loaded, No changes nothing, and a failed write is told apart.
#include "FormatFlow.h"
#include "LoadedCard.h"

namespace {

class Formatting : public LoadedCard {
protected:
    void SetUp() override { Load({{0, 0, 5, 1, "one"}, {1, 9, 7, 2, "two"}}, {{{0, 1}, true}}); }
    std::vector<std::uint8_t> EmptyFat() const
    {
        std::vector<std::uint8_t> f(5120, 0xFF);
        f[0] = 12;
        f[1] = 0;
        return f;
    }
};

TEST_F(Formatting, YesWritesEmptyTablesAndLeavesTheClustersAlone)
{
    ui.Answer(kIdsAskFormat, kIdYes);
    int shownWhenRefreshed = -1;
    EXPECT_EQ(kFormatDone, FormatCard(disk, ui, [&] { shownWhenRefreshed = static_cast<int>(ui.Shown().size()); }));

    EXPECT_EQ(EmptyFat(), Bytes(0, 5120));
    ExpectOnlyFatWritten();
    EXPECT_TRUE(disk.IsLoaded());
    EXPECT_EQ(kClusters, disk.FreeClusters());
    EXPECT_EQ(0, WriterSlot());
    EXPECT_TRUE(disk.Playlists()[0].entries.empty());
    EXPECT_EQ(0, disk.Playlists()[0].loop);

    ASSERT_EQ(2u, ui.Shown().size());
    EXPECT_EQ(kIdsAskFormat, ui.Shown()[0].id);
    EXPECT_EQ(kMsgYesNoDefNo, ui.Shown()[0].flags);
    EXPECT_EQ(kIdsFormatComplete, ui.Shown()[1].id);
    EXPECT_EQ(kMsgInfo, ui.Shown()[1].flags);
    EXPECT_EQ(1, shownWhenRefreshed) << "the lists are refilled before the closing message";
    EXPECT_EQ(kClusters, Reread().FreeClusters());
}

TEST_F(Formatting, AnUnformattedCardBecomesLoadedWithEveryClusterFree)
{
    std::fill(state->bytes.begin(), state->bytes.begin() + 5120, 0xFF);
    ASSERT_FALSE(disk.ReadFAT());
    ASSERT_FALSE(disk.IsLoaded());
    ui.Answer(kIdsAskFormat, kIdYes);
    EXPECT_EQ(kFormatDone, FormatCard(disk, ui));
    EXPECT_TRUE(disk.IsLoaded());
    EXPECT_EQ(kClusters, disk.FreeClusters());
    EXPECT_EQ(EmptyFat(), Bytes(0, 5120));
    EXPECT_TRUE(Reread().IsLoaded());
}

TEST_F(Formatting, NoOrNoCardChangesNothing)
{
    const auto was = TableSnapshot(disk);
    EXPECT_EQ(kFormatNotDone, FormatCard(disk, ui)); // unanswered: No is the default
    EXPECT_EQ(was, TableSnapshot(disk));
    EXPECT_EQ(0, ui.Count(kIdsFormatComplete));
    EXPECT_EQ(1, ui.Count(kIdsAskFormat));

    disk.Close();
    ui.Answer(kIdsAskFormat, kIdYes);
    EXPECT_EQ(kFormatNotDone, FormatCard(disk, ui));
    EXPECT_EQ(1, ui.Count(kIdsAskFormat)) << "no question without an open card";
    disk.Format();
    EXPECT_EQ(was, TableSnapshot(disk));
    EXPECT_EQ(0, state->writes);
    EXPECT_EQ(before, state->bytes);
}

TEST_F(Formatting, WriteProtectedCardReportsTheFailureAndKeepsItsTables)
{
    state->failAllWritesFrom = 1;
    ui.Answer(kIdsAskFormat, kIdYes);
    bool refreshed = false;
    EXPECT_EQ(kFormatWriteFailed, FormatCard(disk, ui, [&] { refreshed = true; }));
    EXPECT_FALSE(refreshed);
    EXPECT_EQ(1, ui.Count(kIdsCardWriteError));
    EXPECT_EQ(0, ui.Count(kIdsFormatComplete));
    EXPECT_EQ(before, state->bytes);
    CDisk& back = Reread();
    EXPECT_EQ(5, back.Clips()[0].frames) << "reading the card again shows what it really holds";
    EXPECT_EQ(2u, back.Playlists()[0].entries.size());
}

} // namespace
