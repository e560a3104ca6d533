// The desktop notification of a long operation's end, on a stand-in
// notification service (python3-dbusmock) on a session bus of the test's
// own: the closing message's text, only when none of the program's windows
// was active; nothing amiss without a service.
#include "DesktopNotifier.h"
#include "MainWinCommandsFixture.h"
#include "StandInBus.h"

#include <QTest>

#include <fstream>
#include <sstream>

namespace {

class MainWinNotificationTest : public MainWinCommandsFixture {
protected:
    void SetUp() override
    {
        MainWinCommandsFixture::SetUp();
        const std::string why =
            bus.Start("notification_daemon", "{}", "org.freedesktop.Notifications", calls);
        if (!why.empty())
            GTEST_SKIP() << "no stand-in notification service: " << why;
        env.notifier = &SessionBusNotifier();
    }

    // The Notify calls the service has had, one line each.
    std::vector<std::string> Notified() const
    {
        std::ifstream in(calls);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (line.find(" Notify ") != std::string::npos)
                lines.push_back(line);
        }
        return lines;
    }
    static bool Activate(QWidget& w)
    {
        w.show();
        w.activateWindow();
        return QTest::qWaitForWindowActive(&w);
    }

    std::string calls = Dir().File("calls.log");
    CStandInBus bus{CStandInBus::kSessionBus};
};

} // namespace

TEST_F(MainWinNotificationTest, AnOperationEndingWhileTheUserIsElsewhereIsToldOnTheDesktop)
{
    NameImages({CardWith("card.img", {})});
    StartWindow();
    OpenClip(DvFile("clip.dv", 80));
    ASSERT_TRUE(Activate(*win));

    // The user watches the window: the message box is enough.
    Probe(*win).OnWriteClip();
    ASSERT_EQ(kIdsWriteCompleted, ui.Shown().back().id);
    EXPECT_TRUE(Notified().empty());

    // Another program's window is active: the desktop is told how it ended.
    QWidget elsewhere;
    ASSERT_TRUE(Activate(elsewhere));
    ASSERT_FALSE(win->isActiveWindow());
    Probe(*win).OnWriteClip();
    ASSERT_EQ(kIdsWriteCompleted, ui.Shown().back().id) << "the message box all the same";
    std::vector<std::string> notified = Notified();
    ASSERT_EQ(1u, notified.size());
    EXPECT_NE(std::string::npos, notified[0].find("\"" + AppTitle() + "\" \"Write completed.\"")) << notified[0];

    // Without a notification service the write still ends as it should.
    bus.StopService();
    Probe(*win).OnWriteClip();
    EXPECT_EQ(kIdsWriteCompleted, ui.Shown().back().id);
    EXPECT_FALSE(Probe(*win).Busy());
}
