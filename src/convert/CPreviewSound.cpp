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
    if (open_ && !Resync(frame))
        return;
    FillTo(frame);
}

bool CPreviewSound::Resync(int frame)
{
    const long long perFrame = rate_ / kFramesPerSecond;
    const long long pending = std::clamp<long long>(sink_.Pending(), 0, samples_);
    const long long played = samples_ - pending;
    if (pending < perFrame && next_ < frame) {
        // Everything written belonged to frames already past and has been
        // played: the output simply goes on with the picture's frame.
        next_ = frame;
        return true;
    }
    const int heard = HeardFrame(played);
    const long long lag = frame - heard;
    settled_ = settled_ || played >= kSettleFrames * perFrame;
    if (!settled_) {
        if (lag <= kStartupLagFrames)
            return true;
        Start(frame);
        return false;
    }
    if (catchUpFrom_ >= 0) {
        if (heard < catchUpFrom_)
            return true; // the catch-up is not heard yet
        catchUpFrom_ = -1;
        // Leaving sound out did not bring it closer: what the output says
        // it has played lags by itself.
        if (lag > kMaxLagFrames)
            ownLag_ = lag;
        return true;
    }
    if (lag > std::max<long long>(kMaxLagFrames, ownLag_)) {
        // What is written plays out first; the frame after it is then the
        // one the picture shows, or one before it (the frame heard is
        // counted from its start: better a little late than early).
        next_ = static_cast<int>(std::min<long long>(next_ + lag - 1, lastFrame_ + 1LL));
        catchUpFrom_ = next_;
    }
    return true;
}

int CPreviewSound::HeardFrame(long long played)
{
    while (written_.size() > 1 && written_[1].at <= played)
        written_.pop_front();
    return written_.empty() ? next_ : written_.front().frame;
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
    written_.push_back({samples_, next_});
    if (sound) {
        sink_.Write(audio_.samples.data(), audio_.Frames());
        samples_ += audio_.Frames();
    } else {
        const int frames = rate / kFramesPerSecond;
        silence_.assign(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels), 0);
        sink_.Write(silence_.data(), frames);
        samples_ += frames;
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
    samples_ = 0;
    written_.clear();
    settled_ = false;
    catchUpFrom_ = -1;
    ownLag_ = 0;
    return open_;
}
