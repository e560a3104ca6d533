// The main window's size rules (controls that move and grow with it, the
// smallest size) and the question before closing a card without playlists.
#include "MainWinFixture.h"

#include "DialogUnits.h"

#include <QFontMetrics>
#include <QTest>

namespace {

class MainWinCloseResizeTest : public MainWinFixture {
protected:
    QRect Geometry(int id) const { return win->Control(id)->geometry(); }
};

} // namespace

TEST_F(MainWinCloseResizeTest, ControlsFollowTheirRulesWhenTheWindowGrows)
{
    CMainWin& w = Start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    std::map<int, QRect> before;
    for (const CDialogControl& c : w.Template().Controls())
        before[c.id] = Geometry(c.id);

    w.resize(w.width() + 100, w.height() + 50);
    EXPECT_EQ(before[2003].translated(100, 50), Geometry(2003)) << "Abort moves right and down";
    EXPECT_EQ(before[1009].translated(100, 50), Geometry(1009));
    QRect bar = before[1008].translated(0, 50);
    bar.setWidth(bar.width() + 100);
    EXPECT_EQ(bar, Geometry(1008)) << "the progress bar moves down and widens";
    EXPECT_EQ(before[1004], Geometry(1004)) << "the card list stays";
    QRect clips = before[1010];
    clips.setSize(clips.size() + QSize(100, 50));
    EXPECT_EQ(clips, Geometry(1010));
    QRect playlists = before[1012];
    playlists.setHeight(playlists.height() + 50);
    EXPECT_EQ(playlists, Geometry(1012));
    EXPECT_EQ(before[2005].translated(0, 50), Geometry(2005));
    for (const CDialogControl& c : w.Template().Controls()) {
        if (c.resize == 0) {
            EXPECT_EQ(before[c.id], Geometry(c.id)) << c.id;
        }
    }

    // Back to the first size: everything returns to its place.
    w.resize(w.width() - 100, w.height() - 50);
    for (const CDialogControl& c : w.Template().Controls())
        EXPECT_EQ(before[c.id], Geometry(c.id)) << c.id;
}

TEST_F(MainWinCloseResizeTest, TheWindowKeepsItsMinimumSize)
{
    CMainWin& w = Start();
    QFontMetrics fm(QApplication::font());
    const int letters = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseX = (letters / 26 + 1) / 2;
    // The system's smallest dialog, unless the template's layout with the
    // menu bar above it needs more.
    const CDialogUnits& u = w.Units();
    const QSize layout(u.ToPixelsX(516), u.ToPixelsY(388) + w.TopBarHeight());
    const QSize smallest = QSize(390 * baseX / 4, 320 * fm.height() / 8).expandedTo(layout);
    EXPECT_EQ(smallest, w.minimumSize());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.resize(10, 10);
    EXPECT_EQ(smallest, w.size());
}

TEST_F(MainWinCloseResizeTest, ClipsWithoutAPlaylistAskBeforeClosing)
{
    NameImages({CardWith("card.img", {{0, 0, 25, 0, "A", {{200, 0, 0}}}})});
    CMainWin& w = Start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ui.Answer(kIdsNoPlaylist, kIdOk);
    EXPECT_FALSE(w.close()) << "OK stays to build a playlist";
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(1, ui.Count(kIdsNoPlaylist));
    EXPECT_EQ(static_cast<unsigned>(kMbOkCancel | kMbIconWarning), ui.Shown().back().flags);
    ui.Answer(kIdsNoPlaylist, kIdCancel);
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(2, ui.Count(kIdsNoPlaylist));
}

TEST_F(MainWinCloseResizeTest, ClosesWithoutAskingWhenThereIsNothingToWarnAbout)
{
    const std::string withPlaylist = CardWith("playlist.img", {{0, 0, 25, 0, "A", {{200, 0, 0}}}}, {{{0}, false, {}}});
    const std::string noClips = CardWith("none.img", {});
    for (const std::string& card : {withPlaylist, noClips, std::string()}) {
        WriteIni("");
        NameImages({card});
        CMainWin& w = Start();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        EXPECT_TRUE(w.close()) << card;
        EXPECT_EQ(0, ui.Count(kIdsNoPlaylist)) << card;
        win.reset();
    }
}
