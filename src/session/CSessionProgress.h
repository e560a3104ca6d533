// The progress a flow runs a long operation with: the front end's progress
// (bar, pump, Abort), and from Begin to End the session's busy state, so
// that the busy state nests and is announced to the views.
#pragma once
#include "CBusyState.h"
#include "Progress.h"

class CSessionProgress : public IProgress {
public:
    CSessionProgress(IProgress& outer, CBusyState& busy) : outer_(outer), busy_(busy) {}
    ~CSessionProgress() override { Release(); }
    CSessionProgress(const CSessionProgress&) = delete;
    CSessionProgress& operator=(const CSessionProgress&) = delete;

    void Begin(int range) override;
    void SetCaption(int textId) override { outer_.SetCaption(textId); }
    void SetCaptionText(const std::string& text, bool counted) override { outer_.SetCaptionText(text, counted); }
    void Set(int position) override { outer_.Set(position); }
    bool Pump() override { return outer_.Pump(); }
    void SetAbort() override { outer_.SetAbort(); }
    bool Aborted() const override { return outer_.Aborted(); }
    void End() override;

private:
    void Release();

    IProgress& outer_;
    CBusyState& busy_;
    bool holding_ = false;
};
