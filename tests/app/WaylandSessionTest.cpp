// The window under native Wayland. The test starts a headless weston with a
// runtime folder of its own and runs itself again inside it on Qt's wayland
// platform; there the window opens on a card like the demo card, Open clip
// takes a file through the file dialog path, Write clip writes it and a
// drag (the window's QDrag, played as Qt's drag and drop events) puts the
// new clip into a playlist; the card is read back by a second opening.
// Every wait is bounded, and the compositor and the inner run are ended on
// every path.
#include "DropHighlight.h"
#include "DvFrame.h"
#include "MainWinCommandsFixture.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

#include <sys/stat.h>

namespace {

// Set in the inner run, inside the compositor.
constexpr const char* kInnerRun = "TESSARO_WAYLAND_INNER";
constexpr const char* kSocket = "tessaro-test";
constexpr int kStartMs = 30000;
constexpr int kInnerRunMs = 180000;

// Ends a process that still runs when it goes: asked first, then killed.
struct ProcessGuard {
    QProcess& process;
    ~ProcessGuard()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

class WaylandSessionTest : public MainWinCommandsFixture {
protected:
    // The demo card's tables: PARIS, BERLIN and ROMA of 4 seconds; the
    // three with CUT and then AUTO, and ROMA and PARIS looping.
    std::string DemoCard()
    {
        return CardWith("demo.img",
                        {{0, 0, 100, 0, "PARIS"}, {1, 100, 100, 1, "BERLIN"}, {2, 200, 100, 2, "ROMA"}},
                        {{{0, 1, 2}, false, {kTransitionCut, kTransitionAuto}}, {{2, 0}, true, {}}}, 464);
    }
    void RunInside();
};

void WaylandSessionTest::RunInside()
{
    ASSERT_EQ(QStringLiteral("wayland"), QGuiApplication::platformName());
    const std::string image = DemoCard();
    NameImages({image});
    CMainWin& w = StartWindow();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_EQ(100, Probe(w).Disk().Clips()[2].frames) << "the card is loaded";

    // Open clip: the file dialog path, answered by the test.
    std::vector<std::uint8_t> frames;
    const std::string file = DvFile("beach.dv", 80, 48000, &frames);
    OpenClip(file);
    ASSERT_EQ(1u, dialogs.size());
    EXPECT_TRUE(dialogs[0].open);
    ASSERT_EQ(file, Probe(w).CurrentFilePath());
    ASSERT_TRUE(ui.Shown().empty());

    // Write clip puts it into the lowest empty slot, 04.
    w.ControlAs<QPushButton>(CMainWin::kIdWriteClip)->click();
    ASSERT_EQ(std::vector<int>{kIdsWriteCompleted}, ui.Ids());
    ASSERT_EQ(80, Probe(w).Disk().Clips()[3].frames);

    // The new clip dragged onto playlist 02.
    QListWidget* playlists = Probe(w).PlaylistList();
    const bool began = PressAndPull(Probe(w).ClipList(), 3, [&](CItemDragPlay& drag) {
        EXPECT_EQ((DraggedItem{kDragClipList, 3}), ReadItemDrag(drag.Drag().mimeData()));
        EXPECT_FALSE(drag.Drag().pixmap().isNull());
        EXPECT_EQ(Qt::CopyAction, drag.MoveTo(playlists, ItemPoint(playlists, 1)));
        EXPECT_TRUE(ListItemHighlighted(playlists, 1));
        EXPECT_EQ(Qt::CopyAction, drag.Drop());
    });
    ASSERT_TRUE(began);
    EXPECT_EQ(1, Probe(w).CurrentPlaylist());

    const auto card = ReadCard(image);
    EXPECT_EQ(80, card->Clips()[3].frames);
    std::vector<std::uint8_t> cluster(kClusterSize);
    ASSERT_TRUE(card->ReadClipFrame(3, 0, cluster.data()));
    cluster.resize(kFrameSize);
    EXPECT_EQ(dvfix::Frame(frames, 0), cluster);
    std::vector<int> entries;
    for (const PlaylistEntry& e : card->Playlists()[1].entries)
        entries.push_back(e.slot);
    EXPECT_EQ((std::vector<int>{2, 0, 3}), entries);
    EXPECT_EQ(1, card->Playlists()[1].loop);
    EXPECT_EQ(3u, card->Playlists()[0].entries.size()) << "the other playlist as it was";
}

} // namespace

TEST_F(WaylandSessionTest, OpenClipAndADragIntoAPlaylistUnderAHeadlessCompositor)
{
    if (qEnvironmentVariableIsSet(kInnerRun)) {
        RunInside();
        return;
    }

    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    if (weston.isEmpty())
        GTEST_SKIP() << "weston is not installed (Debian package weston): the window is not tried under Wayland";
    const QString plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath);
    if (!QFileInfo::exists(plugins + QStringLiteral("/platforms/libqwayland-generic.so")))
        GTEST_SKIP() << "Qt's wayland platform plugin is not in " << plugins.toStdString()
                     << " (Debian package qt6-wayland): the window is not tried under Wayland";

