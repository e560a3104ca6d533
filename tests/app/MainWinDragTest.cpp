// Drag and drop in the main window: drags begun by synthetic mouse events
// and played as Qt's drag and drop events (a clip onto a playlist and into
// the current playlist, playlists exchanged, entries exchanged); drops that
// are refused, drags that cannot start, the drag's data, image and cursors,
// and the drop highlight on the way. Every drop is checked on the card
// image by a second opening.
#include "PlaylistEditFixture.h"

#include "DvFixtures.h"
#include "MemoryDevice.h"
#include "ItemDrag.h"
#include "PlaylistDrag.h"

#include <QMimeData>

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

    const bool began = PressAndPull(Probe(w).ClipList(), 4, [&](CItemDragPlay& drag) {
        EXPECT_TRUE(Probe(w).ItemDrag().dragging);
        EXPECT_EQ((DraggedItem{kDragClipList, 4}), ReadItemDrag(drag.Drag().mimeData()));
        // The slot's thumbnail 10 pixels right of and 14 below the pointer.
        const QImage thumb = Probe(w).Images().Image(CImageSet::ItemImage(Probe(w).ClipList()->item(4)));
        EXPECT_EQ(thumb, drag.Drag().pixmap().toImage().convertToFormat(thumb.format()));
        EXPECT_EQ(QPoint(-10, -14), drag.Drag().hotSpot());
        // The cursors' pixmaps have the arrow's tip in their middle, where
        // the pointer is.
        for (Qt::DropAction action : {Qt::MoveAction, Qt::CopyAction}) {
            const QImage cursor = drag.Drag().dragCursor(action).toImage();
            ASSERT_FALSE(cursor.isNull());
            const QPoint tip(cursor.width() / 2, cursor.height() / 2);
            EXPECT_EQ(255, qAlpha(cursor.pixel(tip)));
            EXPECT_EQ(0, qAlpha(cursor.pixel(tip - QPoint(1, 1))));
        }
        EXPECT_NE(drag.Drag().dragCursor(Qt::MoveAction).toImage(), drag.Drag().dragCursor(Qt::CopyAction).toImage());

        // Over its own list: refused, with the not-allowed cursor.
        EXPECT_EQ(Qt::IgnoreAction, drag.MoveTo(Probe(w).ClipList(), ItemPoint(Probe(w).ClipList(), 1)));
        EXPECT_EQ(kCursorNotAllowed, Probe(w).ItemDrag().cursorId);
        // Over playlist 03: the cursor for another list, the item highlighted.
        EXPECT_EQ(Qt::CopyAction, drag.MoveTo(playlists, ItemPoint(playlists, 2)));
        EXPECT_EQ(kCursorOtherList, Probe(w).ItemDrag().cursorId);
        EXPECT_TRUE(ListItemHighlighted(playlists, 2));
        EXPECT_EQ(Qt::CopyAction, drag.Drop());
        EXPECT_FALSE(ListItemHighlighted(playlists, 2));
    });
    ASSERT_TRUE(began);
    EXPECT_FALSE(Probe(w).ItemDrag().dragging);
    EXPECT_EQ(kCursorNotAllowed, Probe(w).ItemDrag().cursorId);

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
    EXPECT_EQ(Qt::CopyAction, MouseDrag(Probe(w).ClipList(), 4, Probe(w).PlaylistList(), ItemPoint(Probe(w).PlaylistList(), 2)));
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

    PressAndPull(Probe(w).ClipList(), 2, [&](CItemDragPlay& drag) {
        EXPECT_EQ(Qt::CopyAction, drag.MoveTo(entries, ItemPoint(entries, 1)));
        EXPECT_EQ(kCursorOtherList, Probe(w).ItemDrag().cursorId);
        EXPECT_TRUE(ListItemHighlighted(entries, 1));
        drag.Drop();
    });
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

    const bool began = PressAndPull(playlists, 1, [&](CItemDragPlay& drag) {
        EXPECT_EQ(Qt::MoveAction, drag.MoveTo(playlists, ItemPoint(playlists, 8)));
        EXPECT_EQ(kCursorSameList, Probe(w).ItemDrag().cursorId);
        EXPECT_TRUE(ListItemHighlighted(playlists, 8));
        EXPECT_EQ(Qt::MoveAction, drag.Drop());
    });
    ASSERT_TRUE(began);

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

    PressAndPull(entries, 0, [&](CItemDragPlay& drag) {
        EXPECT_EQ(Qt::MoveAction, drag.MoveTo(entries, ItemPoint(entries, 2)));
        EXPECT_EQ(kCursorSameList, Probe(w).ItemDrag().cursorId);
        EXPECT_TRUE(ListItemHighlighted(entries, 2));
        drag.Drop();
    });

    auto card = Reopen();
    EXPECT_EQ((std::vector<int>{2, 1, 0}), EntrySlots(card->Playlists()[0]));
    EXPECT_EQ(kTransitionCut, card->Playlists()[0].entries[0].transition);
    EXPECT_EQ(kTransitionAuto, card->Playlists()[0].entries[2].transition) << "each entry keeps its transition";
    EXPECT_EQ("03 - SEA\nCUT", ItemText(entries, 0));
    EXPECT_EQ("03", ItemText(entries, 2)) << "an unnamed clip shows its place, and as the last entry no transition";
    EXPECT_EQ(2, CImageSet::ItemImage(Probe(w).PlaylistList()->item(0)));

    // Over empty space the drop is refused and nothing is written.
    const std::vector<std::uint8_t> before = FatOnCard();
    PressAndPull(entries, 0, [&](CItemDragPlay& drag) {
        EXPECT_EQ(Qt::IgnoreAction, drag.MoveTo(entries, EmptyPoint(entries)));
        EXPECT_EQ(kCursorNotAllowed, Probe(w).ItemDrag().cursorId);
        EXPECT_EQ(Qt::IgnoreAction, drag.Drop());
    });
    EXPECT_FALSE(Probe(w).ItemDrag().dragging);
    EXPECT_EQ(before, FatOnCard());
    EXPECT_EQ((std::vector<int>{2, 1, 0}), EntrySlots(Probe(w).Disk().Playlists()[0]));

    // Onto itself, and onto another list, nothing happens either.
    EXPECT_EQ(Qt::IgnoreAction, MouseDrag(entries, 1, entries, ItemPoint(entries, 1)));
    EXPECT_EQ(Qt::IgnoreAction, MouseDrag(entries, 1, Probe(w).PlaylistList(), ItemPoint(Probe(w).PlaylistList(), 3)));
    EXPECT_EQ(before, FatOnCard());
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(DragTest, NoDragFromAOneEntryCurrentPlaylistAnEmptyPlaylistOrAnEmptySlot)
{
    CMainWin& w = StartWith({{{4}, false, {}}});
    Probe(w).PlaylistList()->item(0)->setSelected(true);
    const std::vector<std::uint8_t> before = FatOnCard();

    EXPECT_FALSE(PressAndPull(Probe(w).EntryList(), 0)) << "a current playlist of one entry";
    EXPECT_FALSE(PressAndPull(Probe(w).PlaylistList(), 1)) << "an empty playlist";
    EXPECT_EQ(1, Probe(w).SelectedPlaylist()) << "the press selected it; moving on did not change that";
    EXPECT_FALSE(PressAndPull(Probe(w).ClipList(), 7)) << "an empty slot";
    EXPECT_EQ(before, FatOnCard());
}

