// The window's side of the progress interface: the progress bar, its
// percent text and the Abort button, shown only while a long operation
// runs, the abort flag, and the message pump that keeps the window alive
// (repainting, moving, Abort) while the operation loops on the one
// interface thread. The busy state is the session's (CSessionProgress
// holds it from Begin to End). A phase's caption (the read-back after a
// write) is written in the bar.
#pragma once
#include "Progress.h"

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
    // Moves the bar; rewrites the percent text ("%d %%" of position x 100 /
    // range) only when the whole percentage changes. Nothing while no
    // progress runs (range 0).
    void Set(int position) override;
    // Handles the events that are waiting; returns the abort flag.
    bool Pump() override;
    // Abort: the running loop stops at its next check.
    void SetAbort() override { abort_ = true; }
    bool Aborted() const override { return abort_; }
    // Hides the three controls; the abort flag keeps its value until the
    // next Begin.
    void End() override;
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
};
