// The window's place, size, maximized state and current file kept in the
// settings file from one run to the next.
#include "AppTestSupport.h"
#include "CMainWin.h"
#include "MainWinProbe.h"
#include "WindowLayout.h"

#include <QTest>

#include <memory>

namespace {

class WindowLayoutTest : public CAppTest {};

} // namespace

TEST_F(WindowLayoutTest, FirstStartUsesTheTemplatePlaceAndWritesEveryKeyOnClose)
{
    WriteIni("; kept\n[Cards]\nImage1=/tmp/card.img\n[Debug]\nLog=0\n");
    QSize templateSize;
    {
        CMainWin win(env);
        EXPECT_FALSE(win.testAttribute(Qt::WA_Moved)) << "no saved place: the window is not moved";
        EXPECT_FALSE(win.windowState() & Qt::WindowMaximized);
        EXPECT_EQ("", Probe(win).CurrentFilePath());
        templateSize = win.size();
        win.move(30, 40);
    }
    CWindowLayout saved = ReadWindowLayout();
    EXPECT_EQ(30, saved.left);
    EXPECT_EQ(40, saved.top);
    EXPECT_EQ(templateSize.width(), saved.width);
    EXPECT_EQ(templateSize.height(), saved.height);
    EXPECT_FALSE(saved.maximized);
    const std::string ini = ReadIni();
    EXPECT_NE(std::string::npos, ini.find("[General]\nFile=\n")) << "File is written even when empty\n" << ini;
    EXPECT_EQ(0u, ini.find("; kept\n[Cards]\nImage1=/tmp/card.img\n[Debug]\nLog=0\n")) << ini;
}

TEST_F(WindowLayoutTest, SavedRectangleAndFileAreRestored)
{
    WriteIni("[Layout]\nLeft=20\nTop=30\nWidth=1000\nHeight=700\nMaximized=0\n[General]\nFile=/clips/a b.dv\n");
    {
        CMainWin win(env);
        EXPECT_EQ(QRect(20, 30, 1000, 700), win.geometry());
        EXPECT_EQ("/clips/a b.dv", Probe(win).CurrentFilePath());
        win.setGeometry(50, 60, 980, 690);
    }
    CMainWin again(env);
    EXPECT_EQ(QRect(50, 60, 980, 690), again.geometry());
    EXPECT_EQ("/clips/a b.dv", GetProfileString("General", "File", "x"));
}

TEST_F(WindowLayoutTest, MaximizedWindowSavesItsNormalRectangleAndComesBackMaximized)
{
    {
        CMainWin win(env);
        win.setGeometry(25, 35, 960, 680);
        win.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&win));
        win.showMaximized();
        QTest::qWait(0);
        ASSERT_TRUE(win.isMaximized());
    }
    CWindowLayout saved = ReadWindowLayout();
    EXPECT_TRUE(saved.maximized);
    EXPECT_EQ(25, saved.left);
    EXPECT_EQ(35, saved.top);
    EXPECT_EQ(960, saved.width);
    EXPECT_EQ(680, saved.height);

    CMainWin win(env);
    EXPECT_TRUE(win.windowState() & Qt::WindowMaximized);
    win.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&win));
    EXPECT_TRUE(win.isMaximized());
    EXPECT_EQ(QRect(25, 35, 960, 680), win.normalGeometry()) << "restored from the rectangle, then maximized";
}

TEST_F(WindowLayoutTest, LeftWithoutTopKeepsTheTemplatePosition)
{
    WriteIni("[Layout]\nLeft=100\nWidth=1000\nHeight=700\n");
    CMainWin win(env);
    EXPECT_FALSE(win.testAttribute(Qt::WA_Moved));
    EXPECT_NE(QSize(1000, 700), win.size()) << "nothing of the rectangle is used";
}

TEST_F(WindowLayoutTest, DamagedOrUnreachableValuesLeaveAUsableWindow)
{
    QSize templateSize = CMainWin(env).size();
    WriteIni("[Layout]\nLeft=10\nTop=15\nWidth=-1\nHeight=0\n");
    {
        CMainWin win(env);
        EXPECT_EQ(QPoint(10, 15), win.pos());
        EXPECT_EQ(templateSize, win.size()) << "a size that is not positive is not applied";
    }
    WriteIni("[Layout]\nLeft=90000\nTop=90000\nWidth=980\nHeight=690\n");
    CMainWin win(env);
    EXPECT_FALSE(win.testAttribute(Qt::WA_Moved)) << "a place on no screen is not used";
    EXPECT_EQ(QSize(980, 690), win.size());
}
