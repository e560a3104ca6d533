// Progress in the main window: the busy state, the bar and its percent
// text, Abort and the message pump, and the close command while busy.
#include "MainWinFixture.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

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
    Probe(w).SetProgress(5);
    EXPECT_EQ("-", Percent()) << "no progress runs yet";
    EXPECT_FALSE(Probe(w).Busy());

    Probe(w).BeginProgress(251);
    EXPECT_TRUE(Probe(w).Busy());
    EXPECT_EQ("0 %", Percent());
    auto* bar = w.ControlAs<QProgressBar>(CMainWin::kIdProgress);
    EXPECT_EQ(251, bar->maximum());
    EXPECT_EQ(0, bar->value());
    std::vector<std::string> seen;
    for (int position = 0; position <= 250; ++position) {
        Probe(w).SetProgress(position);
        if (seen.empty() || seen.back() != Percent())
            seen.push_back(Percent());
    }
    EXPECT_EQ(100u, seen.size()) << "every whole percentage once";
    EXPECT_EQ("0 %", seen.front());
    EXPECT_EQ("99 %", seen.back());
    EXPECT_EQ("99 %", Percent()) << "at the last position before the end";
    EXPECT_EQ(250, bar->value());
    Probe(w).SetProgress(251);
    EXPECT_EQ("100 %", Percent());
    Probe(w).EndProgress();
    EXPECT_FALSE(Probe(w).Busy());
}

TEST_F(MainWinProgressTest, BusyShowsTheProgressControlsAndDisablesTheCommands)
{
    NameImages({CardWith("card.img", {{0, 0, 25, 0, "A", {{200, 0, 0}}}}, {{{0}, false, {}}})});
    CMainWin& w = Start();
    Probe(w).ClipList()->item(0)->setSelected(true);
    Probe(w).PlaylistList()->item(0)->setSelected(true);
    ASSERT_TRUE(Enabled(2001));
    ASSERT_TRUE(Enabled(2025));
    for (int id : {1008, 1009, 2003})
        EXPECT_TRUE(Hidden(id)) << id;

    Probe(w).BeginProgress(100);
    Probe(w).UpdateControls();
    for (int id : {1008, 1009, 2003})
        EXPECT_FALSE(Hidden(id)) << id;
    EXPECT_TRUE(Enabled(2003)) << "Abort";
    for (int id : {1004, 2002, 2004, 2006, 2007, 2021, 1010, 1012, 1011, 2001, 2005, 2008, 2023, 2022, 1013, 2025})
        EXPECT_FALSE(Enabled(id)) << id;

    Probe(w).EndProgress();
    Probe(w).UpdateControls();
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
    Probe(w).BeginProgress(10);
    Probe(w).UpdateControls();
    EXPECT_FALSE(Probe(w).PumpMessages());
    QTest::mouseClick(w.ControlAs<QPushButton>(CMainWin::kIdAbort), Qt::LeftButton);
    EXPECT_TRUE(Probe(w).PumpMessages());
    EXPECT_TRUE(Probe(w).Progress().Aborted());
    Probe(w).EndProgress();
    EXPECT_TRUE(Probe(w).Progress().Aborted()) << "kept for the caller after the end";
    Probe(w).BeginProgress(10);
    EXPECT_FALSE(Probe(w).Progress().Aborted()) << "cleared by the next begin";
    EXPECT_FALSE(Probe(w).PumpMessages());
    Probe(w).EndProgress();
}

TEST_F(MainWinProgressTest, ThePumpHandlesWaitingEvents)
{
    CMainWin& w = Start();
    Probe(w).BeginProgress(10);
    bool handled = false;
    QMetaObject::invokeMethod(&w, [&] { handled = true; }, Qt::QueuedConnection);
    Probe(w).PumpMessages();
    EXPECT_TRUE(handled);
    Probe(w).EndProgress();
}

TEST_F(MainWinProgressTest, CloseIsIgnoredWhileBusy)
{
    CMainWin& w = Start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    Probe(w).BeginProgress(10);
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    Probe(w).EndProgress();
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(MainWinProgressTest, TheWindowKeepsRunningWhileTheSystemAsksForThePassword)
{
    CMainWin& w = Start();
    const auto& wait = Probe(w).Session().Environment().awaitAuthorisation;
    ASSERT_TRUE(wait);
    // The request (udisks2 with its password prompt) ends only when the
    // window's own thread has run a timer and seen the window busy with its
    // bar showing that it waits: a window that waited on its own thread
    // would never run the timer.
    std::atomic<bool> ran{false};
    bool busyMeanwhile = false, barShown = false;
    QTimer::singleShot(10, &w, [&] {
        busyMeanwhile = Probe(w).Busy();
        barShown = !Hidden(CMainWin::kIdProgress);
        ran = true;
    });
    const int result = wait([&ran] {
        for (int i = 0; i < 1000 && !ran; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return ran ? 7 : -1;
    });
    EXPECT_EQ(7, result) << "the window's timers did not run while the request waited";
    EXPECT_TRUE(busyMeanwhile) << "nothing else may start meanwhile";
    EXPECT_TRUE(barShown);
    EXPECT_FALSE(Probe(w).Busy());
    EXPECT_TRUE(Hidden(CMainWin::kIdProgress));
}
