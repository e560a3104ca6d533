// The progress of a conversion, captioned with its own figures: the name of
// the file converted, the percentage done and the time left, estimated from
// the time the phase has taken so far ("Converting phone.mp4: 38 %, 0:03
// left"). It stands between the conversion and the front end's progress,
// passes everything on, and rewrites the caption whenever its text changes.
#pragma once
#include "Progress.h"

#include <functional>
#include <string>

class CConversionProgress : public IProgress {
public:
    // Seconds on a clock that only goes forward.
    using Clock = std::function<double()>;

    // `fileName` is shown as it is; `clock` empty: the steady clock.
    CConversionProgress(IProgress& outer, std::string fileName, Clock clock = {});

    // Begins the outer progress and the phase.
    void Begin(int range) override;
    // Starts the phase on an outer progress that has begun with `range`
    // already: the time left counts from here.
    void Start(int range);
    void Set(int position) override;
    void SetCaption(int textId) override { outer_.SetCaption(textId); }
    void SetCaptionText(const std::string& text, bool counted) override { outer_.SetCaptionText(text, counted); }
    bool Pump() override { return outer_.Pump(); }
    void SetAbort() override { outer_.SetAbort(); }
    bool Aborted() const override { return outer_.Aborted(); }
    void End() override { outer_.End(); }

private:
    void Caption(int position);

    IProgress& outer_;
    std::string fileName_;
    Clock clock_;
    int range_ = 0;
    double start_ = 0;
    std::string shown_;
};

// A time left as the captions show it, in whole seconds: "0:03",
// "12:05", "1:02:03".
std::string FormatTimeLeft(double seconds);