TEST_F(DragTest, AThirteenthEntryIsRefused)
{
    const std::vector<int> twelve = {0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5};
    CMainWin& w = StartWith({{twelve, false, {}}});
    QListWidget* playlists = Probe(w).PlaylistList();
    const std::vector<std::uint8_t> before = FatOnCard();

    PressAndPull(Probe(w).ClipList(), 4, [&](CItemDragPlay& drag) {
        EXPECT_EQ(Qt::IgnoreAction, drag.MoveTo(playlists, ItemPoint(playlists, 0)));
        EXPECT_EQ(kCursorNotAllowed, Probe(w).ItemDrag().cursorId);
        EXPECT_FALSE(ListItemHighlighted(playlists, 0));
        drag.Drop();
    });
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

TEST_F(DragTest, OnlyTheWindowsOwnRunningDragIsTaken)
{
    CMainWin& w = StartWith({});
    QListWidget* playlists = Probe(w).PlaylistList();
    const QPoint target = playlists->viewport()->mapTo(&w, ItemPoint(playlists, 2));
    const std::vector<std::uint8_t> before = FatOnCard();

    // The item type offered by another program, with no drag of the window
    // running: not even entered.
    const std::unique_ptr<QMimeData> foreign = ItemDragData(DraggedItem{kDragClipList, 4});
    QDragEnterEvent enter(target, Qt::CopyAction | Qt::MoveAction, foreign.get(), Qt::LeftButton, {});
    QApplication::sendEvent(&w, &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(target, Qt::CopyAction | Qt::MoveAction, foreign.get(), Qt::LeftButton, {});
    QApplication::sendEvent(&w, &drop);
    EXPECT_FALSE(drop.isAccepted());

    // While the window drags slot 05, data naming another item is not its
    // drag; a drag that leaves the window and ends outside drops nothing.
    PressAndPull(Probe(w).ClipList(), 4, [&](CItemDragPlay& drag) {
        const std::unique_ptr<QMimeData> other = ItemDragData(DraggedItem{kDragClipList, 3});
        QDragEnterEvent otherEnter(target, Qt::CopyAction | Qt::MoveAction, other.get(), Qt::LeftButton, {});
        QApplication::sendEvent(&w, &otherEnter);
        EXPECT_FALSE(otherEnter.isAccepted());

        EXPECT_EQ(Qt::CopyAction, drag.MoveTo(target));
        EXPECT_TRUE(ListItemHighlighted(playlists, 2));
        drag.Leave();
        EXPECT_EQ(kCursorNotAllowed, Probe(w).ItemDrag().cursorId);
        EXPECT_FALSE(ListItemHighlighted(playlists, 2));
    });
    EXPECT_EQ(before, FatOnCard());
    EXPECT_EQ(-1, Probe(w).CurrentPlaylist());

    // Well-formed data only.
    for (const char* bad : {"", "0", "0 4 1", "3 1", "-1 2", "0 -1", "0 x", "x 0"}) {
        QMimeData data;
        data.setData(QString::fromLatin1(kItemDragMime), bad);
        EXPECT_FALSE(ReadItemDrag(&data).Valid()) << bad;
    }
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
