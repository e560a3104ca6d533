#include "CFrameQueue.h"

#include "DvFrame.h"

#include <cstring>

CFrameQueue::CFrameQueue(int frames)
    : frames_(static_cast<std::size_t>(frames > 0 ? frames : 1) * kDvFrameSize), capacity_(frames > 0 ? frames : 1)
{
}

bool CFrameQueue::Put(const std::uint8_t* frame, int size)
{
    if (size != kDvFrameSize || frame == nullptr)
        return false;
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stopped_ || count_ < capacity_; });
    if (stopped_)
        return false;
    const int slot = (first_ + count_) % capacity_;
    std::memcpy(frames_.data() + static_cast<std::size_t>(slot) * kDvFrameSize, frame, kDvFrameSize);
    ++count_;
    changed_.notify_all();
    return true;
}

void CFrameQueue::Close(int result)
{
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    result_ = result;
    changed_.notify_all();
}

CFrameQueue::Take CFrameQueue::TakeFrame(std::uint8_t* frame)
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return count_ > 0 || closed_; });
    if (count_ == 0)
        return kEnd;
    std::memcpy(frame, frames_.data() + static_cast<std::size_t>(first_) * kDvFrameSize, kDvFrameSize);
    first_ = (first_ + 1) % capacity_;
    --count_;
    changed_.notify_all();
    return kFrame;
}

void CFrameQueue::Stop()
{
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
}

bool CFrameQueue::Stopped() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return stopped_;
}

int CFrameQueue::Result() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return result_;
}
