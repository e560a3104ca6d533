// A progress that records what it was given and presses Abort when the
// position `abortAt` is set (or after `abortAfterPumps` pumps).
#pragma once
#include "Progress.h"

#include <vector>

class CScriptedProgress : public IProgress {
public:
    void Begin(int range) override;
    void Set(int position) override;
    void SetCaption(int textId) override;
    bool Pump() override;
    void SetAbort() override { aborted_ = true; }
    bool Aborted() const override { return aborted_; }
    void End() override { ++ends; running = false; }

    int abortAt = -1;
    // When set, abortAt applies only within the n-th Begin (from 1): an
    // operation that runs another one with its own progress first.
    int abortAtBegin = -1;
    int abortAfterPumps = -1;
    std::vector<int> ranges;    // every Begin
    std::vector<int> captions;  // every caption set
    int caption = 0;            // the caption now (Begin clears it)
    int lastPosition = -1;
    int pumps = 0;
    int ends = 0;
    bool running = false;

private:
    bool aborted_ = false;
};
