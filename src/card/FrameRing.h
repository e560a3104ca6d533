// The frames of one clip on their way from one reader to several writers:
// a ring of cluster buffers that the reader fills in frame order and every
// writer takes from, each at its own pace. The reader waits for a buffer
// until the slowest writer still taking has passed it; a writer that stops
// leaves the ring and is waited for no more. Used by the card copy, whose
// reader is the calling thread and whose writers run one thread per card.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

class CFrameRing {
public:
    explicit CFrameRing(int buffers);

    // A new clip for `writers` writers: frames count from 0 again.
    void Start(int writers);
    // The reader: true when the buffer of `frame` may be filled, false when
    // `wait` passed first or the ring was cancelled.
    bool WaitForBuffer(int frame, std::chrono::milliseconds wait);
    std::uint8_t* Buffer(int frame);
    // The buffer of `frame` is filled: the writers may take it.
    void Publish(int frame);
    // Writer `writer`: copies the frame (its first 144000 bytes) into `out`
    // once it is there. False when the ring was cancelled.
    bool Take(int writer, int frame, std::uint8_t* out);
    // Writer `writer` takes nothing more of this clip.
    void Leave(int writer);
    // Stops every wait: Take and WaitForBuffer return false until Start.
    void Cancel();
    bool Cancelled();
    // Some writer still takes frames of this clip.
    bool AnyTaking();

private:
    // The frame every writer still taking has taken (locked).
    int Slowest() const;

    std::mutex mutex_;
    std::condition_variable filled_;
    std::condition_variable taken_;
    std::vector<std::uint8_t> bytes_;
    int buffers_;
    int published_ = 0;
    std::vector<int> next_;       // per writer: the next frame it takes
    std::vector<char> taking_;    // per writer: still taking
    bool cancelled_ = false;
};
