// A conversion as the card writer's frame source: the conversion runs on a
// worker thread of its own (its decoder with threads of its own), putting
// each DV frame into a bounded queue as it is made, while the writer takes
// them out on the calling thread and writes them. Progress, the message
// pump and Abort stay with the writer; when it stops taking frames (Abort,
// a failed card write, its end) the queue is stopped and the worker ends
// within a frame.
#pragma once
#include "CFrameQueue.h"
#include "FrameSource.h"
#include "IDvFrameSink.h"

#include <functional>
#include <string>
#include <thread>

class CStreamedSource : public IFrameSource {
public:
    // What runs on the worker: makes the frames into `sink` and returns a
    // MediaResult (kMediaDone at the end of the source). `stopped()` turns
    // true when the writer has stopped taking frames.
    using Producer = std::function<int(IDvFrameSink& sink, const std::function<bool()>& stopped)>;

    // `path` names the clip; `expectedFrames` is what the source's
    // duration foretells. Nothing runs until the first frame is read.
    CStreamedSource(std::string path, int expectedFrames, Producer producer);
    ~CStreamedSource() override;
    CStreamedSource(const CStreamedSource&) = delete;
    CStreamedSource& operator=(const CStreamedSource&) = delete;

    int FrameCount() const override { return expected_; }
    // Frames in order only: frame `frame` must be the next one.
    int ReadFrame(int frame, std::uint8_t* buffer) override;
    std::string SourcePath() const override { return path_; }
    bool Streamed() const override { return true; }
    bool Ended() const override { return ended_; }

    // Stops the worker and waits for it (also done on destruction).
    void Stop();
    // The worker's result once it has ended (-1 while it has not run to
    // its end).
    int Result() const { return result_; }
    int FramesRead() const { return next_; }

private:
    std::string path_;
    int expected_ = 0;
    Producer producer_;
    CFrameQueue queue_;
    std::thread worker_;
    int next_ = 0;
    int result_ = -1;
    bool ended_ = false;
};
