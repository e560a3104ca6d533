#include "FrameRing.h"

#include "CardLayout.h"

#include <climits>
#include <cstring>

CFrameRing::CFrameRing(int buffers)
    : bytes_(static_cast<std::size_t>(buffers) * kClusterSize), buffers_(buffers)
{
}

void CFrameRing::Start(int writers)
{
    std::lock_guard<std::mutex> lock(mutex_);
    published_ = 0;
    next_.assign(static_cast<std::size_t>(writers), 0);
    taking_.assign(static_cast<std::size_t>(writers), 1);
    cancelled_ = false;
}

int CFrameRing::Slowest() const
{
    int slowest = INT_MAX;
    for (std::size_t w = 0; w < next_.size(); ++w) {
        if (taking_[w] && next_[w] < slowest)
            slowest = next_[w];
    }
    return slowest;
}

bool CFrameRing::WaitForBuffer(int frame, std::chrono::milliseconds wait)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return taken_.wait_for(lock, wait, [&] { return cancelled_ || frame - Slowest() < buffers_; }) && !cancelled_;
}

std::uint8_t* CFrameRing::Buffer(int frame)
{
    return bytes_.data() + static_cast<std::size_t>(frame % buffers_) * kClusterSize;
}

void CFrameRing::Publish(int frame)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        published_ = frame + 1;
    }
    filled_.notify_all();
}

bool CFrameRing::Take(int writer, int frame, std::uint8_t* out)
{
    std::unique_lock<std::mutex> lock(mutex_);
    filled_.wait(lock, [&] { return cancelled_ || published_ > frame; });
    if (cancelled_)
        return false;
    // The reader fills this buffer again only after every writer has
    // passed it, so it can be copied without the lock.
    lock.unlock();
    std::memcpy(out, Buffer(frame), kFrameSize);
    lock.lock();
    next_[static_cast<std::size_t>(writer)] = frame + 1;
    lock.unlock();
    taken_.notify_all();
    return true;
}

void CFrameRing::Leave(int writer)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        taking_[static_cast<std::size_t>(writer)] = 0;
    }
    taken_.notify_all();
}

void CFrameRing::Cancel()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancelled_ = true;
    }
    filled_.notify_all();
    taken_.notify_all();
}

bool CFrameRing::Cancelled()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return cancelled_;
}

bool CFrameRing::AnyTaking()
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (char taking : taking_) {
        if (taking)
            return true;
    }
    return false;
}
