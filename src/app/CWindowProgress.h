// The window's side of the progress interface: the progress bar, its
// percent text and the Abort button, shown only while a long operation
// runs, the abort flag, and the message pump that keeps the window alive
// (repainting, moving, Abort) while the operation loops on the one
// interface thread. The busy state is the session's (CSessionProgress
// holds it from Begin to End). A phase's caption ("Writing clip 05", the
// read-back after a write) is written in the bar. Abort is enabled only
// while an operation runs, and whoever watches the window's operations is
// told when one begins and ends.
#pragma once
#include "Progress.h"

#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QWidget;

class CWindowProgress : public IProgress {
public:
    CWindowProgress(QProgressBar* bar, QLabel* percent, QWidget* abort);

    // Begins with the range 0..range, clears the abort flag,
    // shows 0 and the three controls. The caller updates the enabled
    // state of the window's controls afterwards.
    void Begin(int range) override;
    // Shows the caption of a phase in the bar (0: none).
    void SetCaption(int textId) override;
    // The same with its text; the percent field beside the bar stays.
    void SetCaptionText(const std::string& text, bool counted) override;
    // Moves the bar; rewrites the percent text ("%d %%" of position x 100 /
    // range) only when the whole percentage changes. Nothing while no
    // progress runs (range 0).
    void Set(int position) override;
    // Handles the events that are waiting; returns the abort flag.
    bool Pump() override;
    // Abort: the running loop stops at its next check.
    void SetAbort() override { abort_ = true; }
    bool Aborted() const override { return abort_; }
    // Hides the three controls and disables Abort: the window is idle
    // again before the operation's closing message. The abort flag keeps
    // its value until the next Begin.
    void End() override;
    // `running` is called with true at every Begin and with false at every
    // End.
    void OnRunning(std::function<void(bool)> running) { running_ = std::move(running); }
    // The bar alone, running without an end, while the window waits for
    // something it cannot measure (the password prompt of udisks2).
    void ShowWaiting(bool on);

private:
    QProgressBar* bar_;
    QLabel* percent_;
    QWidget* abortButton_;
    bool abort_ = false;
    int range_ = 0;
    int lastPercent_ = 0;
    std::function<void(bool)> running_;
};
