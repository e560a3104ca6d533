#include "CMainApp.h"

#include "CMainWin.h"
#include "MediaLog.h"
#include "Paths.h"
#include "Settings.h"

#include <QApplication>

#include <utility>

CMainApp::CMainApp(const CAppEnvironment& env, std::string settingsPath)
    : env_(env), settingsPath_(std::move(settingsPath))
{
}

CMainApp::~CMainApp() = default;

int CMainApp::InitInstance()
{
    // A second copy ends here, before it touches the display or any file.
    if (!lock_.Acquire(kInstanceName))
        return 0;

    // The FFmpeg libraries need no per-thread start-up, unlike the media
    // services this program once used; their diagnostics go into the
    // program's log, not onto the terminal the window was started from.
    RouteMediaLog();

    if (settingsPath_.empty())
        settingsPath_ = AppDataPath(".ini");
    SetSettingsPath(settingsPath_);

    if (QApplication::instance() == nullptr)
        qtApp_ = std::make_unique<QApplication>(argc_, argv_);
    // Desktops (Wayland compositors above all) find the window's name and
    // icon through its desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral(TESSARO_APP_ID));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSARO_VERSION));
    {
        CMainWin window(env_);
        window.exec();
    }
    return 0;
}

int CMainApp::ExitInstance()
{
    qtApp_.reset();
    lock_.Release();
    return 0;
}
