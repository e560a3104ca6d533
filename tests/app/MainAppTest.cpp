// Start-up: one copy at a time, the settings file, the main window run
// modally and closed in order.
#include "AppTestSupport.h"
#include "CMainApp.h"
#include "CMainWin.h"
#include "InstanceLock.h"

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Points the runtime folder (where the instance lock lives) at the test's
// own folder for the length of a test.
class MainAppTest : public CAppTest {
protected:
    void SetUp() override
    {
        CAppTest::SetUp();
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            oldRuntime_ = old;
        setenv("XDG_RUNTIME_DIR", Dir().Path().c_str(), 1);
    }
    void TearDown() override
    {
        if (oldRuntime_)
            setenv("XDG_RUNTIME_DIR", oldRuntime_->c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        CAppTest::TearDown();
    }

private:
    std::optional<std::string> oldRuntime_;
};

bool Exists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

} // namespace

TEST_F(MainAppTest, RunsTheWindowModallyAndSavesOnClose)
{
    SetSettingsPath(Dir().File("other.ini"));
    CMainApp app(env, Ini());
    bool sawWindow = false, lockHeld = false;
    QTimer::singleShot(0, [&] {
        auto* win = qobject_cast<CMainWin*>(QApplication::activeModalWidget());
        if (win == nullptr)
            return;
        sawWindow = win->windowTitle() == "Tessaro M8";
        CInstanceLock second;
        lockHeld = !second.Acquire(CMainApp::kInstanceName);
        win->setGeometry(12, 34, 980, 690);
        win->reject();
    });
    EXPECT_EQ(0, app.InitInstance());
    EXPECT_TRUE(sawWindow);
    EXPECT_TRUE(lockHeld) << "the lock is held while the window runs";
    EXPECT_EQ(Ini(), SettingsPath());
    EXPECT_EQ(12, GetProfileInt("Layout", "Left", -1));
    EXPECT_EQ(34, GetProfileInt("Layout", "Top", -1));
    EXPECT_EQ(980, GetProfileInt("Layout", "Width", -1));
    EXPECT_EQ(690, GetProfileInt("Layout", "Height", -1));
    EXPECT_EQ(0, app.ExitInstance());
    EXPECT_FALSE(app.HoldsInstanceLock());
    CInstanceLock after;
    EXPECT_TRUE(after.Acquire(CMainApp::kInstanceName)) << "released at exit";
}

TEST_F(MainAppTest, SecondCopyEndsSilentlyInTheSameProcess)
{
    CInstanceLock first;
    ASSERT_TRUE(first.Acquire(CMainApp::kInstanceName));
    std::remove(Ini().c_str());
    CMainApp app(env, Ini());
    bool windowShown = false;
    QTimer::singleShot(0, [&] {
        if (auto* w = QApplication::activeModalWidget()) {
            windowShown = true;
            w->close();
        }
    });
    EXPECT_EQ(0, app.InitInstance());
    QApplication::processEvents();
    EXPECT_FALSE(windowShown);
    EXPECT_FALSE(app.HoldsInstanceLock());
    EXPECT_FALSE(Exists(Ini())) << "the second copy touches no settings";
    EXPECT_EQ(0, app.ExitInstance());
    EXPECT_TRUE(first.Held());
}

#ifdef TESSARO_EXE
TEST_F(MainAppTest, SecondProgramEndsAtOnceWhileTheFirstHoldsTheLock)
{
    CInstanceLock first;
    ASSERT_TRUE(first.Acquire(CMainApp::kInstanceName));
    const std::string out = Dir().File("second.out");
    pid_t pid = fork();
    if (pid == 0) {
        freopen(out.c_str(), "w", stdout);
        freopen(out.c_str(), "a", stderr);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(TESSARO_EXE, TESSARO_EXE, static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    // A copy that wrongly started would sit in its window: stop it rather
    // than hang the test run.
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 600 && done == 0; ++i) {
        done = waitpid(pid, &status, WNOHANG);
        if (done == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (done == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "the second copy did not end";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_FALSE(Exists(Dir().File("tessaro.ini")));
    std::ifstream in(out);
    std::string printed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ("", printed) << "ends silently";
    EXPECT_TRUE(first.Held());
}
#endif
