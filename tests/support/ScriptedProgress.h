// A progress that records what it was given and presses Abort when the
// position `abortAt` is set (or after `abortAfterPumps` pumps).
#pragma once
#include "Progress.h"

#include <string>
#include <vector>

class CScriptedProgress : public IProgress {
public:
    void Begin(int range) override;
    void Set(int position) override;
    void SetCaption(int textId) override;
    void SetCaptionText(const std::string& text, bool counted) override;
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
    // Every caption's text as a front end would show it, in order: an id's
    // text in the language of the moment, and each text set as it is.
    std::vector<std::string> captionTexts;
    std::string captionText;    // the caption's text now (Begin clears it)
    bool captionCounted = false; // the caption now carries its own figures
    int lastPosition = -1;
    int pumps = 0;
    int ends = 0;
    bool running = false;

private:
    bool aborted_ = false;
};
