// The Format command flow: the question names the card and what it holds,
// only the FAT area changes, an unformatted card becomes loaded, No changes
// nothing, and a failed write is told apart.
#include "FormatFlow.h"
#include "LoadedCard.h"
#include "Texts.h"

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
    ui.Answer(kIdsAskFormatCard, kIdYes);
    int shownWhenRefreshed = -1;
    EXPECT_EQ(kFormatDone, FormatCard(disk, ui, "CARD1", [&] { shownWhenRefreshed = static_cast<int>(ui.Shown().size()); }));

    EXPECT_EQ(EmptyFat(), Bytes(0, 5120));
    ExpectOnlyFatWritten();
    EXPECT_TRUE(disk.IsLoaded());
    EXPECT_EQ(kClusters, disk.FreeClusters());
    EXPECT_EQ(0, WriterSlot());
    EXPECT_TRUE(disk.Playlists()[0].entries.empty());
    EXPECT_EQ(0, disk.Playlists()[0].loop);

    ASSERT_EQ(2u, ui.Shown().size());
    EXPECT_EQ(kIdsAskFormatCard, ui.Shown()[0].id);
    EXPECT_EQ(kMsgYesNoDefNo, ui.Shown()[0].flags);
    // Two clips; one playlist with entries, the other eleven empty.
    EXPECT_EQ("Format CARD1?\n\nClips on it: 2. Playlists: 1.\n\nEverything on it will be erased.", ui.Shown()[0].text);
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
    ui.Answer(kIdsAskFormatCard, kIdYes);
    SetLanguage(1);
    EXPECT_EQ(kFormatDone, FormatCard(disk, ui, "CARD3 - demo.img"));
    // Its tables in memory are the old ones, but nothing of them was read:
    // no counts are given.
    const std::string expected = FormatText(kIdsAskFormatCard, "CARD3 - demo.img", LoadText(kIdsFormatUnread).c_str());
    SetLanguage(0);
    ASSERT_EQ(kIdsAskFormatCard, ui.Shown()[0].id);
    EXPECT_EQ(expected, ui.Shown()[0].text);
    EXPECT_NE(std::string::npos, expected.find("Её таблицу")) << expected;
    EXPECT_TRUE(disk.IsLoaded());
    EXPECT_EQ(kClusters, disk.FreeClusters());
    EXPECT_EQ(EmptyFat(), Bytes(0, 5120));
    EXPECT_TRUE(Reread().IsLoaded());
}

TEST_F(Formatting, NoOrNoCardChangesNothing)
{
    const auto was = TableSnapshot(disk);
    EXPECT_EQ(kFormatNotDone, FormatCard(disk, ui, "CARD1")); // unanswered: No is the default
    EXPECT_EQ(was, TableSnapshot(disk));
    EXPECT_EQ(0, ui.Count(kIdsFormatComplete));
    EXPECT_EQ(1, ui.Count(kIdsAskFormatCard));

    disk.Close();
    ui.Answer(kIdsAskFormatCard, kIdYes);
    EXPECT_EQ(kFormatNotDone, FormatCard(disk, ui, "CARD1"));
    EXPECT_EQ(1, ui.Count(kIdsAskFormatCard)) << "no question without an open card";
    disk.Format();
    EXPECT_EQ(was, TableSnapshot(disk));
    EXPECT_EQ(0, state->writes);
    EXPECT_EQ(before, state->bytes);
}

TEST_F(Formatting, WriteProtectedCardReportsTheFailureAndKeepsItsTables)
{
    state->failAllWritesFrom = 1;
    ui.Answer(kIdsAskFormatCard, kIdYes);
    bool refreshed = false;
    EXPECT_EQ(kFormatWriteFailed, FormatCard(disk, ui, "CARD1", [&] { refreshed = true; }));
    EXPECT_FALSE(refreshed);
    EXPECT_EQ(1, ui.Count(kIdsCardWriteError));
    EXPECT_EQ(0, ui.Count(kIdsFormatComplete));
    EXPECT_EQ(before, state->bytes);
    CDisk& back = Reread();
    EXPECT_EQ(5, back.Clips()[0].frames) << "reading the card again shows what it really holds";
    EXPECT_EQ(2u, back.Playlists()[0].entries.size());
}

} // namespace
