#include "CStreamedSource.h"

#include "MediaResult.h"

#include <utility>

namespace {

// The worker's sink: every frame into the queue.
class CQueueSink : public IDvFrameSink {
public:
    explicit CQueueSink(CFrameQueue& queue) : queue_(queue) {}
    bool WriteFrame(const std::uint8_t* data, int size) override { return queue_.Put(data, size); }

private:
    CFrameQueue& queue_;
};

} // namespace

CStreamedSource::CStreamedSource(std::string path, int expectedFrames, Producer producer)
    : path_(std::move(path)), expected_(expectedFrames), producer_(std::move(producer))
{
}

CStreamedSource::~CStreamedSource() { Stop(); }

int CStreamedSource::ReadFrame(int frame, std::uint8_t* buffer)
{
    if (frame != next_ || ended_ || result_ >= 0 || queue_.Stopped())
        return 0;
    if (!worker_.joinable() && next_ == 0) {
        worker_ = std::thread([this] {
            CQueueSink sink(queue_);
            const int result = producer_(sink, [this] { return queue_.Stopped(); });
            queue_.Close(result);
        });
    }
    if (queue_.TakeFrame(buffer) == CFrameQueue::kFrame) {
        ++next_;
        return 1;
    }
    // The worker has closed the queue and ended.
    worker_.join();
    result_ = queue_.Result();
    ended_ = result_ == kMediaDone;
    return 0;
}

void CStreamedSource::Stop()
{
    queue_.Stop();
    if (worker_.joinable())
        worker_.join();
}
