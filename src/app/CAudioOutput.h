// The preview player's sound on the desktop's default audio output, through
// Qt Multimedia's audio sink in push mode. Samples wait in a small queue of
// their own until the output has room for them, so nothing written is lost;
// Pending() is what was written less what the output says it has played.
// Without an output
// device (a machine without sound, a session without a sound server, the
// tests' offscreen platform) Start says so and the preview stays silent;
// nothing is shown to the user.
#pragma once
#include "IAudioSink.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <memory>

class QAudioSink;
class QIODevice;

class CAudioOutput : public QObject, public IAudioSink {
    Q_OBJECT

public:
    explicit CAudioOutput(QObject* parent = nullptr);
    ~CAudioOutput() override;

    bool Start(int rate, int channels) override;
    void Write(const std::int16_t* samples, int frames) override;
    long long Pending() const override;
    void Stop() override;

private:
    // Hands the output as much of the queue as it has room for.
    void Push();

    std::unique_ptr<QAudioSink> sink_;
    QIODevice* device_ = nullptr;
    QByteArray waiting_;
    QTimer pushTimer_;
    int bytesPerFrame_ = 0;
    int rate_ = 0;
    long long written_ = 0; // sample frames written since Start
};
