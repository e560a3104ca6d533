// Playlist editing in the main window without dragging: Remove clip and
// the Delete key in the entry list, Delete playlist and the Delete key in
// the playlist list with its question, the Loop box, the transition toggled
// by a double click, and the drag rules called with (list, item). Every
// change is checked on the card image by a second opening.
#include "PlaylistEditFixture.h"

#include "PlaylistDrag.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

using PlaylistEditTest = PlaylistEditFixture;

} // namespace

TEST_F(PlaylistEditTest, LoopAndTransitionsOnATwoEntryPlaylist)
{
    CMainWin& w = StartWith({{{4, 1}, false, {}}});
    Probe(w).PlaylistList()->item(0)->setSelected(true);
    QListWidget* entries = Probe(w).EntryList();
    ASSERT_EQ(2, entries->count());
    EXPECT_EQ("05 - PARIS\nCUT", ItemText(entries, 0));
    EXPECT_EQ("02", ItemText(entries, 1)) << "the last entry of a playlist that does not loop has no transition";

    auto* loop = w.ControlAs<QCheckBox>(CMainWin::kIdLoop);
    ASSERT_TRUE(loop->isEnabled());
    loop->click();
    EXPECT_EQ("05 - PARIS\nCUT", ItemText(entries, 0));
    EXPECT_EQ("02\nCUT", ItemText(entries, 1));
    EXPECT_EQ("01 - " + FormatFrameTime(50) + " <>", ItemText(Probe(w).PlaylistList(), 0));
    EXPECT_EQ(1, Reopen()->Playlists()[0].loop);

    loop->click();
    EXPECT_EQ("02", ItemText(entries, 1));
    EXPECT_EQ("01 - " + FormatFrameTime(50), ItemText(Probe(w).PlaylistList(), 0));
    EXPECT_EQ(0, Reopen()->Playlists()[0].loop);
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(PlaylistEditTest, DoubleClickTogglesTheTransitionOnlyWhereASuccessorFollows)
{
    CMainWin& w = StartWith({{{4, 1}, false, {}}});
    Probe(w).PlaylistList()->item(0)->setSelected(true);
    QListWidget* entries = Probe(w).EntryList();
    const std::vector<std::uint8_t> before = FatOnCard();

    const QPoint last = ItemPoint(entries, 1);
    QTest::mouseClick(entries->viewport(), Qt::LeftButton, {}, last);
    QTest::mouseDClick(entries->viewport(), Qt::LeftButton, {}, last);
    EXPECT_EQ("02", ItemText(entries, 1));
    EXPECT_EQ(kTransitionCut, Probe(w).Disk().Playlists()[0].entries[1].transition);
    EXPECT_EQ(before, FatOnCard()) << "nothing written";

    const QPoint first = ItemPoint(entries, 0);
    QTest::mouseClick(entries->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(entries->viewport(), Qt::LeftButton, {}, first);
    EXPECT_EQ("05 - PARIS\nAUTO", ItemText(entries, 0));
    EXPECT_EQ(0, Probe(w).SelectedEntry()) << "only the entry is redrawn: it stays selected";
    EXPECT_EQ(kTransitionAuto, Reopen()->Playlists()[0].entries[0].transition);

    QTest::mouseDClick(entries->viewport(), Qt::LeftButton, {}, first);
    EXPECT_EQ("05 - PARIS\nCUT", ItemText(entries, 0));
    EXPECT_EQ(kTransitionCut, Reopen()->Playlists()[0].entries[0].transition);
    EXPECT_EQ(before, FatOnCard());
}

TEST_F(PlaylistEditTest, RemoveClipAndTheDeleteKeyRemoveTheSelectedEntryWithoutAsking)
{
    CMainWin& w = StartWith({{{0, 1, 2}, false, {kTransitionCut, kTransitionAuto, kTransitionCut}}});
    Probe(w).PlaylistList()->item(0)->setSelected(true);
    QListWidget* entries = Probe(w).EntryList();
    entries->item(1)->setSelected(true);
    ASSERT_TRUE(Enabled(CMainWin::kIdRemoveClip));
    w.ControlAs<QPushButton>(CMainWin::kIdRemoveClip)->click();
    EXPECT_EQ((std::vector<int>{0, 2}), EntrySlots(Reopen()->Playlists()[0]));
    ASSERT_EQ(2, entries->count());
    EXPECT_EQ("#01, clips: 2, time: " + FormatFrameTime(50), Text(CMainWin::kIdPlaylistInfo));
    EXPECT_FALSE(Enabled(CMainWin::kIdRemoveClip)) << "the rebuilt list has no selection";

    entries->setFocus();
    entries->item(0)->setSelected(true);
    QTest::keyClick(entries, Qt::Key_Delete);
    EXPECT_EQ((std::vector<int>{2}), EntrySlots(Reopen()->Playlists()[0]));
    EXPECT_EQ("01 - " + FormatFrameTime(25), ItemText(Probe(w).PlaylistList(), 0));
    EXPECT_EQ(2, CImageSet::ItemImage(Probe(w).PlaylistList()->item(0))) << "the new first clip's thumbnail";

    entries->item(0)->setSelected(true);
    QTest::keyClick(entries, Qt::Key_Delete);
    EXPECT_TRUE(Reopen()->Playlists()[0].entries.empty());
    EXPECT_EQ("02", ItemText(Probe(w).PlaylistList(), 1));
    EXPECT_EQ("empty", Text(CMainWin::kIdPlaylistInfo));
    EXPECT_FALSE(Enabled(CMainWin::kIdLoop));
    EXPECT_FALSE(Enabled(CMainWin::kIdDeletePlaylist));
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(PlaylistEditTest, DeletePlaylistAsksAndEmptiesOnlyThatPlaylist)
{
    CMainWin& w = StartWith(
        {{{0}, false, {}}, {{1}, false, {}}, {{2, 3}, true, {kTransitionAuto, kTransitionAuto}, 2}, {{4}, false, {}, 1}});
    QListWidget* playlists = Probe(w).PlaylistList();
    playlists->setFocus();
    playlists->item(2)->setSelected(true);
    const std::vector<std::uint8_t> before = FatOnCard();

    QTest::keyClick(playlists, Qt::Key_Delete); // answered No
    ASSERT_EQ(1, ui.Count(kIdsAskDeletePlaylist));
    EXPECT_EQ("Delete playlist 03?", ui.Shown().back().text);
    EXPECT_EQ(static_cast<unsigned>(kMsgYesNoDefNo), ui.Shown().back().flags);
    EXPECT_EQ(before, FatOnCard());
    EXPECT_EQ(2, Probe(w).EntryList()->count());

    ui.Answer(kIdsAskDeletePlaylist, kIdYes);
    w.ControlAs<QPushButton>(CMainWin::kIdDeletePlaylist)->click();
    EXPECT_EQ(2, ui.Count(kIdsAskDeletePlaylist));
    const auto card = Reopen();
    EXPECT_TRUE(card->Playlists()[2].entries.empty());
    EXPECT_EQ((std::vector<int>{0}), EntrySlots(card->Playlists()[0]));
    EXPECT_EQ((std::vector<int>{1}), EntrySlots(card->Playlists()[1]));
    EXPECT_EQ((std::vector<int>{4}), EntrySlots(card->Playlists()[3])) << "numbers do not shift";
    EXPECT_EQ(1, card->Playlists()[3].logoMode);
    EXPECT_EQ(0, Probe(w).Disk().Playlists()[2].loop);
    EXPECT_EQ(0, Probe(w).Disk().Playlists()[2].logoMode);
    EXPECT_EQ("03", ItemText(playlists, 2));
    EXPECT_EQ(0, Probe(w).EntryList()->count());
    EXPECT_FALSE(Enabled(CMainWin::kIdDeletePlaylist));

    // The Delete key on an empty playlist asks nothing.
    QTest::keyClick(playlists, Qt::Key_Delete);
    EXPECT_EQ(2, ui.Count(kIdsAskDeletePlaylist));
}

TEST_F(PlaylistEditTest, DoubleClickInThePlaylistListChangesNothing)
{
    CMainWin& w = StartWith({{{4, 1}, false, {}}});
    QListWidget* playlists = Probe(w).PlaylistList();
    const std::vector<std::uint8_t> before = FatOnCard();
    const QPoint at = ItemPoint(playlists, 0);
    QTest::mouseClick(playlists->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(playlists->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(0, Probe(w).CurrentPlaylist());
    EXPECT_EQ(before, FatOnCard());
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(PlaylistEditTest, DragRulesByListAndItem)
{
    std::vector<int> twelve(12, 3);
    CMainWin& w = StartWith({{{4}, false, {}}, {}, {twelve, false, {}}, {{0, 1}, false, {}}});
    const CDisk& disk = Probe(w).Disk();

    // What may be dragged.
    EXPECT_TRUE(CanBeginDrag(disk, -1, kDragClipList, 4));
    EXPECT_FALSE(CanBeginDrag(disk, -1, kDragClipList, 6)) << "an empty slot";
    EXPECT_FALSE(CanBeginDrag(disk, -1, kDragClipList, 144));
    EXPECT_TRUE(CanBeginDrag(disk, -1, kDragPlaylistList, 0));
    EXPECT_FALSE(CanBeginDrag(disk, -1, kDragPlaylistList, 1)) << "an empty playlist";
    EXPECT_FALSE(CanBeginDrag(disk, 0, kDragEntryList, 0)) << "a current playlist of one entry";
    EXPECT_TRUE(CanBeginDrag(disk, 3, kDragEntryList, 1));
    EXPECT_FALSE(CanBeginDrag(disk, 3, kDragEntryList, 2));
    EXPECT_FALSE(CanBeginDrag(disk, -1, kDragEntryList, 0));

    // Where it may be dropped.
    EXPECT_TRUE(DropAllowed(disk, -1, kDragClipList, 4, kDragPlaylistList, 1));
    EXPECT_FALSE(DropAllowed(disk, -1, kDragClipList, 4, kDragPlaylistList, -1));
    EXPECT_FALSE(DropAllowed(disk, -1, kDragClipList, 4, kDragPlaylistList, 2)) << "a 13th entry";
    EXPECT_TRUE(DropAllowed(disk, 0, kDragClipList, 4, kDragEntryList, -1)) << "at the end";
    EXPECT_TRUE(DropAllowed(disk, 0, kDragClipList, 4, kDragEntryList, 0));
    EXPECT_FALSE(DropAllowed(disk, 2, kDragClipList, 4, kDragEntryList, -1)) << "a 13th entry";
    EXPECT_FALSE(DropAllowed(disk, -1, kDragClipList, 4, kDragEntryList, -1)) << "no current playlist";
    EXPECT_TRUE(DropAllowed(disk, -1, kDragPlaylistList, 0, kDragPlaylistList, 1)) << "onto an empty one";
    EXPECT_FALSE(DropAllowed(disk, -1, kDragPlaylistList, 0, kDragPlaylistList, 0));
    EXPECT_TRUE(DropAllowed(disk, 3, kDragEntryList, 0, kDragEntryList, 1));
    EXPECT_FALSE(DropAllowed(disk, 3, kDragEntryList, 0, kDragEntryList, 0));
    EXPECT_FALSE(DropAllowed(disk, 3, kDragEntryList, 0, kDragEntryList, -1)) << "empty space";
    for (int to : {kDragClipList, kNoDragList}) {
        for (int from : {kDragClipList, kDragPlaylistList, kDragEntryList})
            EXPECT_FALSE(DropAllowed(disk, 3, from, 0, to, 1)) << from << " onto " << to;
    }
    EXPECT_FALSE(DropAllowed(disk, 3, kDragPlaylistList, 0, kDragEntryList, 1));
    EXPECT_FALSE(DropAllowed(disk, 3, kDragEntryList, 0, kDragPlaylistList, 1));

    EXPECT_EQ(kCursorSameList, DragCursorId(true, kDragEntryList, kDragEntryList));
    EXPECT_EQ(kCursorOtherList, DragCursorId(true, kDragClipList, kDragEntryList));
    EXPECT_EQ(kCursorNotAllowed, DragCursorId(false, kDragClipList, kDragEntryList));
}
