// Progress on a terminal: percent, frames per second and time left on
// stderr when it is a terminal, nothing otherwise. Ctrl-C while a progress
// runs is Abort: the operation stops at its next check and ends cleanly.
// A phase's caption ("Writing clip 05", the read-back after a write) stands
// before the bar; a caption with figures of its own (a conversion's
// percentage and time left) stands alone.
#pragma once
#include "Progress.h"

#include <chrono>
#include <cstdio>
#include <string>

class CTerminalProgress : public IProgress {
public:
    explicit CTerminalProgress(std::FILE* err = stderr);
    ~CTerminalProgress() override;
    void Begin(int range) override;
    void Set(int position) override;
    // The caption is printed before the bar; the rate and time left count
    // from here.
    void SetCaption(int textId) override;
    // A new text starts a line of its own, unless it rewrites the counted
    // caption of the same phase.
    void SetCaptionText(const std::string& text, bool counted) override;
    bool Pump() override;
    void SetAbort() override { aborted_ = true; }
    bool Aborted() const override { return aborted_; }
    void End() override;

private:
    void Draw(int position);
    std::FILE* err_;
    bool draw_;
    bool aborted_ = false;
    bool running_ = false;
    int range_ = 0;
    int lastPercent_ = -1;
    std::string caption_;
    bool counted_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};

// While one lives, Ctrl-C does not end the program even between progress
// displays: it becomes Abort at the next progress check, so that a command
// holding a temporary file gets to remove it.
class CInterruptScope {
public:
    CInterruptScope();
    ~CInterruptScope();
    CInterruptScope(const CInterruptScope&) = delete;
    CInterruptScope& operator=(const CInterruptScope&) = delete;
};