    // The compositor's socket in a runtime folder of the test's own.
    const CTempDir runtime;
    ASSERT_EQ(0, chmod(runtime.Path().c_str(), 0700));
    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    base.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.Path()));
    base.remove(QStringLiteral("WAYLAND_DISPLAY"));
    base.remove(QStringLiteral("DISPLAY"));

    QProcess compositor;
    ProcessGuard endCompositor{compositor};
    compositor.setProcessEnvironment(base);
    compositor.setProcessChannelMode(QProcess::MergedChannels);
    compositor.start(weston, {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--socket=") + kSocket,
                              QStringLiteral("--width=1920"), QStringLiteral("--height=1200"),
                              QStringLiteral("--idle-time=0"), QStringLiteral("--no-config")});
    ASSERT_TRUE(compositor.waitForStarted(kStartMs)) << compositor.errorString().toStdString();
    const QString socket = QString::fromStdString(runtime.File(kSocket));
    for (int waited = 0; !QFileInfo::exists(socket) && waited < kStartMs; waited += 50) {
        if (compositor.waitForFinished(50))
            break;
    }
    ASSERT_EQ(QProcess::Running, compositor.state())
        << "weston ended at its start:\n" << compositor.readAll().toStdString();
    ASSERT_TRUE(QFileInfo::exists(socket)) << "weston made no socket in " << kStartMs / 1000 << " s:\n"
                                           << compositor.readAll().toStdString();

    // This test again, inside the compositor.
    QProcessEnvironment inside = base;
    inside.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    inside.insert(QStringLiteral("WAYLAND_DISPLAY"), QString::fromLatin1(kSocket));
    inside.insert(QString::fromLatin1(kInnerRun), QStringLiteral("1"));
    inside.remove(QStringLiteral("QT_SCALE_FACTOR"));
    // Under the leak checker, leaks are not looked for here: what the
    // wayland client library and the graphics drivers it loads and unloads
    // keep at the exit is theirs (often from a library already unloaded, so
    // no suppression names it), and the window's own allocations are
    // checked by the offscreen tests of the same suite.
    QString lsan = inside.value(QStringLiteral("LSAN_OPTIONS"));
    if (!lsan.isEmpty())
        lsan += QLatin1Char(':');
    inside.insert(QStringLiteral("LSAN_OPTIONS"), lsan + QStringLiteral("detect_leaks=0"));
    QString asan = inside.value(QStringLiteral("ASAN_OPTIONS"));
    asan.replace(QStringLiteral("detect_leaks=1"), QStringLiteral("detect_leaks=0"));
    if (!asan.contains(QStringLiteral("detect_leaks")))
        asan += asan.isEmpty() ? QStringLiteral("detect_leaks=0") : QStringLiteral(":detect_leaks=0");
    inside.insert(QStringLiteral("ASAN_OPTIONS"), asan);
    // Qt 6.4's wayland client can abort in libwayland when its event
    // thread and the main thread release the same proxy together (fixed in
    // later Qt); a run ended by that race, before the test itself failed or
    // passed, is tried again, twice at most.
    const testing::TestInfo* self = testing::UnitTest::GetInstance()->current_test_info();
    const QStringList arguments{QStringLiteral("--gtest_filter=%1.%2").arg(QString::fromLatin1(self->test_suite_name()),
                                                                           QString::fromLatin1(self->name()))};
    QProcess run;
    ProcessGuard endRun{run};
    run.setProcessEnvironment(inside);
    run.setProcessChannelMode(QProcess::MergedChannels);
    std::string output;
    for (int attempt = 0; attempt < 3; ++attempt) {
        run.start(QCoreApplication::applicationFilePath(), arguments);
        ASSERT_TRUE(run.waitForStarted(kStartMs)) << run.errorString().toStdString();
        const bool ended = run.waitForFinished(kInnerRunMs);
        output = run.readAll().toStdString();
        ASSERT_TRUE(ended) << "the run inside weston did not end in " << kInnerRunMs / 1000 << " s:\n" << output;
        const bool race = output.find("wl_proxy_unref: Assertion") != std::string::npos &&
                          output.find("Failure") == std::string::npos;
        if (!race)
            break;
        std::fprintf(stderr, "the wayland client library aborted in its proxy release race; tried again\n");
    }
    EXPECT_EQ(QProcess::NormalExit, run.exitStatus()) << output;
    EXPECT_EQ(0, run.exitCode()) << output;
    EXPECT_NE(std::string::npos, output.find("[  PASSED  ] 1 test.")) << output;
    EXPECT_EQ(std::string::npos, output.find("[  SKIPPED ]")) << output;
}
