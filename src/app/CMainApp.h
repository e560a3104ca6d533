// The application object: makes sure that only one copy runs, points the
// settings at the file beside the executable and runs the main window as a
// modal dialog. The command line is main's (AppCommandLine.h).
#pragma once
#include "AppEnvironment.h"
#include "InstanceLock.h"

#include <memory>
#include <string>

class QApplication;

class CMainApp {
public:
    // The name of the single-instance lock.
    static constexpr const char* kInstanceName = "Vor_TessaroFlash";

    // The window runs in `env` (which must outlive the application);
    // `settingsPath` replaces the file beside the executable (tests).
    explicit CMainApp(const CAppEnvironment& env, std::string settingsPath = {});
    ~CMainApp();
    CMainApp(const CMainApp&) = delete;
    CMainApp& operator=(const CMainApp&) = delete;

    // Runs the whole program and returns 0. Returns at once, silently, when
    // another copy holds the instance lock.
    int InitInstance();
    // Shutdown after InitInstance: releases the lock; returns the exit code.
    int ExitInstance();

    bool HoldsInstanceLock() const { return lock_.Held(); }

private:
    const CAppEnvironment& env_;
    CInstanceLock lock_;
    std::string settingsPath_;
    // The Qt application when none existed before (the program itself).
    int argc_ = 1;
    char arg0_[8] = "tessaro";
    char* argv_[2] = {arg0_, nullptr};
    std::unique_ptr<QApplication> qtApp_;
};
