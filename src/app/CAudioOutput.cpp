#include "CAudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>

namespace {

// The output's own buffer, in milliseconds of sound: enough to ride over a
// slow frame of the picture, short enough for Stop to be heard at once.
constexpr int kBufferMs = 200;
// How often the queue is handed on while it is not empty.
constexpr int kPushMs = 10;

} // namespace

CAudioOutput::CAudioOutput(QObject* parent) : QObject(parent)
{
    pushTimer_.setInterval(kPushMs);
    connect(&pushTimer_, &QTimer::timeout, this, [this] { Push(); });
}

CAudioOutput::~CAudioOutput() { Stop(); }

bool CAudioOutput::Start(int rate, int channels)
{
    Stop();
    if (rate <= 0 || channels <= 0)
        return false;
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull())
        return false;
    QAudioFormat format;
    format.setSampleRate(rate);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!output.isFormatSupported(format))
        return false;
    sink_ = std::make_unique<QAudioSink>(output, format);
    bytesPerFrame_ = channels * static_cast<int>(sizeof(std::int16_t));
    rate_ = rate;
    written_ = 0;
    sink_->setBufferSize(static_cast<qsizetype>(rate) * kBufferMs / 1000 * bytesPerFrame_);
    device_ = sink_->start();
    if (device_ == nullptr || sink_->error() != QAudio::NoError) {
        Stop();
        return false;
    }
    pushTimer_.start();
    return true;
}

void CAudioOutput::Write(const std::int16_t* samples, int frames)
{
    if (device_ == nullptr || samples == nullptr || frames <= 0)
        return;
    waiting_.append(reinterpret_cast<const char*>(samples), static_cast<qsizetype>(frames) * bytesPerFrame_);
    written_ += frames;
    Push();
}

void CAudioOutput::Push()
{
    if (device_ == nullptr || sink_ == nullptr || waiting_.isEmpty())
        return;
    const qint64 written = device_->write(waiting_.constData(), waiting_.size());
    if (written > 0)
        waiting_.remove(0, static_cast<qsizetype>(written));
}

long long CAudioOutput::Pending() const
{
    if (sink_ == nullptr)
        return 0;
    // What the output has played, by its own clock; the room it reports
    // comes in chunks and says little about that.
    const long long played = sink_->processedUSecs() * rate_ / 1000000;
    return std::max(written_ - played, 0LL);
}

void CAudioOutput::Stop()
{
    pushTimer_.stop();
    waiting_.clear();
    written_ = 0;
    device_ = nullptr;
    if (sink_ != nullptr) {
        // Drops what the output still holds, then lets the device go.
        sink_->reset();
        sink_->stop();
        sink_.reset();
    }
}
