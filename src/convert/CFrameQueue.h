// The bounded queue between a conversion and the card writer: the
// conversion's thread puts each DV frame in as it is made, the writer's
// thread takes them out in order. A few dozen frames at most wait in it, so
// memory stays the same whatever the clip's length, and the faster side
// waits for the slower one.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

class CFrameQueue {
public:
    static constexpr int kDefaultFrames = 32;

    explicit CFrameQueue(int frames = kDefaultFrames);
    CFrameQueue(const CFrameQueue&) = delete;
    CFrameQueue& operator=(const CFrameQueue&) = delete;

    // The producer: copies one 144000-byte frame in, waiting while the
    // queue is full. False once the consumer has stopped the queue (the
    // frame is dropped), or for a frame of another size.
    bool Put(const std::uint8_t* frame, int size);
    // The producer has ended with `result` (MediaResult); the consumer
    // takes what is left, then the end.
    void Close(int result);

    enum Take : int {
        kFrame = 1, // a frame was copied out
        kEnd = 0,   // the producer has closed the queue and it is empty
    };
    // The consumer: copies the next frame into `frame` (144000 bytes),
    // waiting while the queue is empty and open.
    Take TakeFrame(std::uint8_t* frame);
    // The consumer gives up: every Put from now on (and one waiting) fails.
    void Stop();
    bool Stopped() const;
    // What the producer closed the queue with (valid after kEnd).
    int Result() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::uint8_t> frames_; // a ring of `capacity_` frames
    int capacity_ = 0;
    int first_ = 0; // the oldest frame in the ring
    int count_ = 0;
    bool closed_ = false;
    bool stopped_ = false;
    int result_ = 0;
};
