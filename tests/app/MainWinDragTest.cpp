// Drag and drop in the main window driven by synthetic mouse events: a
// clip onto a playlist and into the current playlist, playlists exchanged,
// entries exchanged; drops that are refused, drags that cannot start, the
// cursors and the drop highlight on the way. Every drop is checked on the
// card image by a second opening.
#include "PlaylistEditFixture.h"

#include "DvFixtures.h"
#include "MemoryDevice.h"
#include "PlaylistDrag.h"

#include <QCheckBox>

namespace {

using DragTest = PlaylistEditFixture;

// The card behind every opening of the write-protection test.
std::shared_ptr<MemoryDeviceState> g_card;

// The tables held by the memory card now.
std::unique_ptr<CDisk> ReadMemoryCard()
{
    auto disk = std::make_unique<CDisk>();
    EXPECT_EQ(kOpenOk, disk->OpenDevice(std::make_unique<CMemoryDevice>(g_card), 1));
    EXPECT_NE(0, disk->ReadFAT());
    return disk;
}

} // namespace

TEST_F(DragTest, Clip05OntoPlaylist03WithNoneCurrentAppendsAndMakesItCurrent)
{
    CMainWin& w = StartWith({{{0}, false, {}}, {}, {{1}, true, {kTransitionAuto}}});
    ASSERT_EQ(-1, Probe(w).CurrentPlaylist());
    QListWidget* playlists = Probe(w).PlaylistList();

    PressAndPull(Probe(w).ClipList(), 4);
    ASSERT_TRUE(Probe(w).DragTracker().Dragging());
    EXPECT_EQ(kDragClipList, Probe(w).DragTracker().SourceList());
    EXPECT_EQ(4, Probe(w).DragTracker().SourceItem());
    ASSERT_NE(nullptr, QApplication::overrideCursor());
    EXPECT_EQ(Qt::ForbiddenCursor, QApplication::overrideCursor()->shape());
    ASSERT_NE(nullptr, Probe(w).DragTracker().DragImage());

    // Over playlist 03: the cursor for another list, the item highlighted.
    const QPoint target = ItemPoint(playlists, 2);
    QTest::mouseMove(playlists->viewport(), target);
    EXPECT_EQ(kCursorOtherList, Probe(w).DragTracker().CursorId());
    EXPECT_EQ(Qt::BitmapCursor, QApplication::overrideCursor()->shape());
    EXPECT_TRUE(CDragTracker::ItemHighlighted(playlists, 2));
    EXPECT_EQ(Global(playlists, target) + QPoint(10, 14), Probe(w).DragTracker().DragImage()->pos());

    QTest::mouseRelease(playlists->viewport(), Qt::LeftButton, {}, target);
    EXPECT_FALSE(Probe(w).DragTracker().Dragging());
    EXPECT_EQ(nullptr, QApplication::overrideCursor()) << "the cursor is restored";
    EXPECT_FALSE(CDragTracker::ItemHighlighted(playlists, 2));

    EXPECT_EQ(2, Probe(w).CurrentPlaylist());
    EXPECT_EQ(2, Probe(w).SelectedPlaylist());
    ASSERT_EQ(2, Probe(w).EntryList()->count());
    EXPECT_EQ("05 - PARIS\nCUT", ItemText(Probe(w).EntryList(), 1)) << "a looping playlist's new last entry, with CUT";
    const auto card = Reopen();
    EXPECT_EQ((std::vector<int>{1, 4}), EntrySlots(card->Playlists()[2]));
    EXPECT_EQ(kTransitionCut, card->Playlists()[2].entries[1].transition);
    EXPECT_EQ((std::vector<int>{0}), EntrySlots(card->Playlists()[0]));
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(DragTest, ClipOntoAnEmptyPlaylistShowsOneEntryWithoutTransition)
{
    CMainWin& w = StartWith({});
    MouseDrag(Probe(w).ClipList(), 4, Probe(w).PlaylistList(), ItemPoint(Probe(w).PlaylistList(), 2));
    EXPECT_EQ(2, Probe(w).CurrentPlaylist());
    EXPECT_EQ(2, Probe(w).SelectedPlaylist());
    EXPECT_TRUE(Enabled(CMainWin::kIdEntryList));
    ASSERT_EQ(1, Probe(w).EntryList()->count());
    EXPECT_EQ("05 - PARIS", ItemText(Probe(w).EntryList(), 0));
    EXPECT_EQ("03 - " + FormatFrameTime(25), ItemText(Probe(w).PlaylistList(), 2));
    EXPECT_EQ((std::vector<int>{4}), EntrySlots(Reopen()->Playlists()[2]));
}

TEST_F(DragTest, ClipIntoTheCurrentPlaylistGoesBeforeTheEntryOrAtTheEnd)
{
    CMainWin& w = StartWith({{{0, 1}, false, {kTransitionAuto}}});
    Probe(w).PlaylistList()->item(0)->setSelected(true);
    QListWidget* entries = Probe(w).EntryList();

    PressAndPull(Probe(w).ClipList(), 2);
    const QPoint second = ItemPoint(entries, 1);
    QTest::mouseMove(entries->viewport(), second);
    EXPECT_EQ(kCursorOtherList, Probe(w).DragTracker().CursorId());
    EXPECT_TRUE(CDragTracker::ItemHighlighted(entries, 1));
    QTest::mouseRelease(entries->viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ((std::vector<int>{0, 2, 1}), EntrySlots(Reopen()->Playlists()[0]));
    EXPECT_EQ(kTransitionAuto, Reopen()->Playlists()[0].entries[0].transition) << "the others keep theirs";
    ASSERT_EQ(3, entries->count());
    EXPECT_EQ("03 - SEA\nCUT", ItemText(entries, 1));

    MouseDrag(Probe(w).ClipList(), 5, entries, EmptyPoint(entries));
    EXPECT_EQ((std::vector<int>{0, 2, 1, 5}), EntrySlots(Reopen()->Playlists()[0]));
    EXPECT_EQ(0, Probe(w).CurrentPlaylist());
    EXPECT_EQ("#01, clips: 4, time: " + FormatFrameTime(100), Text(CMainWin::kIdPlaylistInfo));
}

TEST_F(DragTest, Playlist2OntoPlaylist9ExchangesEntriesLoopFlagsAndLogoModes)
{
    std::vector<TaggedPlaylist> lists(9);
    lists[1] = {{0, 1}, true, {kTransitionAuto, kTransitionCut}, 2};
    lists[8] = {{2}, false, {}, 1};
    CMainWin& w = StartWith(lists);
    QListWidget* playlists = Probe(w).PlaylistList();
    QTest::mouseClick(playlists->viewport(), Qt::LeftButton, {}, ItemPoint(playlists, 1));
    ASSERT_EQ(1, Probe(w).CurrentPlaylist());

    PressAndPull(playlists, 1);
    ASSERT_TRUE(Probe(w).DragTracker().Dragging());
    const QPoint target = ItemPoint(playlists, 8);
    QTest::mouseMove(playlists->viewport(), target);
    EXPECT_EQ(kCursorSameList, Probe(w).DragTracker().CursorId());
    EXPECT_TRUE(CDragTracker::ItemHighlighted(playlists, 8));
    QTest::mouseRelease(playlists->viewport(), Qt::LeftButton, {}, target);

    const auto card = Reopen();
    EXPECT_EQ((std::vector<int>{2}), EntrySlots(card->Playlists()[1]));
    EXPECT_EQ(0, card->Playlists()[1].loop);
    EXPECT_EQ(1, card->Playlists()[1].logoMode);
    EXPECT_EQ((std::vector<int>{0, 1}), EntrySlots(card->Playlists()[8]));
    EXPECT_EQ(1, card->Playlists()[8].loop);
    EXPECT_EQ(2, card->Playlists()[8].logoMode);
    EXPECT_EQ(kTransitionAuto, card->Playlists()[8].entries[0].transition);

    EXPECT_EQ("02 - " + FormatFrameTime(25), ItemText(playlists, 1));
    EXPECT_EQ("09 - " + FormatFrameTime(50) + " <>", ItemText(playlists, 8));
    EXPECT_EQ(1, Probe(w).CurrentPlaylist()) << "the current playlist keeps its number";
    ASSERT_EQ(1, Probe(w).EntryList()->count());
    EXPECT_EQ("03 - SEA", ItemText(Probe(w).EntryList(), 0));
    EXPECT_FALSE(w.ControlAs<QCheckBox>(CMainWin::kIdLoop)->isChecked());
}

TEST_F(DragTest, EntryOntoEntryExchangesThemAndEmptySpaceDoesNothing)
{
    CMainWin& w = StartWith({{{0, 1, 2}, false, {kTransitionAuto, kTransitionCut}}});
    Probe(w).PlaylistList()->item(0)->setSelected(true);
    QListWidget* entries = Probe(w).EntryList();

    PressAndPull(entries, 0);
    ASSERT_TRUE(Probe(w).DragTracker().Dragging());
    const QPoint third = ItemPoint(entries, 2);
    QTest::mouseMove(entries->viewport(), third);
    EXPECT_EQ(kCursorSameList, Probe(w).DragTracker().CursorId());
    EXPECT_TRUE(CDragTracker::ItemHighlighted(entries, 2));
    QTest::mouseRelease(entries->viewport(), Qt::LeftButton, {}, third);

    auto card = Reopen();
    EXPECT_EQ((std::vector<int>{2, 1, 0}), EntrySlots(card->Playlists()[0]));
    EXPECT_EQ(kTransitionCut, card->Playlists()[0].entries[0].transition);
    EXPECT_EQ(kTransitionAuto, card->Playlists()[0].entries[2].transition) << "each entry keeps its transition";
    EXPECT_EQ("03 - SEA\nCUT", ItemText(entries, 0));
    EXPECT_EQ("03", ItemText(entries, 2)) << "an unnamed clip shows its place, and as the last entry no transition";
    EXPECT_EQ(2, CImageSet::ItemImage(Probe(w).PlaylistList()->item(0)));

    // Over empty space the drop is refused and nothing is written.
    const std::vector<std::uint8_t> before = FatOnCard();
    PressAndPull(entries, 0);
    const QPoint empty = EmptyPoint(entries);
    QTest::mouseMove(entries->viewport(), empty);
    EXPECT_EQ(kCursorNotAllowed, Probe(w).DragTracker().CursorId());
    QTest::mouseRelease(entries->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_FALSE(Probe(w).DragTracker().Dragging());
    EXPECT_EQ(before, FatOnCard());
    EXPECT_EQ((std::vector<int>{2, 1, 0}), EntrySlots(Probe(w).Disk().Playlists()[0]));

    // Onto itself, and onto another list, nothing happens either.
    MouseDrag(entries, 1, entries, ItemPoint(entries, 1));
    MouseDrag(entries, 1, Probe(w).PlaylistList(), ItemPoint(Probe(w).PlaylistList(), 3));
    EXPECT_EQ(before, FatOnCard());
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(DragTest, NoDragFromAOneEntryCurrentPlaylistAnEmptyPlaylistOrAnEmptySlot)
{
    CMainWin& w = StartWith({{{4}, false, {}}});
    Probe(w).PlaylistList()->item(0)->setSelected(true);
    const std::vector<std::uint8_t> before = FatOnCard();

    PressAndPull(Probe(w).EntryList(), 0);
    EXPECT_FALSE(Probe(w).DragTracker().Dragging()) << "a current playlist of one entry";
    MoveAndRelease(Probe(w).EntryList(), ItemPoint(Probe(w).EntryList(), 0));

    PressAndPull(Probe(w).PlaylistList(), 1);
    EXPECT_FALSE(Probe(w).DragTracker().Dragging()) << "an empty playlist";
    MoveAndRelease(Probe(w).PlaylistList(), ItemPoint(Probe(w).PlaylistList(), 0));
    EXPECT_EQ(1, Probe(w).SelectedPlaylist()) << "the press selected it; moving on did not change that";

    PressAndPull(Probe(w).ClipList(), 7);
    EXPECT_FALSE(Probe(w).DragTracker().Dragging()) << "an empty slot";
    MoveAndRelease(Probe(w).ClipList(), ItemPoint(Probe(w).ClipList(), 7));

    EXPECT_EQ(nullptr, QApplication::overrideCursor());
    EXPECT_EQ(before, FatOnCard());
}

TEST_F(DragTest, AThirteenthEntryIsRefused)
{
    const std::vector<int> twelve = {0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5};
    CMainWin& w = StartWith({{twelve, false, {}}});
    QListWidget* playlists = Probe(w).PlaylistList();
    const std::vector<std::uint8_t> before = FatOnCard();

    PressAndPull(Probe(w).ClipList(), 4);
    const QPoint full = ItemPoint(playlists, 0);
    QTest::mouseMove(playlists->viewport(), full);
    EXPECT_EQ(kCursorNotAllowed, Probe(w).DragTracker().CursorId());
    EXPECT_FALSE(CDragTracker::ItemHighlighted(playlists, 0));
    QTest::mouseRelease(playlists->viewport(), Qt::LeftButton, {}, full);
    EXPECT_EQ(before, FatOnCard());
    EXPECT_EQ(-1, Probe(w).CurrentPlaylist());

    // Nor into the list of the full playlist's entries.
    Probe(w).PlaylistList()->item(0)->setSelected(true);
    MouseDrag(Probe(w).ClipList(), 4, Probe(w).EntryList(), ItemPoint(Probe(w).EntryList(), 0));
    EXPECT_EQ(12u, Reopen()->Playlists()[0].entries.size());
    EXPECT_EQ(before, FatOnCard());

    // Another playlist still takes the clip.
    MouseDrag(Probe(w).ClipList(), 4, playlists, ItemPoint(playlists, 1));
    EXPECT_EQ((std::vector<int>{4}), EntrySlots(Reopen()->Playlists()[1]));
    EXPECT_EQ(1, Probe(w).CurrentPlaylist());
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(DragTest, AFailedTableWriteKeepsTheChangeAndStoresItWithTheNextWrite)
{
    const std::string path = CardWith("protected.img", {{0, 0, 25, 0, "A"}, {1, 25, 25, 1, "B"}}, {{{0}, false, {}}});
    g_card = MakeDeviceState(0);
    g_card->bytes = dvfix::ReadBytes(path);
    env.openDevice = OpenerOf(g_card);
    NameImages({path});
    CMainWin& w = Start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    // Write-protected: the drop stays in memory and on screen, with the
    // write message once.
    g_card->failAllWritesFrom = g_card->writes + 1;
    MouseDrag(Probe(w).ClipList(), 1, Probe(w).PlaylistList(), ItemPoint(Probe(w).PlaylistList(), 0));
    EXPECT_EQ(1, ui.Count(kIdsCardWriteError));
    EXPECT_EQ((std::vector<int>{0, 1}), EntrySlots(Probe(w).Disk().Playlists()[0]));
    EXPECT_EQ(2, Probe(w).EntryList()->count());
    EXPECT_EQ((std::vector<int>{0}), EntrySlots(ReadMemoryCard()->Playlists()[0]));

    auto* loop = w.ControlAs<QCheckBox>(CMainWin::kIdLoop);
    loop->click();
    EXPECT_EQ(1, ui.Count(kIdsCardWriteError)) << "once per opening of the card";
    EXPECT_TRUE(loop->isChecked());

    // Once the card takes writes again, the next edit stores all of them.
    g_card->failAllWritesFrom = 0;
    MouseDrag(Probe(w).EntryList(), 0, Probe(w).EntryList(), ItemPoint(Probe(w).EntryList(), 1));
    const auto card = ReadMemoryCard();
    EXPECT_EQ((std::vector<int>{1, 0}), EntrySlots(card->Playlists()[0]));
    EXPECT_EQ(1, card->Playlists()[0].loop);
    g_card.reset();
}
