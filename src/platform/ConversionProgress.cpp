#include "ConversionProgress.h"

#include "Texts.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace {

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

CConversionProgress::CConversionProgress(IProgress& outer, std::string fileName, Clock clock)
    : outer_(outer), fileName_(std::move(fileName)), clock_(clock ? std::move(clock) : Clock(SteadySeconds))
{
}

void CConversionProgress::Begin(int range)
{
    outer_.Begin(range);
    Start(range);
}

void CConversionProgress::Start(int range)
{
    range_ = range;
    start_ = clock_();
    shown_.clear();
    Caption(0);
}

void CConversionProgress::Set(int position)
{
    // The caption first, so that a front end draws both together.
    Caption(position);
    outer_.Set(position);
}

void CConversionProgress::Caption(int position)
{
    if (range_ <= 0)
        return;
    const std::int64_t done = position < 0 ? 0 : (position > range_ ? range_ : position);
    const int percent = static_cast<int>(done * 100 / range_);
    const double elapsed = clock_() - start_;
    std::string text;
    // No estimate before the first frame has taken some time.
    if (done > 0 && elapsed > 0) {
        const double left = elapsed * static_cast<double>(range_ - done) / static_cast<double>(done);
        text = FormatText(kIdsConvertingLeft, fileName_.c_str(), percent, FormatTimeLeft(left).c_str());
    } else {
        text = FormatText(kIdsConverting, fileName_.c_str(), percent);
    }
    if (text == shown_)
        return;
    shown_ = text;
    outer_.SetCaptionText(text, true);
}

std::string FormatTimeLeft(double seconds)
{
    // Past 99 hours an estimate means nothing.
    if (!(seconds > 0))
        seconds = 0;
    if (seconds > 359999)
        seconds = 359999;
    const long s = std::lround(seconds);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}
