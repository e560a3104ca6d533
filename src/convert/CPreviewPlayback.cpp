#include "CPreviewPlayback.h"

#include "CPreviewSound.h"
#include "CardLayout.h"
#include "DvFrame.h"
#include "FramePicture.h"
#include "MediaResult.h"
#include "Texts.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

int DecodePlayerPicture(const std::uint8_t* frame, CPicture& picture)
{
    return DecodeFramePicture(frame, kPlayerWidth, picture);
}

std::string FormatPlayerPosition(int frame, int frameCount)
{
    char text[160] = {};
    const std::string at = FormatFrameTime(frame);
    const std::string length = FormatFrameTime(frameCount);
    std::snprintf(text, sizeof text, LoadText(kIdsPlayerPosition).c_str(), at.c_str(), length.c_str(), frame + 1,
                  frameCount);
    return text;
}

std::int64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

CPreviewPlayback::CPreviewPlayback(IFrameSource& source, IPlaybackView& view, PlaybackDecoder decoder,
                                   PlaybackClock clock, IAudioSink* sink)
    : source_(source), view_(view), decoder_(std::move(decoder)), clock_(std::move(clock)),
      // One card cluster, so a card source may read whole clusters into it.
      buffer_(static_cast<std::size_t>(kClusterSize))
{
    if (!decoder_)
        decoder_ = DecodePlayerPicture;
    if (!clock_)
        clock_ = SteadyMilliseconds;
    lastFrame_ = std::max(source_.FrameCount(), 0) - 1;
    if (sink != nullptr)
        sound_ = std::make_unique<CPreviewSound>(source_, *sink);
}

CPreviewPlayback::~CPreviewPlayback() = default;

void CPreviewPlayback::ShowFrame(int frame)
{
    showing_ = true;
    if (source_.ReadFrame(frame, buffer_.data())) {
        CPicture picture;
        ++decodes_;
        if (decoder_(buffer_.data(), picture) == kMediaDone && !picture.IsEmpty())
            view_.ShowPicture(picture);
    } else {
        ++failedReads_;
    }
    currentFrame_ = frame;
    view_.PositionChanged(frame);
    showing_ = false;
}

void CPreviewPlayback::OnTrackPosition(int position)
{
    if (showing_)
        return;
    if (sound_)
        sound_->Stop();
    if (position != currentFrame_)
        ShowFrame(position);
}

void CPreviewPlayback::StepFrame(int delta)
{
    GoToFrame(currentFrame_ + delta);
}

void CPreviewPlayback::GoToFrame(int frame)
{
    if (lastFrame_ < 0 || showing_)
        return;
    OnStop();
    if (sound_)
        sound_->Stop();
    frame = std::clamp(frame, 0, lastFrame_);
    if (frame != currentFrame_)
        ShowFrame(frame);
    view_.SetTrackPosition(frame);
}

void CPreviewPlayback::OnPlay()
{
    if (playing_ || lastFrame_ < 0 || showing_)
        return;
    playing_ = true;
    view_.PlayingChanged(true);
    if (currentFrame_ == lastFrame_) {
        ShowFrame(0);
        view_.SetTrackPosition(0);
    }
    // The sound's first frames are written before the clock starts, so
    // that both begin together.
    if (sound_) {
        showing_ = true;
        sound_->Start(currentFrame_);
        showing_ = false;
    }
    startTick_ = clock_();
    startFrame_ = currentFrame_;
}

void CPreviewPlayback::OnStop()
{
    if (!playing_)
        return;
    if (sound_)
        sound_->Stop();
    EndPlaying();
}

void CPreviewPlayback::EndPlaying()
{
    playing_ = false;
    view_.PlayingChanged(false);
}

void CPreviewPlayback::OnTimer()
{
    if (!playing_ || showing_)
        return;
    // The frame follows the clock, not the number of ticks.
    const std::int64_t elapsed = std::max<std::int64_t>(clock_() - startTick_, 0);
    const std::int64_t target = startFrame_ + elapsed / kPlayerFramePeriodMs;
    const int frame = static_cast<int>(std::min<std::int64_t>(target, lastFrame_));
    // The sound first: it must not wait for the picture's decoding.
    if (sound_) {
        showing_ = true;
        sound_->Follow(frame);
        showing_ = false;
        if (!playing_)
            return;
    }
    ShowFrame(frame);
    view_.SetTrackPosition(frame);
    if (currentFrame_ == lastFrame_) {
        // The end of the clip: its last sound plays out.
        if (sound_)
            sound_->Finish();
        EndPlaying();
    }
}
