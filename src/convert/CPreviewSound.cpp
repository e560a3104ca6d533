#include "CPreviewSound.h"

#include "CardLayout.h"

#include <algorithm>

namespace {

constexpr int kFramesPerSecond = 25;
// The sound of a frame without any: 48 kHz stereo silence, unless the
// output already plays another format.
constexpr int kDefaultRate = 48000;
constexpr int kDefaultChannels = 2;

} // namespace

CPreviewSound::CPreviewSound(IFrameSource& source, IAudioSink& sink)
    : source_(source), sink_(sink), buffer_(static_cast<std::size_t>(kClusterSize)),
      lastFrame_(source.FrameCount() - 1)
{
}

CPreviewSound::~CPreviewSound() { Stop(); }

void CPreviewSound::Start(int frame)
{
    Stop();
    if (frame < 0 || frame > lastFrame_)
        return;
    active_ = true;
    next_ = frame;
    FillTo(frame);
}

void CPreviewSound::Stop()
{
    if (open_)
        sink_.Stop();
    open_ = false;
    active_ = false;
}

void CPreviewSound::Finish() { active_ = false; }

void CPreviewSound::Follow(int frame)
{
    if (!active_)
        return;
    if (open_) {
        const long long pending = std::max<long long>(sink_.Pending(), 0);
        consumed_ = consumed_ || pending < written_;
        const long long pendingFrames = pending * kFramesPerSecond / rate_;
        // The frame whose sound plays now.
        const long long playing = next_ - pendingFrames;
        if (pendingFrames == 0 && next_ < frame) {
            // The output has run dry (a tick came late): it simply goes on
            // with the picture's frame.
            next_ = frame;
        } else if (playing < frame - (consumed_ ? kMaxLagFrames : kStartupLagFrames)) {
            Start(frame);
            return;
        }
    }
    FillTo(frame);
}

void CPreviewSound::FillTo(int frame)
{
    const int until = std::min(frame + kLeadFrames, lastFrame_);
    while (active_ && next_ <= until) {
        if (!WriteNext())
            Stop();
    }
}

bool CPreviewSound::WriteNext()
{
    const bool sound = source_.ReadFrame(next_, buffer_.data()) != 0 &&
                       ExtractDvAudio(buffer_.data(), kFrameSize, audio_);
    const int rate = sound ? audio_.rate : (open_ ? rate_ : kDefaultRate);
    const int channels = sound ? audio_.channels : (open_ ? channels_ : kDefaultChannels);
    // A change of format within the clip starts the output again.
    if ((!open_ || rate != rate_ || channels != channels_) && !OpenSink(rate, channels))
        return false;
    if (sound) {
        sink_.Write(audio_.samples.data(), audio_.Frames());
        written_ += audio_.Frames();
    } else {
        const int frames = rate / kFramesPerSecond;
        silence_.assign(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels), 0);
        sink_.Write(silence_.data(), frames);
        written_ += frames;
    }
    ++next_;
    return true;
}

bool CPreviewSound::OpenSink(int rate, int channels)
{
    if (open_)
        sink_.Stop();
    open_ = sink_.Start(rate, channels);
    rate_ = rate;
    channels_ = channels;
    consumed_ = false;
    written_ = 0;
    return open_;
}
