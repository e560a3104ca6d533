// Progress in the main window: the busy state, the bar and its percent
// text, Abort and the message pump, and the close command while busy.
#include "MainWinFixture.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

class MainWinProgressTest : public MainWinFixture {
protected:
    std::string Percent() const { return Text(CMainWin::kIdPercent); }
    bool Hidden(int id) const { return win->Control(id)->isHidden(); }
};

} // namespace

TEST_F(MainWinProgressTest, PercentReaches100OnlyAtTheEndOfTheRange)
{
    CMainWin& w = Start();
    EXPECT_EQ("-", Percent());
    w.SetProgress(5);
    EXPECT_EQ("-", Percent()) << "no progress runs yet";
    EXPECT_FALSE(w.Busy());

    w.BeginProgress(251);
    EXPECT_TRUE(w.Busy());
    EXPECT_EQ("0 %", Percent());
    auto* bar = w.ControlAs<QProgressBar>(CMainWin::kIdProgress);
    EXPECT_EQ(251, bar->maximum());
    EXPECT_EQ(0, bar->value());
    std::vector<std::string> seen;
    for (int position = 0; position <= 250; ++position) {
        w.SetProgress(position);
        if (seen.empty() || seen.back() != Percent())
            seen.push_back(Percent());
    }
    EXPECT_EQ(100u, seen.size()) << "every whole percentage once";
    EXPECT_EQ("0 %", seen.front());
    EXPECT_EQ("99 %", seen.back());
    EXPECT_EQ("99 %", Percent()) << "at the last position before the end";
    EXPECT_EQ(250, bar->value());
    w.SetProgress(251);
    EXPECT_EQ("100 %", Percent());
    w.EndProgress();
    EXPECT_FALSE(w.Busy());
}

TEST_F(MainWinProgressTest, BusyShowsTheProgressControlsAndDisablesTheCommands)
{
    NameImages({CardWith("card.img", {{0, 0, 25, 0, "A", {{200, 0, 0}}}}, {{{0}, false, {}}})});
    CMainWin& w = Start();
    w.ClipList()->item(0)->setSelected(true);
    w.PlaylistList()->item(0)->setSelected(true);
    ASSERT_TRUE(Enabled(2001));
    ASSERT_TRUE(Enabled(2025));
    for (int id : {1008, 1009, 2003})
        EXPECT_TRUE(Hidden(id)) << id;

    w.BeginProgress(100);
    w.UpdateControls();
    for (int id : {1008, 1009, 2003})
        EXPECT_FALSE(Hidden(id)) << id;
    EXPECT_TRUE(Enabled(2003)) << "Abort";
    for (int id : {1004, 2002, 2004, 2006, 2007, 2021, 1010, 1012, 1011, 2001, 2005, 2008, 2023, 2022, 1013, 2025})
        EXPECT_FALSE(Enabled(id)) << id;

    w.EndProgress();
    w.UpdateControls();
    for (int id : {1008, 1009, 2003})
        EXPECT_TRUE(Hidden(id)) << id;
    for (int id : {1004, 2002, 2006, 2021, 1010, 1012, 1011, 2001, 2023, 1013, 2025})
        EXPECT_TRUE(Enabled(id)) << id;
}

TEST_F(MainWinProgressTest, AbortSetsTheFlagThatTheNextPumpReturns)
{
    CMainWin& w = Start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.BeginProgress(10);
    w.UpdateControls();
    EXPECT_FALSE(w.PumpMessages());
    QTest::mouseClick(w.ControlAs<QPushButton>(CMainWin::kIdAbort), Qt::LeftButton);
    EXPECT_TRUE(w.PumpMessages());
    EXPECT_TRUE(w.Progress().Aborted());
    w.EndProgress();
    EXPECT_TRUE(w.Progress().Aborted()) << "kept for the caller after the end";
    w.BeginProgress(10);
    EXPECT_FALSE(w.Progress().Aborted()) << "cleared by the next begin";
    EXPECT_FALSE(w.PumpMessages());
    w.EndProgress();
}

TEST_F(MainWinProgressTest, ThePumpHandlesWaitingEvents)
{
    CMainWin& w = Start();
    w.BeginProgress(10);
    bool handled = false;
    QMetaObject::invokeMethod(&w, [&] { handled = true; }, Qt::QueuedConnection);
    w.PumpMessages();
    EXPECT_TRUE(handled);
    w.EndProgress();
}

TEST_F(MainWinProgressTest, CloseIsIgnoredWhileBusy)
{
    CMainWin& w = Start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.BeginProgress(10);
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    w.EndProgress();
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(ui.Shown().empty());
}
